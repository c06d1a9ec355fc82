// What the SQL export's tests share: every test diagram's script loaded into a database, and what
// the database holds read back and held against what the diagram says it should hold.
#pragma once

#include <functional>
#include <string>

#include "database_schema.h"
#include "sql_export.h"

// Loads the script file into a new database of this name and reads the database back; throws what
// the engine said when the script does not load.
using TScriptLoader = std::function<TDatabaseSchema(const std::string& scriptFile, const std::string& database)>;

// Loads the dialect's script of every test diagram (the golden files and the example, generated
// diagrams, one of the names, types and links hardest for an engine, and real schemas imported,
// fetched by scripts/fetch_schemas.sh) and expects each table's columns (kind, size and scale as the
// dialect keeps them, key, not-null) and each foreign key's column pairs as the diagram has them.
void ExpectEveryScriptReadsBackAsItsModel(TSqlDialect dialect, const TScriptLoader& load);
