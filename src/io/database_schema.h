// A database's tables and foreign keys as an import reads them, whichever source they come from (an
// SQL script, a SQLite file, a live PostgreSQL database): what the diagram is then made of.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "diagram_types.h"

struct TSchemaColumn {
  std::string Name;
  // The column's type as the source spells it: "character varying(40)", "INT(11) UNSIGNED",
  // "numeric(10,2)"; empty where the source gives none (a SQLite column may have no type).
  std::string Type;
  bool PrimaryKey = false;
  bool NotNull = false;
};

struct TSchemaTable {
  // Empty where the source names none (SQLite, an unqualified name in a script).
  std::string Schema;
  std::string Name;
  std::vector<TSchemaColumn> Columns;
};

// One foreign key: the referencing columns of a table and the columns they reference, pair by pair.
struct TSchemaForeignKey {
  // The constraint's name; empty when the source gives none.
  std::string Name;
  std::string Schema;
  std::string Table;
  std::vector<std::string> Columns;
  std::string RefSchema;
  std::string RefTable;
  // Empty when the source names none: the referenced table's primary key, in its order.
  std::vector<std::string> RefColumns;
};

// A statement of a script that was skipped because it was not understood: where it starts (1-based
// line) and how it begins.
struct TSkippedStatement {
  int Line = 0;
  std::string Text;
};

struct TDatabaseSchema {
  // In the order the source gives them (a script's order; a catalog's by schema and name).
  std::vector<TSchemaTable> Tables;
  std::vector<TSchemaForeignKey> ForeignKeys;
  // Every statement not understood is counted; the first few are kept to be named.
  int SkippedCount = 0;
  std::vector<TSkippedStatement> Skipped;
  static constexpr size_t SkippedKept = 5;
};

// What a property row takes from a column's type: the kind, size and scale, and whether the type
// was one the kinds stand for (anything else is read as Varchar and said so).
struct TColumnKind {
  TPropertyDataType Type = pdtVachar;
  int Size = 0;
  int Scale = 0;
  bool Known = true;
  friend bool operator==(const TColumnKind&, const TColumnKind&) = default;
};
// Character types: Varchar with their length; integer types: Integer; numeric and decimal: Double
// with precision and scale; floating types: Double; boolean: Bool; binary and blob types: Binary;
// anything else (arrays, dates, a column without a type) Varchar, not known. Letter case, blanks and
// quotes do not matter; sizes beyond the row's largest are held at it.
TColumnKind ColumnKindOf(std::string_view type);
