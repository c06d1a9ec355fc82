#include "sql_round_trip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "database_import.h"
#include "diagram_file_reader.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "property.h"
#include "relation.h"
#include "scripted_platform.h"
#include "sql_schema_reader.h"

namespace {
std::string Lines(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string KindText(const TColumnKind& kind, bool key, bool notNull) {
  return std::string(" ") + DataTypeName(kind.Type) + " " + IntToText(kind.Size) + " " + IntToText(kind.Scale) +
         (key ? " pk" : "") + (notNull ? " nn" : "");
}

// What the dialect keeps of the row's kind, size and scale (see the README's table).
TColumnKind KeptKind(const TProperty& row, TSqlDialect dialect) {
  const int size = std::clamp(row.DataSize(), 0, TProperty::MaxDataSize), scale = std::max(row.DataScale(), 0);
  const bool pg = dialect == TSqlDialect::PostgreSql, my = dialect == TSqlDialect::MySql;
  const bool fixed = size > 0 && scale <= size && (!pg || size <= 1000) && (!my || (size <= 65 && scale <= 30));
  // MySQL: TEXT and BLOB beyond its VARCHAR and VARBINARY, which a primary key cannot hold.
  const auto held = [&](int most) { return !my || (size > 0 && size <= most) ? size : row.PrimaryKey() ? 255 : 0; };
  switch (row.DataType()) {
    case pdtVachar: return {pdtVachar, held(16383), 0};
    case pdtDouble: return {pdtDouble, fixed ? size : 0, fixed ? scale : 0};
    case pdtBinary: return {pdtBinary, pg ? 0 : held(65535), 0};
    case pdtBool: return {my ? pdtInteger : pdtBool, 0, 0};
    default: return {row.DataType(), 0, 0};
  }
}

// Names and links an engine finds hard: clashes in letter case, empty names, quotes, line ends and
// comment ends in names, SQLite's own prefix, names longer than PostgreSQL keeps, keys in a cycle, to
// a column that is no key, of mismatched types, of two columns, to itself, and without ends.
void BuildHardDiagram(TOOAPanel& panel) {
  const auto c = [](const std::string& name, const char* type, bool key = false, bool notNull = false) {
    return TSchemaColumn{name, type, key, key || notNull};
  };
  std::string e;
  for (int i = 0; i < 40; ++i) e += "\xC3\xA9";
  const std::string note = "note \"q\" `b` 'c'\n*/ --";
  TDatabaseSchema schema;
  schema.Tables = {{"", "Order", {c("id", "int", true), c("ID", "varchar(30)"), c("blank", "numeric(10,2)"),
                                  c("huge", "numeric(5000,2)"), c(note, "text"), c("buyer", "int"),
                                  c("flag", "boolean", false, true), c("data", "varbinary(16)"), c("float", "real")}},
                   {"", "ORDER", {c("code", "varchar(20)"), c("order", "int", true)}},
                   {"", "sqlite_customer", {c("id", "int", true), c("last order", "int"), c("code", "varchar(40)")}},
                   {"", "empty", {}}, {"", e + "1", {c(e + "1", "int"), c(e + "3", "int")}},
                   {"", e + "2", {c(e + "2", "int"), c(e + "3", "int")}},
                   {"", "Pair", {c("a", "int", true), c("b", "varchar(5)", true)}},
                   {"", "Ref", {c("x", "int"), c("y", "varchar(5)")}}};
  schema.ForeignKeys = {{"pair", "", "Ref", {"x", "y"}, "", "Pair", {"a", "b"}},
                        {"buyer", "", "Order", {"buyer"}, "", "sqlite_customer", {"id"}},
                        {"last\n*/ order", "", "sqlite_customer", {"last order"}, "", "Order", {"id"}},
                        {"code", "", "sqlite_customer", {"code"}, "", "ORDER", {"code"}},
                        {"mismatch", "", "Order", {note}, "", "sqlite_customer", {"id"}},
                        {"self", "", "ORDER", {"order"}, "", "ORDER", {"order"}}};
  ImportDatabaseSchema(panel, schema, "Page", "hard");
  TEntity &order = *panel.Entities()[0], &customer = *panel.Entities()[2];
  panel.Entities()[3]->SetEntityDesc("");
  order.PropertyList()[2].Object->SetPropertyDesc("");
  AddRelation(order, "loose", true);
  TMethod &place = *AddMethod(order, "place\n*/ DROP TABLE x; --", true), &notify = *AddMethod(customer, "notify", true);
  place.SetCallMethod(&notify);
  TEntityEvent& event = *AddEntityEvent(order, "on place */", true);
  event.SetSourceEntity(&order), event.SetSourceMethod(&place), event.SetTargetEntity(&customer), event.SetTargetMethod(&notify);
}

void ForEachTestDiagram(const std::function<void(const std::string& name, const TOOAPanel& panel)>& each) {
  const auto with = [&](const std::string& name, const std::function<void(TOOAPanel&)>& build) {
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    build(panel);
    each(name, panel);
  };
  for (const char* file : {"tests/io/golden/orders_built.ERD", "tests/io/golden/orders_example.ERD", "examples/shop.ERD"})
    with(file, [&](TOOAPanel& panel) { LoadDiagramFile(panel, QUORVANE_SOURCE_DIR "/" + std::string(file)); });
  for (const unsigned seed : {1u, 2u, 3u}) with("generated " + IntToText(seed), [&](TOOAPanel& panel) { GenerateDiagram(panel, seed); });
  with("hard", BuildHardDiagram);
  const char* root = std::getenv("QUORVANE_SCHEMAS");
  const std::string schemas = root ? root : std::getenv("HOME") + std::string("/.cache/quorvane/schemas");
  for (const std::string file : {"/zabbix-server-pgsql/usr/share/zabbix-server-pgsql/schema.sql.gz",
                                  "/roundcube-core/usr/share/dbconfig-common/data/roundcube/install/sqlite3"}) {
    if (!std::filesystem::exists(schemas + file)) {
      ADD_FAILURE() << schemas + file << " is missing: scripts/setup.sh fetches it (scripts/fetch_schemas.sh)";
      continue;
    }
    const std::string script = Shell("gzip -dcf < '" + schemas + file + "'");
    with(file, [&](TOOAPanel& panel) { ImportDatabaseSchema(panel, ReadSqlSchema(script), "schema", file); });
  }
}

std::string Described(const TDatabaseSchema& schema) {
  std::vector<std::string> lines;
  for (const TSchemaTable& table : schema.Tables) {
    std::string line = table.Name + ":";
    for (const TSchemaColumn& column : table.Columns)
      line += " " + column.Name + KindText(ColumnKindOf(column.Type), column.PrimaryKey, column.NotNull);
    lines.push_back(line);
  }
  for (const TSchemaForeignKey& key : schema.ForeignKeys)
    for (size_t i = 0; i < key.Columns.size(); ++i)
      lines.push_back(key.Table + "." + key.Columns[i] + " -> " + key.RefTable + "." +
                      (i < key.RefColumns.size() ? key.RefColumns[i] : "?"));
  return Lines(lines);
}

std::string Expected(const TOOAPanel& panel, TSqlDialect dialect) {
  const std::vector<TSqlTableNames> names = SqlNamesOf(panel, dialect);
  std::vector<std::string> lines;
  std::unordered_map<const TProperty*, std::string> columnOf;
  size_t t = 0;
  for (const auto& entity : panel.Entities()) {
    if (!entity) continue;
    const TSqlTableNames& table = names[t++];
    std::string line = table.Table + ":";
    size_t c = 0;
    for (const auto& slot : entity->PropertyList()) {
      const TProperty& row = *slot.Object;
      columnOf[&row] = table.Table + "." + table.Columns[c];
      line += " " + table.Columns[c++] + KindText(KeptKind(row, dialect), row.PrimaryKey(), row.NotNull() || row.PrimaryKey());
    }
    if (c == 0 && dialect != TSqlDialect::PostgreSql) line += " no_property_rows Integer 0 0";
    lines.push_back(line);
  }
  for (const auto& entity : panel.Entities())
    for (const auto& slot : entity->RelationList()) {
      const TProperty *from = slot.Object->SourceProperty(), *to = slot.Object->TargetProperty();
      if (!from || !to) continue;
      // Engines but SQLite make keys only between columns of one type (numbers fixed or floating;
      // MySQL: of one precision and scale, and no TEXT or BLOB).
      const TColumnKind a = KeptKind(*from, dialect), b = KeptKind(*to, dialect);
      const bool text = from->DataType() == pdtVachar || from->DataType() == pdtBinary;
      const bool comparable =
          dialect == TSqlDialect::Sqlite ||
          (from->DataType() == to->DataType() &&
           (dialect == TSqlDialect::PostgreSql
                ? from->DataType() != pdtDouble || (from->DataSize() > 0) == (to->DataSize() > 0)
                : (a.Size == b.Size && a.Scale == b.Scale) || text) &&
           (dialect == TSqlDialect::PostgreSql || !text || (a.Size > 0 && b.Size > 0)));
      if (comparable) lines.push_back(columnOf[from] + " -> " + columnOf[to]);
    }
  // MySQL's dump is read by the script reader, which leaves out tables named as SQLite's own.
  std::erase_if(lines, [&](const std::string& line) { return dialect == TSqlDialect::MySql && line.starts_with("sqlite_"); });
  return Lines(lines);
}
}  // namespace

void ExpectEveryScriptReadsBackAsItsModel(TSqlDialect dialect, const TScriptLoader& load) {
  TTempFolder folder;
  int databases = 0;
  ForEachTestDiagram([&](const std::string& name, const TOOAPanel& panel) {
    const std::string script = folder / "export.sql", database = "export" + IntToText(++databases);
    WriteBytes(script, SqlScriptOf(panel, dialect));
    try {
      EXPECT_EQ(Described(load(script, database)), Expected(panel, dialect)) << name;
    } catch (const std::exception& error) {
      ADD_FAILURE() << name << ": " << error.what();
    }
  });
  EXPECT_EQ(databases, 9);
}
