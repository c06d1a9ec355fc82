/*!40101 SET @OLD_CHARACTER_SET_CLIENT=@@CHARACTER_SET_CLIENT */;
DROP TABLE IF EXISTS `users`;
CREATE TABLE `users` (
  `id` int(11) unsigned NOT NULL AUTO_INCREMENT,
  `name` varchar(40) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL COMMENT 'it\'s',
  `kind` enum('a','b') DEFAULT 'a',
  `changed` timestamp NOT NULL DEFAULT current_timestamp() ON UPDATE current_timestamp(),
  `group_id` bigint(20) DEFAULT NULL,
  PRIMARY KEY (`id`),
  UNIQUE KEY `users_name` (`name`),
  KEY `users_group` (`group_id`),
  FULLTEXT KEY `users_text` (`name`),
  CONSTRAINT `users_group_fk` FOREIGN KEY (`group_id`) REFERENCES `groups` (`id`) ON DELETE CASCADE
) ENGINE=InnoDB AUTO_INCREMENT=5 DEFAULT CHARSET=utf8mb4;
LOCK TABLES `users` WRITE;
UNLOCK TABLES;
DELIMITER ;;
CREATE DEFINER=`root`@`%` PROCEDURE p() BEGIN SELECT 1; IF 1 THEN SELECT 2; END IF; END ;;
DELIMITER ;
# a comment
ALTER TABLE `groups` ADD PRIMARY KEY (`id`), ADD KEY `g` (`parent`), ADD CONSTRAINT `fk` FOREIGN KEY (`parent`) REFERENCES `groups` (`id`);
