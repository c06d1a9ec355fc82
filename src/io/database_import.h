// A database made into a diagram: one Data entity per table, one property row per column (kind,
// size, scale, key and not-null from the column), one relation box per pair of foreign key columns,
// all on a new page named after the source and laid out; split over several pages, with an overview
// of every table, when they do not fit readably on one. Also the import's commands: in the surface
// menu, and the command line's --import-schema, which tells its sources apart by what they hold.
#pragma once

#include <string>
#include <string_view>

#include "database_schema.h"

class TOOAPanel;

// Makes the schema's tables and foreign keys into the diagram as one undo step, on pages named after
// pageName, and returns what was made, one paragraph for the user (what was read as Varchar, foreign
// keys that name what the source does not hold, statements skipped). sourceName is the source as the
// paragraph names it ("/data/shop.sql" in quotes, the PostgreSQL database "shop"). Raises
// EToolkitError "No table was found in SOURCE." before changing anything when the schema holds no
// table.
std::string ImportDatabaseSchema(TOOAPanel& panel, const TDatabaseSchema& schema, const std::string& pageName,
                                 const std::string& sourceName);

// What a source given to --import-schema is, by what it holds: a PostgreSQL URI, a SQLite database
// (by its header, whatever its name), a schema export file (".SFD", or a first line of hexadecimal
// digits pairs), or else an SQL script.
enum class TSchemaSourceKind { SchemaExport, SqlScript, Sqlite, Postgres };
TSchemaSourceKind SchemaSourceKindOf(const std::string& source, std::string_view firstBytes);

// Imports the source, whichever kind it is; a schema export file exactly as its menu command does,
// any other source as ImportDatabaseSchema, the summary told as a notice. Raises EToolkitError, the
// diagram unchanged, when the source cannot be read or holds no table.
void ImportSchemaSource(TOOAPanel& panel, const std::string& source);

// The surface menu's commands: a database file (SQL script or SQLite database) chosen in a file
// dialog, and a PostgreSQL database given by its connection (a URI or key=value words; a password is
// asked for when the server wants one, and never kept).
void ImportDatabaseFileCommand(TOOAPanel& panel);
void ImportPostgresCommand(TOOAPanel& panel);

// Makes the panel's database import items run the commands above.
void InstallDatabaseImport(TOOAPanel& panel);
