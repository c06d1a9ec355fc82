// The SQL script reader on any bytes: it ends, and what it gives holds together. Skipped statements
// are counted with the first few kept, in order of their lines, each named by one line of valid UTF-8
// of at most 60 bytes; SQLite's own tables are left out; key columns are not null; every foreign key
// has columns. A script whose lines end in LF reads alike with its lines ending in CR LF.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "sql_schema_reader.h"
#include "text.h"
#include "text_encoding.h"

namespace {
void CheckWhole(const TDatabaseSchema& schema, std::string_view script) {
  FUZZ_CHECK(schema.SkippedCount >= 0);
  FUZZ_CHECK(schema.Skipped.size() == std::min<size_t>(schema.SkippedCount, TDatabaseSchema::SkippedKept));
  int lines = 1;
  for (size_t k = 0; k < script.size(); ++k)
    if (script[k] == '\n' || (script[k] == '\r' && (k + 1 == script.size() || script[k + 1] != '\n'))) ++lines;
  int previous = 1;
  for (const TSkippedStatement& skipped : schema.Skipped) {
    FUZZ_CHECK(skipped.Line >= previous && skipped.Line <= lines);
    previous = skipped.Line;
    FUZZ_CHECK(skipped.Text.size() <= 60 && IsValidUtf8(skipped.Text));
    for (const char c : skipped.Text) FUZZ_CHECK(static_cast<unsigned char>(c) >= ' ' && c != 0x7F);
  }
  for (const TSchemaTable& table : schema.Tables) {
    FUZZ_CHECK(!SameText(table.Name.substr(0, 7), "sqlite_"));
    for (const TSchemaColumn& column : table.Columns) FUZZ_CHECK(!column.PrimaryKey || column.NotNull);
  }
  for (const TSchemaForeignKey& key : schema.ForeignKeys) FUZZ_CHECK(!key.Columns.empty());
}

// What does not depend on how lines end: the counts of everything and the lines of what was skipped.
std::string Shape(const TDatabaseSchema& schema) {
  std::string shape = "tables " + std::to_string(schema.Tables.size()) + ":";
  for (const TSchemaTable& table : schema.Tables) {
    shape += " " + std::to_string(table.Columns.size());
    for (const TSchemaColumn& column : table.Columns) shape += column.PrimaryKey ? "P" : column.NotNull ? "N" : "";
  }
  shape += "\nkeys " + std::to_string(schema.ForeignKeys.size()) + ":";
  for (const TSchemaForeignKey& key : schema.ForeignKeys) shape += " " + std::to_string(key.Columns.size());
  shape += "\nskipped " + std::to_string(schema.SkippedCount) + ":";
  for (const TSkippedStatement& skipped : schema.Skipped) shape += " " + std::to_string(skipped.Line);
  return shape + "\n";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  const TDatabaseSchema schema = ReadSqlSchema(script);
  CheckWhole(schema, script);
  if (script.find('\r') == std::string_view::npos) {
    std::string crlf;
    for (const char c : script) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const TDatabaseSchema again = ReadSqlSchema(crlf);
    CheckWhole(again, crlf);
    if (Shape(again) != Shape(schema)) FailCheck("CR LF line ends read otherwise than LF", Shape(schema), Shape(again));
  }
  return 0;
}
