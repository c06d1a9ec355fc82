// A database's schema made into a diagram: the kinds columns give, the entities, rows and relations
// made, pages named after the source, an overview and pages by group when the tables are many, one
// undo step, and sources told apart by what they hold.
#include "database_import.h"

#include <gtest/gtest.h>

#include "diagram_fixture.h"
#include "placement.h"
#include "property.h"
#include "relation.h"
#include "toolkit_error.h"

TEST(ColumnKindOf, TheKindSizeAndScaleOfEachTypeWord) {
  const struct {
    const char* type;
    TColumnKind kind;
  } cases[] = {
      {"character varying(40)", {pdtVachar, 40, 0, true}}, {"national character varying(20)", {pdtVachar, 20, 0, true}},
      {"`VARCHAR`(255) CHARACTER SET utf8", {pdtVachar, 255, 0, true}}, {"text", {pdtVachar, 0, 0, true}},
      {"varchar(99999999)", {pdtVachar, 1000000, 0, true}}, {"int(11) unsigned", {pdtInteger, 0, 0, true}},
      {"BIGSERIAL", {pdtInteger, 0, 0, true}}, {"UNSIGNED BIG INT", {pdtInteger, 0, 0, true}},
      {"numeric(10,2)", {pdtDouble, 10, 2, true}}, {"DECIMAL( 8 , 3 )", {pdtDouble, 8, 3, true}},
      {"decimal", {pdtDouble, 0, 0, true}}, {"double precision", {pdtDouble, 0, 0, true}},
      {"float(53)", {pdtDouble, 0, 0, true}}, {"BOOLEAN", {pdtBool, 0, 0, true}}, {"bytea", {pdtBinary, 0, 0, true}},
      {"varbinary(16)", {pdtBinary, 16, 0, true}}, {"bit(1)", {pdtBinary, 1, 0, true}},
      // Types that only begin like a kind's word, arrays and no type at all are other types.
      {"interval", {pdtVachar, 0, 0, false}}, {"integer[]", {pdtVachar, 0, 0, false}},
      {"int ARRAY", {pdtVachar, 0, 0, false}}, {"timestamp without time zone", {pdtVachar, 0, 0, false}},
      {"", {pdtVachar, 0, 0, false}}, {"characteristic", {pdtVachar, 0, 0, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(ColumnKindOf(c.type), c.kind) << c.type;
}

TEST(SchemaSourceKindOf, SourcesAreToldApartByWhatTheyHold) {
  const std::string sqlite("SQLite format 3\0\x10\x00", 18);
  const struct {
    const char* source;
    std::string bytes;
    TSchemaSourceKind kind;
  } cases[] = {
      {"shop.sql", "CREATE TABLE a (b int);", TSchemaSourceKind::SqlScript},
      {"shop.db", sqlite, TSchemaSourceKind::Sqlite},
      {"shop.sql", sqlite, TSchemaSourceKind::Sqlite},
      {"Customer.SFD", "", TSchemaSourceKind::SchemaExport},
      {"customer.sfd", "not hex", TSchemaSourceKind::SchemaExport},
      {"customer.export", "3A4b5C6d7E\r\nrest", TSchemaSourceKind::SchemaExport},
      {"dump", "abc\nCREATE TABLE", TSchemaSourceKind::SqlScript},
      {"postgresql://user@host/db", "", TSchemaSourceKind::Postgres},
      {"postgres://host:5433/db", "", TSchemaSourceKind::Postgres},
  };
  for (const auto& c : cases) EXPECT_EQ(SchemaSourceKindOf(c.source, c.bytes), c.kind) << c.source;
}

namespace {
TSchemaColumn Column(const char* name, const char* type, bool key = false, bool notNull = false) {
  return {name, type, key, notNull || key};
}

TDatabaseSchema Shop() {
  TDatabaseSchema schema;
  schema.Tables = {
      {"", "customers", {Column("id", "integer", true), Column("name", "varchar(40)", false, true), Column("spot", "point")}},
      {"", "orders", {Column("id", "serial", true), Column("customer_id", "int"), Column("total", "numeric(10,2)")}},
      {"", "order_lines", {Column("order_id", "int", true), Column("line_no", "smallint", true), Column("note", "text")}},
      {"", "shipments", {Column("order_id", "int"), Column("line_no", "smallint")}},
  };
  schema.ForeignKeys = {
      {"", "", "orders", {"customer_id"}, "", "CUSTOMERS", {}},                       // unnamed, to the key
      {"line_order", "", "order_lines", {"order_id"}, "", "orders", {"id"}},
      {"shipped_line", "", "shipments", {"order_id", "line_no"}, "", "order_lines", {"order_id", "line_no"}},
      {"ghost_fkey", "", "orders", {"customer_id"}, "", "ghosts", {"id"}},           // no such table
  };
  schema.SkippedCount = 7;
  schema.Skipped = {{3, "CREATE RULE r AS ON"}};
  return schema;
}

std::string Numbered(std::string prefix, int n) { return prefix.append(std::to_string(n)); }

std::string RowsOf(const TEntity& entity) {
  std::string text;
  for (const auto& slot : entity.PropertyList()) {
    const TProperty& row = *slot.Object;
    text += row.PropertyDesc() + ":" + DataTypeName(row.DataType()) + "," + std::to_string(row.DataSize()) + "," +
            std::to_string(row.DataScale()) + (row.PrimaryKey() ? " key" : "") + (row.NotNull() ? " nn" : "") + "; ";
  }
  return text;
}

std::string RelationsOf(const TOOAPanel& panel) {
  std::string text;
  for (const auto& entity : panel.Entities())
    for (const auto& slot : entity->RelationList()) {
      const TRelation& box = *slot.Object;
      text += box.RelationDesc() + ": " + box.SourceEntity()->EntityDesc() + "." + box.SourceProperty()->PropertyDesc() +
              " -> " + box.TargetEntity()->EntityDesc() + "." + box.TargetProperty()->PropertyDesc() + "; ";
    }
  return text;
}
}  // namespace

class DatabaseImport : public DiagramTest {};

TEST_F(DatabaseImport, TablesBecomeDataEntitiesColumnsRowsAndForeignKeysRelationsOnTheirOwnPageAsOneStep) {
  AddPage("Sketch");
  AddEntity("Idea");
  const size_t steps = panel.History().StepCount();
  const std::string summary = ImportDatabaseSchema(panel, Shop(), "shop", "\"/data/shop.sql\"");
  ASSERT_EQ(panel.Entities().size(), 5u);
  EXPECT_EQ(RowsOf(*panel.Entities()[1]), "id:Integer,0,0 key nn; name:Varchar,40,0 nn; spot:Varchar,0,0; ");
  EXPECT_EQ(RowsOf(*panel.Entities()[2]), "id:Integer,0,0 key nn; customer_id:Integer,0,0; total:Double,10,2; ");
  EXPECT_EQ(RelationsOf(panel),
            "orders_customer_id_fkey: orders.customer_id -> customers.id; line_order: order_lines.order_id -> orders.id; "
            "shipped_line: shipments.order_id -> order_lines.order_id; shipped_line: shipments.line_no -> order_lines.line_no; ");
  EXPECT_EQ(panel.OwnPageList(), (TEntryList{"Sketch", "shop"}));
  EXPECT_EQ(panel.ActivePageName(), "shop");
  for (size_t i = 1; i < panel.Entities().size(); ++i) {
    const TEntity& entity = *panel.Entities()[i];
    EXPECT_EQ(entity.EntityType(), Et_Data);
    EXPECT_EQ(entity.ActivePages().size(), 1u);
    EXPECT_TRUE(entity.IsOnPage("shop") && entity.Visible()) << entity.EntityDesc();
    for (const auto& slot : entity.RelationList()) EXPECT_TRUE(slot.Object->IsOnPage("shop"));
  }
  EXPECT_FALSE(panel.Entities()[0]->Visible()) << "the page shown is the import's";
  for (const char* told : {"4 tables with 11 columns and 4 relations from \"/data/shop.sql\" onto the page \"shop\"",
                           "1 column of another type was read as Varchar: point (1)",
                           "1 foreign key was left out, naming a table or column the source does not hold: ghost_fkey",
                           "7 statements were not understood and skipped: line 3 \"CREATE RULE r AS ON\", ..."})
    EXPECT_NE(summary.find(told), std::string::npos) << told << "\n" << summary;

  ASSERT_EQ(panel.History().StepCount(), steps + 1);
  EXPECT_EQ(panel.History().UndoName(), "Import Database Schema");
  panel.UndoCommand();
  EXPECT_EQ(panel.Entities().size(), 1u);
  EXPECT_EQ(panel.OwnPageList(), (TEntryList{"Sketch"}));
  EXPECT_EQ(panel.ActivePageName(), "Sketch");
  panel.RedoCommand();
  EXPECT_EQ(panel.Entities().size(), 5u);
  EXPECT_EQ(panel.ActivePageName(), "shop");

  // A second import of the same source lands on a page of its own; a source without tables changes
  // nothing and says why.
  ImportDatabaseSchema(panel, Shop(), "SHOP", "shop.sql");
  EXPECT_EQ(panel.OwnPageList().back(), "SHOP (2)");
  ImportDatabaseSchema(panel, Shop(), "a @1,2", "a.sql");  // " @" ends a page's name in an entry
  EXPECT_EQ(panel.OwnPageList().back(), "a _1,2");
  TDatabaseSchema empty;
  empty.SkippedCount = 2;
  empty.Skipped = {{4, "SELEC 1"}};
  const size_t before = panel.History().StepCount();
  try {
    ImportDatabaseSchema(panel, empty, "none", "\"none.sql\"");
    ADD_FAILURE() << "no error";
  } catch (const EToolkitError& error) {
    EXPECT_STREQ(error.what(), "No table was found in \"none.sql\". 2 statements were not understood, the first at line 4.");
  }
  EXPECT_EQ(panel.History().StepCount(), before);
  EXPECT_EQ(panel.OwnPageList().size(), 4u);
}

// Tables of several schemas are named with their schema; many tables go onto pages by group, each
// page holding the tables its relations reach, behind an overview of every table by its title.
TEST_F(DatabaseImport, ManyTablesGoOntoPagesByGroupBehindAnOverview) {
  TDatabaseSchema schema;
  for (int t = 0; t < 160; ++t) {
    TSchemaTable table{t % 2 ? "sales" : "stock", Numbered("t", t), {Column("id", "int", true)}};
    for (int c = 0; c < 14; ++c) table.Columns.push_back(Column(Numbered("column_", c).c_str(), "varchar(30)"));
    schema.Tables.push_back(table);
    if (t % 8) schema.ForeignKeys.push_back({"", table.Schema, table.Name, {"column_0"}, t % 2 ? "stock" : "sales",
                                             Numbered("t", t - 1), {"id"}});
  }
  ImportDatabaseSchema(panel, schema, "big", "big.sql");
  EXPECT_EQ(panel.Entities()[1]->EntityDesc(), "sales.t1");
  const TEntryList& pages = panel.OwnPageList();
  ASSERT_GT(pages.size(), 2u);
  EXPECT_EQ(pages[0], "big");
  EXPECT_EQ(pages[1], "big 1");
  EXPECT_EQ(panel.ActivePageName(), "big");
  for (const auto& entity : panel.Entities()) {
    const std::string* overview = entity->EntryOn("big");
    ASSERT_TRUE(overview) << entity->EntityDesc();
    EXPECT_TRUE(EntryHidesProperty(*overview));
    EXPECT_GE(entity->ActivePages().size(), 2u) << "on a page of its group too";
    for (const auto& slot : entity->RelationList()) {
      const TRelation& box = *slot.Object;
      ASSERT_EQ(box.ActivePages().size(), 1u);
      const std::string page = PageOfEntry(box.ActivePages()[0]);
      EXPECT_TRUE(box.SourceEntity()->IsOnPage(page) && box.TargetEntity()->IsOnPage(page)) << page;
    }
  }
}
