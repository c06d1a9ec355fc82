// An entity's rows as text: read back unchanged they change nothing; edited, the rows that keep
// their lines keep their names, links and calls, in one step that undo takes back byte for byte;
// a text with a line that cannot be read changes nothing.
#include "rows_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "property.h"
#include "relation.h"

namespace {
void EditRows(TEntity& entity) { entity.Menu().Find("-> Edit Rows as Text...")->Click(); }
}  // namespace

TEST(RowsText, EveryEntityReadBackChangesNothing) {
  std::vector<std::string> files;
  for (const auto& folder : {std::string(QUORVANE_IO_GOLDEN_DIR), std::string(QUORVANE_EXAMPLES_DIR)})
    for (const auto& file : std::filesystem::directory_iterator(folder))
      if (file.path().extension() == ".ERD") files.push_back(ReadBytes(file.path()));
  for (unsigned seed = 1; seed <= 12; ++seed) {
    ScriptedPlatform platform;
    TOOAPanel generated(platform);
    generated.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    GenerateDiagram(generated, seed);
    files.push_back(DiagramFileText(generated));
  }
  for (const std::string& file : files) {
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    LoadDiagramText(panel, file);
    const std::string saved = DiagramFileText(panel);
    for (const auto& entity : panel.Entities()) {
      const std::string text = RowsTextOf(*entity);
      EXPECT_TRUE(ReadRowsText(text).Problems.empty()) << text;
      platform.EditTo(text);
      EditRows(*entity);
    }
    EXPECT_EQ(DiagramFileText(panel), saved);
    EXPECT_EQ(panel.History().Recorded(), 0) << "an unchanged text made a step";
  }
}

TEST_F(DiagramTest, RowsKeepTheirNamesLinksAndCallsWhereTheirLinesSurvive) {
  const struct {
    const char* text;
    const char* rows;  // each row's component name and line, then the relation's and event's ends
  } cases[] = {
      {"Id : integer KEY\nName : Varchar(40)\nAmount : Double(10,2)\nPay()\nBill()\n",
       "Prop1 Id : Integer key|Prop2 Name : Varchar(40)|Prop3 Amount : Double(10,2)|Method1 Pay()|Method2 Bill()>Method1|Prop2 Method1"},
      {"Amount : Double(10,2)\nId : Integer key\nName : Varchar(40)\nBill()\nPay()",
       "Prop3 Amount : Double(10,2)|Prop1 Id : Integer key|Prop2 Name : Varchar(40)|Method2 Bill()>Method1|Method1 Pay()|Prop2 Method1"},
      {"Id : Integer key\nSurname : Varchar(60) not null\nAmount : Bool\nSettle()\nBill()",
       "Prop1 Id : Integer key|Prop2 Surname : Varchar(60) not null|Prop3 Amount : Bool|Method1 Settle()|Method2 Bill()>Method1|Prop2 Method1"},
      {"  Id : Integer key\n\nNote : Binary(8)\nName : Varchar(40)\nAmount : Double(10,2)\nBill()\n\" Ship\\n\"()\nPay()",
       "Prop1 Id : Integer key|Prop4 Note : Binary(8)|Prop2 Name : Varchar(40)|Prop3 Amount : Double(10,2)|Method2 Bill()>Method1|Method3 \" Ship\\n\"()|Method1 Pay()|Prop2 Method1"},
      {"Amount : Double(10,2)\nBill()\nShip()",
       "Prop3 Amount : Double(10,2)|Method2 Bill()|Method3 Ship()|- -"},
  };
  for (const auto& c : cases) {
    panel.ClearDiagram();
    AddPage("P1");
    TEntity& customer = AddEntity("Customer");
    TEntity& order = AddEntity("Order", 400, 30);
    for (const char* desc : {"Id", "Name", "Amount"}) AddProperty(customer, desc, true);
    customer.PropertyByIndex(0)->SetDataType(pdtInteger);
    customer.PropertyByIndex(0)->SetPrimaryKey(true);
    customer.PropertyByIndex(1)->SetDataSize(40);
    customer.PropertyByIndex(2)->SetDataType(pdtDouble);
    customer.PropertyByIndex(2)->SetDataSize(10);
    customer.PropertyByIndex(2)->SetDataScale(2);
    TMethod* pay = AddMethod(customer, "Pay", true);
    AddMethod(customer, "Bill", true)->SetCallMethod(pay);
    TRelation* relation = AddRelation(order, "places", true);
    relation->SetTargetEntity(&customer);
    relation->SetTargetRow(customer.PropertyByIndex(1));
    TEntityEvent* event = AddEntityEvent(order, "pays", true);
    event->SetTargetEntity(&customer);
    event->SetTargetRow(pay);
    const long long recorded = panel.History().Recorded();
    const std::string before = DiagramFileText(panel);

    platform.EditTo(c.text);
    EditRows(customer);
    std::string rows;
    const auto add = [&rows](const TRow* row, const std::string& line, const char* after) {
      rows.append(row ? row->Name().substr(row->Name().find('_') + 1) : "-");
      if (!line.empty()) rows.append(" ").append(line);
      rows.append(after);
    };
    for (const auto& slot : customer.PropertyList()) {
      const TProperty& row = *slot.Object;
      add(&row, RowLineText({false, row.PropertyDesc(), row.DataType(), row.DataSize(), row.DataScale(),
                             row.PrimaryKey(), row.NotNull()}), "|");
    }
    for (const auto& slot : customer.MethodList()) {
      add(slot.Object.get(), RowLineText({true, slot.Object->MethodDesc()}), slot.Object->CallMethod() ? ">" : "");
      if (slot.Object->CallMethod()) add(slot.Object->CallMethod(), "", "");
      rows += "|";
    }
    add(relation->TargetRow(), "", " ");
    add(event->TargetRow(), "", "");
    EXPECT_EQ(rows, c.rows) << c.text;
    const std::string after = DiagramFileText(panel);
    EXPECT_EQ(panel.History().Recorded() - recorded, after == before ? 0 : 1) << c.text;
    if (after == before) continue;
    EXPECT_EQ(panel.History().UndoName(), "Edit Rows of Customer");
    panel.History().Undo();
    EXPECT_EQ(DiagramFileText(panel), before) << c.text;
    panel.History().Redo();
    EXPECT_EQ(DiagramFileText(panel), after) << c.text;
  }
}

