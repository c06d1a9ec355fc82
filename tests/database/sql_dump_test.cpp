// The SQL script reader against the real tools: real schemas (Debian packages' own, fetched by
// scripts/fetch_schemas.sh) loaded into SQLite and into a private MariaDB server, dumped by sqlite3's
// .schema and by mysqldump, read back, and compared with what each database's catalog says.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "io_test_support.h"
#include "sql_schema_reader.h"

namespace fs = std::filesystem;

namespace {
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A program of the system, also where PATH leaves out the administrators' folders; empty when absent.
std::string Program(const std::string& name) {
  for (const char* folder : {"/usr/bin/", "/usr/sbin/", "/usr/local/bin/"})
    if (access((folder + name).c_str(), X_OK) == 0) return folder + name;
  return {};
}

// The command that writes a fetched package's schema file ("gzip -dc" or "cat"); empty when absent.
std::string SchemaCommand(const std::string& package, const std::string& path) {
  const char* root = getenv("QUORVANE_SCHEMAS");
  const fs::path file =
      (root ? fs::path(root) : fs::path(getenv("HOME") ? getenv("HOME") : "/") / ".cache/quorvane/schemas") / package /
      path;
  if (!fs::exists(file)) return {};
  return (path.ends_with(".gz") ? "gzip -dc " : "cat ") + Quoted(file.string());
}

// Databases are made in memory where /dev/shm is: creating tables is many times faster there.
fs::path Scratch(const std::string& name) {
  std::string pattern =
      ((fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) / (name + "-XXXXXX")).string();
  return mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
}

// The lines sorted, a tab taken for "|" (MariaDB's batch mode separates fields by tabs).
std::string Sorted(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  for (std::string& line : lines) std::replace(line.begin(), line.end(), '\t', '|');
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (std::string& line : lines) sorted += line + "\n";
  return sorted;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
  return joined;
}

// "table|position|name|type|key|not null" per column and "[name|]table|columns|table|columns" per
// foreign key, as the reader read them; types in lower case where the catalog changes their letters.
std::string Described(const TDatabaseSchema& schema, bool lowerCaseTypes, bool keyNames, bool keys) {
  std::string text;
  for (const TSchemaTable& table : schema.Tables)
    for (size_t k = 0; !keys && k < table.Columns.size(); ++k) {
      const TSchemaColumn& column = table.Columns[k];
      std::string type = column.Type;
      if (lowerCaseTypes)
        std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return tolower(c); });
      text += table.Name + "|" + std::to_string(k + 1) + "|" + column.Name + "|" + type + "|" +
              (column.PrimaryKey ? "1|" : "0|") + (column.NotNull ? "1\n" : "0\n");
    }
  for (const TSchemaForeignKey& key : schema.ForeignKeys)
    if (keys)
      text += (keyNames ? key.Name + "|" : "") + key.Table + "|" + Joined(key.Columns) + "|" + key.RefTable + "|" +
              Joined(key.RefColumns) + "\n";
  EXPECT_EQ(schema.SkippedCount, 0) << (schema.Skipped.empty() ? "" : schema.Skipped.front().Text);
  return Sorted(text);
}

// A MariaDB server of its own in a temporary folder, stopped and removed when it goes, also when a
// test fails; it dies with the test's process.
class MariaDbServer {
 public:
  // Empty when the server answers, else what went wrong.
  std::string Start() {
    folder_ = Scratch("quorvane-mariadb");
    const std::string data = Quoted((folder_ / "data").string()), log = Quoted((folder_ / "server.log").string());
    int status = 0;
    Shell(Program("mariadb-install-db") + " --no-defaults --datadir=" + data +
              " --auth-root-authentication-method=normal --user=root --skip-test-db > " + log + " 2>&1",
          &status);
    if (status != 0) return "mariadb-install-db failed: " + Shell("cat " + log);
    // Nothing needs to be safe on disk: no flushes, every table in one tablespace.
    const std::string command = "exec " + Program("mariadbd") + " --no-defaults --datadir=" + data +
                                " --socket=" + Quoted(Socket()) +
                                " --skip-networking --user=root --pid-file=" + Quoted((folder_ / "pid").string()) +
                                " --skip-log-bin --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0"
                                " --innodb-flush-method=nosync --innodb-file-per-table=0 >> " +
                                log + " 2>&1";
    if ((pid_ = fork()) == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int tries = 0; pid_ > 0 && tries < 300; ++tries) {  // 30 s
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return "mariadbd ended: " + Shell("cat " + log);
      }
      if (fs::exists(Socket()) && (Shell(Client() + " -e 'SELECT 1' 2>&1", &status), status == 0)) return {};
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "mariadbd did not answer";
  }
  ~MariaDbServer() {
    if (pid_ > 0 && kill(pid_, SIGTERM) == 0) waitpid(pid_, nullptr, 0);
    if (!folder_.empty()) fs::remove_all(folder_);
  }
  std::string Socket() const { return (folder_ / "sock").string(); }
  std::string Client() const { return Program("mariadb") + " --no-defaults -uroot -S " + Quoted(Socket()); }

 private:
  fs::path folder_;
  pid_t pid_ = -1;
};
}  // namespace

