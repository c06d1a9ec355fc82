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
  panel.OwnPageList().push_back("Page");
  panel.SetActivePageName("Page");
  const auto entity = [&](const std::string& desc) -> TEntity& {
    TEntity& made = panel.CreateEntity("x", true);
    made.SetEntityDesc(desc);
    return made;
  };
  const auto row = [](TEntity& owner, const std::string& desc, TPropertyDataType type, int size = 0, int scale = 0,
                      bool key = false) -> TProperty& {
    TProperty& made = *AddProperty(owner, "x", true);
    made.SetPropertyDesc(desc), made.SetDataType(type), made.SetDataSize(size), made.SetDataScale(scale);
    made.SetPrimaryKey(key), made.SetNotNull(type == pdtBool);
    return made;
  };
  const auto link = [](TProperty& from, TProperty& to, const std::string& desc) {
    TRelation& relation = *AddRelation(*from.OwnerEntity(), desc, true);
    relation.SetSourceEntity(from.OwnerEntity()), relation.SetSourceProperty(&from);
    relation.SetTargetEntity(to.OwnerEntity()), relation.SetTargetProperty(&to);
  };
  TEntity& order = entity("Order");
  TProperty& id = row(order, "id", pdtInteger, 0, 0, true);
  row(order, "ID", pdtVachar, 30), row(order, "", pdtDouble, 10, 2), row(order, "huge", pdtDouble, 5000, 2);
  TProperty& note = row(order, "note \"q\" `b` 'c'\n*/ --", pdtVachar);
  TProperty& buyer = row(order, "buyer", pdtInteger);
  row(order, "flag", pdtBool), row(order, "data", pdtBinary, 16), row(order, "float", pdtDouble, 0, 3);
  TEntity& upper = entity("ORDER");
  TProperty& code = row(upper, "code", pdtVachar, 20);
  TProperty& self = row(upper, "order", pdtInteger, 0, 0, true);
  TEntity& customer = entity("sqlite_customer");
  TProperty& customerId = row(customer, "id", pdtInteger, 0, 0, true);
  TProperty& last = row(customer, "last order", pdtInteger);
  TProperty& customerCode = row(customer, "code", pdtVachar, 40);
  entity("");
  std::string longName;
  for (int i = 0; i < 40; ++i) longName += "\xC3\xA9";
  for (const char* end : {"1", "2"}) {
    TEntity& named = entity(longName + end);
    row(named, longName + end, pdtInteger), row(named, longName + "3", pdtInteger);
  }
  TEntity& pair = entity("Pair");
  TProperty &a = row(pair, "a", pdtInteger, 0, 0, true), &b = row(pair, "b", pdtVachar, 5, 0, true);
  TEntity& ref = entity("Ref");
  link(row(ref, "x", pdtInteger), a, "pair"), link(row(ref, "y", pdtVachar, 5), b, "pair");
  link(buyer, customerId, "buyer"), link(last, id, "last\n*/ order"), link(customerCode, code, "code");
  link(note, customerId, "mismatch"), link(self, self, "self");
  AddRelation(order, "loose", true);
  TMethod &place = *AddMethod(order, "place\n*/ DROP TABLE x; --", true), &notify = *AddMethod(customer, "notify", true);
  place.SetCallMethod(&notify);
  TEntityEvent& event = *AddEntityEvent(order, "on place */", true);
  event.SetSourceEntity(&order), event.SetSourceMethod(&place), event.SetTargetEntity(&customer), event.SetTargetMethod(&notify);
}
}  // namespace

void ForEachSqlTestDiagram(const std::function<void(const std::string& name, const TOOAPanel& panel)>& each) {
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

std::string DescribeSqlTables(const TDatabaseSchema& schema) {
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

std::string ExpectedSqlTables(const TOOAPanel& panel, TSqlDialect dialect) {
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
  return Lines(lines);
}