TEST_F(DiagramTest, ALineThatCannotBeReadIsShownAndChangesNothing) {
  AddPage("P1");
  TEntity& entity = AddEntity("Customer");
  AddProperty(entity, "Id", true);
  const std::string before = DiagramFileText(panel);
  const long long recorded = panel.History().Recorded();
  const struct {
    const char* line;
    const char* problem;
  } cases[] = {
      {"Name : Varchr(40)", "unknown data type \"Varchr\" (Varchar, Integer, Double, Bool or Binary)"},
      {"Name : Varchar(4x)", "the size \"4x\" is not a whole number from 0 to 1000000"},
      {"Name : Double(10,-1)", "the scale \"-1\" is not a whole number from 0 to 1000000"},
      {"Name : Varchar(10,2)", "Varchar takes a size alone, no scale"},
      {"Name : Bool(1)", "Bool takes no size"},
      {"Name : Double(1,2,3)", "Double takes a size and a scale, no more"},
      {"Name : Varchar(40", "the \")\" after the size is missing"},
      {"Name : Varchar unique", "\"unique\" cannot follow the data type (only \"key\" and \"not null\" can)"},
      {"Name :", "the data type is missing after \":\" (Varchar, Integer, Double, Bool or Binary)"},
      {" : Integer", "the property's name is missing before \":\""},
      {"()", "the method's name is missing before \"()\""},
      {"Name", "a property is written \"Name : Type\", a method \"Name()\""},
      {"\"Name", "the quoted name has no closing quote"},
      {"\"Na\\me\"()", "unknown escape \"\\m\" in the quoted name (\\\", \\\\, \\n, \\r, \\t)"},
      {"\"Name\" Integer", "after the quoted name comes \"()\" for a method or \" : \" and the data type for a property"},
  };
  for (const auto& c : cases) {
    platform.EditTo("Id : Varchar\r\n\r\n" + std::string(c.line) + "\r\nPay()").CancelText();
    EditRows(entity);
    const auto problems = platform.CallsOf("Problems");
    ASSERT_FALSE(problems.empty()) << c.line;
    EXPECT_EQ(problems.back().Text, "3: " + std::string(c.problem) + "\n");
    EXPECT_EQ(DiagramFileText(panel), before) << c.line;
  }
  EXPECT_EQ(panel.History().Recorded(), recorded);
}