// SQLite: the schema loaded by sqlite3; its .schema and the script itself read back and compared with
// PRAGMA table_info and foreign_key_list. SQLite leaves a key column's notnull flag unset (its legacy
// quirk) and tells the types it knows in capitals (INTEGER, TEXT) however they were declared.
TEST(SqlDump, SqliteSchemasMatchTheDatabase) {
  for (const auto& [package, path] :
       {std::pair{"zabbix-proxy-sqlite3", "usr/share/zabbix-proxy-sqlite3/schema.sql.gz"},
        std::pair{"roundcube-core", "usr/share/dbconfig-common/data/roundcube/install/sqlite3"}}) {
    const std::string script = SchemaCommand(package, path), sqlite = Program("sqlite3");
    if (script.empty() || sqlite.empty()) FAIL() << "sqlite3 or " << package << " missing (scripts/setup.sh installs them)";
    const fs::path folder = Scratch("quorvane-sqlite");
    const std::string database = sqlite + " -batch -noheader -separator '|' " + Quoted((folder / "db").string()) + " ";
    int status = 0;
    Shell(script + " | " + database + "-cmd 'PRAGMA journal_mode=OFF' -cmd 'PRAGMA synchronous=OFF' > /dev/null",
          &status);
    ASSERT_EQ(status, 0) << package;
    const std::string dump = Shell(database + ".schema");
    const std::string columns = Sorted(Shell(
        database +
        Quoted(
            "SELECT m.name, p.cid + 1, p.name, lower(p.type), p.pk > 0, p.\"notnull\" OR p.pk > 0 FROM sqlite_master m "
            "JOIN pragma_table_info(m.name) p WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite^_%' ESCAPE '^'")));
    const std::string keys =
        Sorted(Shell(database + Quoted("SELECT name, group_concat(\"from\"), \"table\", ifnull(group_concat(\"to\"), "
                                       "'') FROM (SELECT m.name, f.* FROM sqlite_master m "
                                       "JOIN pragma_foreign_key_list(m.name) f WHERE m.type = 'table' ORDER BY m.name, "
                                       "f.id, f.seq) GROUP BY name, id")));
    fs::remove_all(folder);
    EXPECT_GE(std::count(columns.begin(), columns.end(), '\n'), 80) << package;
    for (const std::string& text : {dump, Shell(script)}) {
      const TDatabaseSchema schema = ReadSqlSchema(text);
      EXPECT_EQ(Described(schema, true, false, false), columns) << package;
      EXPECT_EQ(Described(schema, true, false, true), keys) << package;
    }
  }
}

// MariaDB: each schema loaded into a database of its own, mysqldump --no-data's output read back
// and compared with information_schema.
TEST(SqlDump, MariaDbSchemasMatchTheDatabase) {
  if (Program("mariadbd").empty() || Program("mysqldump").empty())
    FAIL() << "MariaDB is not installed (scripts/setup.sh installs it)";
  MariaDbServer server;
  ASSERT_EQ(server.Start(), "");
  for (const auto& [package, path] :
       {std::pair{"zabbix-server-mysql", "usr/share/zabbix-server-mysql/schema.sql.gz"},
        std::pair{"roundcube-core", "usr/share/dbconfig-common/data/roundcube/install/mysql"}}) {
    const std::string script = SchemaCommand(package, path), database = std::string(package).substr(0, 6);
    if (script.empty()) FAIL() << package << " was not fetched (scripts/fetch_schemas.sh)";
    int status = 0;
    Shell(server.Client() + " -e 'CREATE DATABASE " + database + " COLLATE utf8mb4_bin' && " + script + " | " +
              server.Client() + " " + database,
          &status);
    ASSERT_EQ(status, 0) << package;
    const std::string dump =
        Shell(Program("mysqldump") + " --no-defaults -uroot -S " + Quoted(server.Socket()) + " --no-data " + database);
    const std::string query = server.Client() + " -B -N -e ";
    const std::string columns = Sorted(Shell(
        query +
        Quoted("SELECT c.TABLE_NAME, c.ORDINAL_POSITION, c.COLUMN_NAME, c.COLUMN_TYPE, k.COLUMN_NAME IS NOT NULL, "
               "c.IS_NULLABLE = 'NO' "
               "FROM information_schema.COLUMNS c LEFT JOIN information_schema.KEY_COLUMN_USAGE k ON k.TABLE_SCHEMA = "
               "c.TABLE_SCHEMA "
               "AND k.TABLE_NAME = c.TABLE_NAME AND k.COLUMN_NAME = c.COLUMN_NAME AND k.CONSTRAINT_NAME = 'PRIMARY' "
               "WHERE c.TABLE_SCHEMA = '" +
               database + "'")));
    const std::string keys = Sorted(Shell(
        query +
        Quoted("SELECT CONSTRAINT_NAME, TABLE_NAME, GROUP_CONCAT(COLUMN_NAME ORDER BY ORDINAL_POSITION), "
               "REFERENCED_TABLE_NAME, "
               "GROUP_CONCAT(REFERENCED_COLUMN_NAME ORDER BY ORDINAL_POSITION) FROM "
               "information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = '" +
               database +
               "' AND REFERENCED_TABLE_NAME IS NOT NULL GROUP BY TABLE_NAME, CONSTRAINT_NAME, REFERENCED_TABLE_NAME")));
    EXPECT_GE(std::count(columns.begin(), columns.end(), '\n'), 50) << package;
    const TDatabaseSchema schema = ReadSqlSchema(dump);
    EXPECT_EQ(Described(schema, false, false, false), columns) << package;
    EXPECT_EQ(Described(schema, false, true, true), keys) << package;
  }
}
