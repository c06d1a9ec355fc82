// The tables and foreign keys of an SQL script, read tolerantly as real dumps are written:
// PostgreSQL (pg_dump's output included), MySQL and MariaDB (mysqldump's), SQLite (.schema's).
#pragma once

#include <string_view>

#include "database_schema.h"

// Reads every CREATE TABLE (columns in order, with their types, inline and table primary keys, NOT
// NULL, inline and table foreign keys) and every ALTER TABLE ... ADD [CONSTRAINT name] PRIMARY KEY /
// FOREIGN KEY. Statements that do not bear on tables (SET, sequences, indexes, functions, views,
// comments, grants, inserts and the like) are passed over; a statement not understood is skipped and
// counted with its line. Never raises: a script that holds no table gives no table.
TDatabaseSchema ReadSqlSchema(std::string_view script);
