// The diagram file writer: the exact bytes of whole files and of each object's section, and the
// name a diagram is saved under.
#include "diagram_file_writer.h"

#include <gtest/gtest.h>

#include <tuple>

#include "diagram_file_reader.h"
#include "diagram_fixture.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "property.h"
#include "relation.h"

namespace {
const std::string kGolden = QUORVANE_IO_GOLDEN_DIR;

class Writer : public DiagramTest {
 protected:
  // Two pages, two entities with rows, a relation and two events, an entity with rows hidden on
  // its second page, link ends whose rows are missing and a box on no page. The boxes of the first
  // entity are made before the second entity exists.
  void BuildOrders() {
    AddPage("Main");
    AddPage("Detail");
    panel.SetDiagramName("Orders");
    TEntity& customer = AddEntity("Customer", 40, 30);
    customer.SetEntityType(Et_Data);
    customer.AppendEntry("");
    customer.AppendEntry("Detail @200,50,HIDE PROPERTY,HIDE METHOD");
    AddProperty(customer, "Id", true);
    AddProperty(customer, "Name", true);
    AddMethod(customer, "Check", true);
    TRelation& relation = *AddRelation(customer, "places", true);
    relation.AddPageEntry("Main");

    TEntity& order = AddEntity("Order", 300, 30);
    order.SetEntityType(Et_Concept);
    AddProperty(order, "CustId", true);
    AddMethod(order, "Place", true);
    relation.SetSourceEntity(&customer);
    relation.SetSourceProperty(customer.PropertyByIndex(0));
    relation.SetTargetEntity(&order);
    relation.SetTargetProperty(order.PropertyByIndex(0));

    TEntityEvent& placed = *AddEntityEvent(order, "placed", true);
    placed.SetSourceEntity(&order);
    placed.SetSourceMethod(order.MethodByIndex(0));
    placed.SetTargetEntity(&customer);  // no row: written with an empty row name
    placed.SetActivePages({"Main @300,120", "Detail @10,10"});
    TEntityEvent& unplaced = *AddEntityEvent(order, "", true);  // on no page
    unplaced.SetSourceEntity(&order);                           // no row: written with an empty row name
    panel.ShowActivePage();
  }
};
}  // namespace

TEST_F(Writer, WholeFileByteForByte) {
  BuildOrders();
  EXPECT_EQ(DiagramFileText(panel), ReadBytes(kGolden + "/orders_built.ERD"));
}

TEST_F(Writer, TheFileIsTheHeaderThenEachRecordThenTheClosingMarker) {
  BuildOrders();
  const TEntity& customer = *panel.Entities()[0];
  const TEntity& order = *panel.Entities()[1];
  EXPECT_EQ(RecordText(*customer.PropertyByIndex(1)), "  @PROPERTY\r\n   NAME=Entity1_Prop2\r\n   DESC=Name\r\n  #PROPERTY");
  EXPECT_EQ(RecordText(*order.MethodByIndex(0)), "  @METHOD\r\n   NAME=Entity2_Method1\r\n   DESC=Place\r\n  #METHOD");
  const std::string expected =
      Crlf("@ERDIAGRAM\n DIAGRAMNAME=Orders\n OWNPAGE=Main\n OWNPAGE=Detail\n ACTIVEPAGE=Main\n") +
      RecordText(customer) + "\r\n" + RecordText(order) + "\r\n" + RecordText(*customer.RelationList()[0].Object) +
      "\r\n" + RecordText(*order.EventList()[0].Object) + "\r\n" + RecordText(*order.EventList()[1].Object) +
      "\r\n#ERDIAGRAM\r\n";
  EXPECT_EQ(DiagramFileText(panel), expected);
}

