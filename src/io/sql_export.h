// The diagram's model as an SQL script that a database engine loads: a table per entity, a column
// per property row, foreign keys from the relation boxes, methods, events and calls as comments; in
// the dialect of PostgreSQL, MySQL/MariaDB or SQLite. Also the menu's command and the command line's
// writing of it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TOOAPanel;

enum class TSqlDialect { PostgreSql, MySql, Sqlite };

// The dialect as --sql-dialect names it ("postgresql", "mysql", "sqlite"), letter case ignored;
// none for any other name.
std::optional<TSqlDialect> SqlDialectByName(std::string_view name);
// The dialect as the user reads it: "PostgreSQL", "MySQL", "SQLite".
const char* SqlDialectTitle(TSqlDialect dialect);

// The names the script gives, per entity in the diagram's order: its table's, and its property
// rows' columns' in their order. The rule is written at the top of every script (see sql_export.cpp).
struct TSqlTableNames {
  std::string Table;
  std::vector<std::string> Columns;
};
std::vector<TSqlTableNames> SqlNamesOf(const TOOAPanel& panel, TSqlDialect dialect);

// The whole diagram (every entity, whatever page it stands on) as a script of the dialect. The same
// diagram always gives the same bytes.
std::string SqlScriptOf(const TOOAPanel& panel, TSqlDialect dialect);

// Writes the script into exactly this file, replacing it only once the whole text is written
// (EToolkitError "Cannot create file ..." otherwise).
void WriteSqlScript(const TOOAPanel& panel, const std::string& fileName, TSqlDialect dialect);

// "-> Export SQL...": the dialect chosen first, then the file, proposed after the diagram's name in
// its folder; replacing an existing file is asked first.
void ExportSqlCommand(TOOAPanel& panel);
// Makes the panel's SQL export item run the command above.
void InstallSqlExport(TOOAPanel& panel);
