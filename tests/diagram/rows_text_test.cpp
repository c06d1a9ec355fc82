// An entity's rows as text: read back unchanged, edited (one step, names, links and calls kept where
// lines survive), and with lines that cannot be read.
#include "rows_text.h"

#include <gtest/gtest.h>

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
  for (unsigned seed = 0; seed <= 12; ++seed) {  // the example, then generated diagrams
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    seed == 0 ? LoadDiagramText(panel, ReadBytes(QUORVANE_EXAMPLES_DIR "/shop.ERD")) : GenerateDiagram(panel, seed);
    const std::string saved = DiagramFileText(panel);
    const long long recorded = panel.History().Recorded();
    // A text that could not be read would keep the dialog open for an answer the script lacks.
    for (const auto& entity : panel.Entities()) {
      platform.EditTo(RowsTextOf(*entity));
      EditRows(*entity);
    }
    EXPECT_EQ(DiagramFileText(panel), saved) << seed;
    EXPECT_EQ(panel.History().Recorded(), recorded) << "an unchanged text made a step";
  }
}

TEST_F(DiagramTest, RowsKeepTheirNamesLinksAndCallsWhereTheirLinesSurvive) {
  const struct {
    const char* text;
    const char* names;  // the rows' names (a call after ">"), then the relation's and the event's ends
  } cases[] = {
      {"Id : integer KEY\nName : Varchar(40)\nAmount : Double(10,2)\nPay()\nBill()", "Prop1 Prop2 Prop3 Method1 Method2>Method1 | Prop2 Method1"},
      {"Amount : Double(10,2)\nId : Integer key\nName : Varchar(40)\nBill()\nPay()", "Prop3 Prop1 Prop2 Method2>Method1 Method1 | Prop2 Method1"},
      {"Id : Integer key\nSurname : Varchar(60) not null\nAmount : Bool\nSettle()\nBill()", "Prop1 Prop2 Prop3 Method1 Method2>Method1 | Prop2 Method1"},
      {"  Id : Integer key\n\nNote : Binary(8)\nName : Varchar(40)\nAmount : Double(10,2)\nBill()\n\" Ship\\n\"()\nPay()",
       "Prop1 Prop4 Prop2 Prop3 Method2>Method1 Method3 Method1 | Prop2 Method1"},
      {"Amount : Double(10,2)\nBill()\nShip()", "Prop3 Method2 Method3 | - -"},
  };
  for (const auto& c : cases) {
    panel.ClearDiagram();
    AddPage("P1");
    TEntity& customer = AddEntity("Customer");
    platform.EditTo("Id : Integer key\nName : Varchar(40)\nAmount : Double(10,2)\nPay()\nBill()");
    EditRows(customer);
    TMethod* pay = customer.MethodByIndex(0);
    customer.MethodByIndex(1)->SetCallMethod(pay);
    TEntity& order = AddEntity("Order", 400, 30);
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
    EXPECT_EQ(ReadRowsText(RowsTextOf(customer)).Rows, ReadRowsText(c.text).Rows) << c.text;
    std::string names;
    const auto add = [&names](const TRow* row, const char* after) {
      names.append(row ? row->Name().substr(row->Name().find('_') + 1) : "-").append(after);
    };
    for (const auto& slot : customer.PropertyList()) add(slot.Object.get(), " ");
    for (const auto& slot : customer.MethodList()) {
      add(slot.Object.get(), slot.Object->CallMethod() ? ">" : " ");
      if (slot.Object->CallMethod()) add(slot.Object->CallMethod(), " ");
    }
    names += "| ";
    add(relation->TargetRow(), " ");
    add(event->TargetRow(), "");
    EXPECT_EQ(names, c.names) << c.text;
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
  const struct {
    const char* line;
    const char* problem;
  } cases[] = {
      {"Name : Varchr(40)", "unknown data type \"Varchr\" (Varchar, Integer, Double, Bool or Binary)"},
      {"Name : Varchar(4x)", "the size \"4x\" is not a whole number from 0 to 1000000"},
      {"Name : Double(10,-1)", "the scale \"-1\" is not a whole number from 0 to 1000000"},
      {"Name : Varchar(10,2)", "Varchar takes a size alone, no scale"},
      {"Name : Bool(1)", "Bool takes no size"},
      {"Name : Varchar unique", "\"unique\" cannot follow the data type (only \"key\" and \"not null\" can)"},
      {"Name :", "the data type is missing after \":\" (Varchar, Integer, Double, Bool or Binary)"},
      {"()", "the method's name is missing before \"()\""},
      {"Name", "a property is written \"Name : Type\", a method \"Name()\""},
      {"\"Name", "the quoted name has no closing quote"},
      {"\"Na\\me\"()", "unknown escape \"\\m\" in the quoted name (\\\", \\\\, \\n, \\r, \\t)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadRowsText("Id : Varchar\r\n\r\n" + std::string(c.line) + "\rPay()").Problems,
              (std::vector<TTextProblem>{{3, c.problem}}));
  // The dialog stays open on such a text; closed then, it leaves the diagram as it was.
  AddPage("P1");
  TEntity& entity = AddEntity("Customer");
  const std::string before = DiagramFileText(panel);
  platform.EditTo("Id : Varchar\nName : Varchr(40)\nPay()").CancelText();
  EditRows(entity);
  EXPECT_EQ(platform.CallsOf("Problems").at(0).Text, "2: " + std::string(cases[0].problem) + "\n");
  EXPECT_EQ(DiagramFileText(panel), before);
}