// A property's kind, size and scale follow its description, each only when it is not the default;
// a method's call follows its description while the called row stands.
TEST_F(Writer, RowsWriteTheirTypeAndTheirCallAfterTheirDescription) {
  AddPage("Main");
  TEntity& entity = AddEntity("Customer");
  TProperty& id = *AddProperty(entity, "Id", true);
  for (const auto& [type, size, scale, lines] :
       {std::tuple{pdtVachar, 0, 0, ""}, {pdtVachar, 40, 0, "   DATASIZE=40\n"},
        {pdtDouble, 10, 2, "   DATATYPE=Double\n   DATASIZE=10\n   DATASCALE=2\n"}}) {
    id.SetDataType(type);
    id.SetDataSize(size);
    id.SetDataScale(scale);
    EXPECT_EQ(RecordText(id), Crlf("  @PROPERTY\n   NAME=Entity1_Prop1\n   DESC=Id\n" + std::string(lines) + "  #PROPERTY"));
  }
  TMethod& check = *AddMethod(entity, "Check", true);
  TMethod& save = *AddMethod(entity, "Save", true);
  check.SetCallMethod(&save);
  check.SetCallMethodLineDistance(2);
  const std::string head = "  @METHOD\n   NAME=Entity1_Method1\n   DESC=Check\n";
  EXPECT_EQ(RecordText(check), Crlf(head + "   CALLMETHOD=Entity1_Method2\n   CALLDISTANCE=2\n  #METHOD"));
  entity.SetSelectedMethod(&save);
  save.RemoveMethod();
  EXPECT_EQ(RecordText(check), Crlf(head + "  #METHOD")) << "a removed row leaves no call naming it";
}

TEST_F(Writer, TheExampleDiagramComesBackByteForByte) {
  const std::string example = ReadBytes(kGolden + "/orders_example.ERD");
  ASSERT_FALSE(example.empty());
  TTempFolder folder;
  WriteBytes(folder / "Orders.ERD", example);
  LoadDiagramFile(panel, folder / "Orders.ERD");
  SaveDiagramFile(panel, folder / "Copy.old");
  EXPECT_EQ(ReadBytes(folder / "Copy.ERD"), example);
  EXPECT_TRUE(platform.Calls.empty()) << "the example loads without a question or message";
}

TEST_F(Writer, EmptyDiagramHasOnlyItsHeader) {
  EXPECT_EQ(DiagramFileText(panel), Crlf("@ERDIAGRAM\n DIAGRAMNAME=\n ACTIVEPAGE=\n#ERDIAGRAM\n"));
}

TEST(DiagramFileName, ExtensionRules) {
  struct Case {
    const char* given;
    const char* written;
  } cases[] = {
      {"/d/Orders.old", "/d/Orders.ERD"},
      {"/d/Orders", "/d/Orders.ERD"},
      {"/my.docs/Orders", "/my.docs/Orders.ERD"},
      {"/d/", "/d/.ERD"},
      {".old", ".old.ERD"},
      {"/d/.old", "/d/.old.ERD"},
      {"/d/  .old", "/d/  .old.ERD"},
      {"/d/Orders.tar.gz", "/d/Orders.ERD"},
      {"/d/Orders.erd", "/d/Orders.erd"},  // the diagram extension as the user spelled it
      {"/d/Orders.Erd", "/d/Orders.Erd"},
      {"/d/Orders.erd.old", "/d/Orders.ERD"},
      {"Orders", "Orders.ERD"},
      {"/d/Orders.", "/d/Orders.ERD"},
  };
  for (const auto& c : cases) EXPECT_EQ(DiagramFileName(c.given), c.written) << c.given;
}

TEST_F(Writer, ALineBreakInAValueIsWrittenAsABlankAndCannotOpenASection) {
  AddPage("P1");
  panel.SetDiagramName("Two\rlines");
  TEntity& entity = AddEntity("Customer\r\n #ENTITY\r\n @ENTITY");
  AddProperty(entity, "Id\nNo", true);
  const std::string text = DiagramFileText(panel);
  EXPECT_NE(text.find("\r\n  DESC=Customer   #ENTITY   @ENTITY\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n   DESC=Id No\r\n"), std::string::npos);

  LoadDiagramText(panel, text);
  EXPECT_EQ(DescribeDiagram(panel),
            "diagram \"Two lines\" pages [P1] active \"P1\"\n"
            "  entity Entity1 \"Customer   #ENTITY   @ENTITY\" Organization [P1 @40,30]\n"
            "    property Entity1_Prop1 \"Id No\"\n");
  EXPECT_TRUE(platform.CallsOf("Message").empty());
}
