// The tables and foreign keys of a SQLite database file, read through the SQLite library itself.
#pragma once

#include <string>
#include <string_view>

#include "database_schema.h"

// Whether the bytes begin as every SQLite database file does ("SQLite format 3" and a zero byte).
bool IsSqliteHeader(std::string_view firstBytes);

// Opens the file read-only and reads its tables (not views, not SQLite's own), their columns with
// declared type, NOT NULL and primary key, and their foreign keys (named as the table's SQL names
// them, where it does). Raises EToolkitError naming the file and SQLite's reason when it cannot be
// opened or read.
TDatabaseSchema ReadSqliteSchema(const std::string& fileName);
