// What the SQL export's tests share: the diagrams every dialect's script is loaded from, and the
// tables a database holds once loaded, side by side with those the diagram says it should hold.
#pragma once

#include <functional>
#include <string>

#include "sql_export.h"

class TOOAPanel;
struct TDatabaseSchema;

// Calls each with every diagram the export is tried on: the golden files and the example, generated
// diagrams, one of the names, types and links hardest for an engine, and real schemas imported
// (fetched by scripts/fetch_schemas.sh; a missing one fails the test).
void ForEachSqlTestDiagram(const std::function<void(const std::string& name, const TOOAPanel& panel)>& each);

// A line per table, its columns in order (name, kind, size, scale, pk, nn), and a line per column
// pair of every foreign key, sorted: as a database read back holds them, and as the diagram's script
// should make them in the dialect (what the dialect keeps of each kind, the keys it can make).
std::string DescribeSqlTables(const TDatabaseSchema& schema);
std::string ExpectedSqlTables(const TOOAPanel& panel, TSqlDialect dialect);
