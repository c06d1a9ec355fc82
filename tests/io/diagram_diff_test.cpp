// Comparing two diagram files: one edit of a small diagram per case, and the lines it gives.
#include <gtest/gtest.h>

#include <algorithm>

#include "diagram_diff.h"
#include "diagram_file_writer.h"
#include "io_test_support.h"
#include "ooa_panel.h"
#include "scripted_platform.h"

namespace {
const std::string kBase =
    "@ERDIAGRAM\n DIAGRAMNAME=Orders\n OWNPAGE=P1\n OWNPAGE=P2\n ACTIVEPAGE=P1\n"
    " @ENTITY\n  NAME=Entity1\n  DESC=Customer\n  ENTITYTYPE=Data\n  DISPLAYPAGE=P1 @40,30\n"
    "  DISPLAYPAGE=P2 @200,50,HIDE METHOD\n  @PROPERTY\n   NAME=Entity1_Prop1\n   DESC=CustNo\n  #PROPERTY\n"
    "  @PROPERTY\n   NAME=Entity1_Prop2\n   DESC=Name\n  #PROPERTY\n  @METHOD\n   NAME=Entity1_Method1\n"
    "   DESC=Check\n   CALLMETHOD=Entity1_Method2\n   CALLDISTANCE=15\n  #METHOD\n"
    "  @METHOD\n   NAME=Entity1_Method2\n   DESC=Load\n  #METHOD\n #ENTITY\n"
    " @ENTITY\n  NAME=Entity2\n  DESC=Order\n  ENTITYTYPE=Form\n  DISPLAYPAGE=P1 @300,30\n"
    "  @PROPERTY\n   NAME=Entity2_Prop1\n   DESC=CustNo\n  #PROPERTY\n"
    "  @METHOD\n   NAME=Entity2_Method1\n   DESC=Place\n  #METHOD\n #ENTITY\n"
    "  @RELATION\n   RELOWNERENTITY=Entity1\n   NAME=Entity1_Rel_1\n   DESC=places\n   TOP=30\n   LEFT=178\n"
    "   SOURCEENTITY=Entity1\n   SOURCEPROPERTY=Entity1_Prop1\n   TARGETENTITY=Entity2\n   TARGETPROPERTY=Entity2_Prop1\n"
    "   DISPLAYPAGE=P1 @178,30\n  #RELATION\n"
    "  @ENTITYEVENT\n   EVTOWNERENTITY=Entity1\n   NAME=Entity1_Event_1\n   DESC=checked\n   TOP=100\n   LEFT=178\n"
    "   SOURCEENTITY=Entity1\n   SOURCEMETHOD=Entity1_Method1\n   TARGETENTITY=Entity2\n   TARGETMETHOD=Entity2_Method1\n"
    "   DISPLAYPAGE=P1 @178,100\n  #ENTITYEVENT\n#ERDIAGRAM\n";

// kBase with every occurrence of from replaced by to.
std::string Edited(const std::string& from, const std::string& to) {
  std::string text = kBase;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string DiffText(const TTempFolder& folder, const std::string& older, const std::string& newer) {
  WriteBytes(folder / "old.ERD", older);
  WriteBytes(folder / "new.ERD", newer);
  const TComparedDiagram before(folder / "old.ERD"), after(folder / "new.ERD");
  return TDiagramDiff(before.Panel(), after.Panel()).Text();
}
}  // namespace

TEST(DiagramDiff, EachKindOfChangeGivesItsLines) {
  const std::string entity2 = kBase.substr(kBase.find(" @ENTITY\n  NAME=Entity2"), kBase.find("  @RELATION") - kBase.find(" @ENTITY\n  NAME=Entity2"));
  struct Case {
    std::string from, to, lines;
  } cases[] = {
      {"DESC=Order\n", "DESC=Order\n", ""},
      {"=Orders", "=Shop", "# model\nrenamed diagram \"Orders\" -> \"Shop\"\n"},
      {"OWNPAGE=P2\n", "OWNPAGE=P2\n OWNPAGE=P3\n", "# model\nadded page \"P3\"\n"},
      {" OWNPAGE=P1\n OWNPAGE=P2\n", " OWNPAGE=P2\n OWNPAGE=P1\n", "# model\nreordered pages \"P1\", \"P2\" -> \"P2\", \"P1\"\n"},
      {"=Customer", "=Say \"hi\"", "# model\nrenamed entity Entity1 \"Customer\" -> \"Say \\\"hi\\\"\"\n"},
      {"=Form", "=Concept", "# model\nchanged entity Entity2 kind Form -> Concept\n"},
      {"DESC=Name\n", "DESC=Name\n   DATATYPE=Double\n   DATASIZE=10\n   DATASCALE=2\n   PRIMARYKEY=TRUE\n   NOTNULL=TRUE\n",
       "# model\nchanged property Entity1_Prop2 type Varchar -> Double\nchanged property Entity1_Prop2 size 0 -> 10\n"
       "changed property Entity1_Prop2 scale 0 -> 2\nchanged property Entity1_Prop2 key no -> yes\n"
       "changed property Entity1_Prop2 not-null no -> yes\n"},
      {"DESC=Place", "DESC=Submit", "# model\nrenamed method Entity2_Method1 \"Place\" -> \"Submit\"\n"},
      {"NAME=Entity1_Prop1\n   DESC=CustNo\n  #PROPERTY\n  @PROPERTY\n   NAME=Entity1_Prop2\n   DESC=Name\n",
       "NAME=Entity1_Prop2\n   DESC=Name\n  #PROPERTY\n  @PROPERTY\n   NAME=Entity1_Prop1\n   DESC=CustNo\n",
       "# model\nreordered entity Entity1 property rows Entity1_Prop1, Entity1_Prop2 -> Entity1_Prop2, Entity1_Prop1\n"},
      {"NAME=Entity1_Prop2", "NAME=Entity1_Prop3", "# model\nremoved property Entity1_Prop2 \"Name\"\nadded property Entity1_Prop3 \"Name\"\n"},
      {"   CALLMETHOD=Entity1_Method2\n   CALLDISTANCE=15\n", "", "# model\nchanged method Entity1_Method1 call Entity1_Method2 -> none\n"},
      {"SOURCEPROPERTY=Entity1_Prop1", "SOURCEPROPERTY=Entity1_Prop2",
       "# model\nchanged relation Entity1_Rel_1 source Entity1.Entity1_Prop1 -> Entity1.Entity1_Prop2\n"},
      {"   TARGETENTITY=Entity2\n   TARGETMETHOD=Entity2_Method1\n", "",
       "# model\nchanged event Entity1_Event_1 target Entity2.Entity2_Method1 -> none\n"},
      {"DESC=checked", "DESC=verified", "# model\nrenamed event Entity1_Event_1 \"checked\" -> \"verified\"\n"},
      // An entity gone takes its rows along and lets go of the boxes that linked to it.
      {entity2, "", "# model\nremoved entity Entity2 \"Order\"\nremoved property Entity2_Prop1 \"CustNo\"\n"
                    "removed method Entity2_Method1 \"Place\"\nchanged relation Entity1_Rel_1 target Entity2.Entity2_Prop1 -> none\n"
                    "changed event Entity1_Event_1 target Entity2.Entity2_Method1 -> none\n"},
      {"NAME=Entity1_Event_1", "NAME=Entity1_Event_2",
       "# model\nremoved event Entity1_Event_1 \"checked\"\nadded event Entity1_Event_2 \"checked\"\n"},
      // Only moved or hidden: the placement part alone.
      {"P1 @40,30", "P1 @60,35", "# placement\nmoved entity Entity1 on \"P1\" 40,30 -> 60,35\n"},
      {",HIDE METHOD", ",HIDE PROPERTY,HIDE METHOD", "# placement\nhiding entity Entity1 on \"P2\" methods -> properties+methods\n"},
      {"P1 @178,30\n", "P1 @178,30\n   DISPLAYPAGE=P2 @10,20\n", "# placement\nplaced relation Entity1_Rel_1 on \"P2\" at 10,20\n"},
      {"  DISPLAYPAGE=P2 @200,50,HIDE METHOD\n", "", "# placement\nunplaced entity Entity1 on \"P2\" at 200,50\n"},
      {"ACTIVEPAGE=P1", "ACTIVEPAGE=P2", "# placement\nactive page \"P1\" -> \"P2\"\n"},
      {"DESC=Name\n", "DESC=Name\n   HIDDEN=TRUE\n", "# placement\nhiding property Entity1_Prop2 shown -> hidden\n"},
      {"CALLDISTANCE=15", "CALLDISTANCE=40", "# placement\nmoved method Entity1_Method1 call line 15 -> 40\n"},
      {"DESC=Customer\n  ENTITYTYPE=Data\n  DISPLAYPAGE=P1 @40,30", "DESC=Client\n  ENTITYTYPE=Data\n  DISPLAYPAGE=P1 @41,30",
       "# model\nrenamed entity Entity1 \"Customer\" -> \"Client\"\n# placement\nmoved entity Entity1 on \"P1\" 40,30 -> 41,30\n"},
  };
  TTempFolder folder;
  for (const Case& c : cases) {
    const std::string newer = Edited(c.from, c.to);
    EXPECT_EQ(DiffText(folder, kBase, newer), c.lines) << c.from << " -> " << c.to;
    // Backwards, a change reads backwards and an addition as a removal: never more or fewer lines.
    const std::string back = DiffText(folder, newer, kBase);
    EXPECT_EQ(std::count(back.begin(), back.end(), '\n'), std::count(c.lines.begin(), c.lines.end(), '\n')) << back;
  }
}

// Written and read back, a diagram of every kind of object and value compares the same as itself.
TEST(DiagramDiff, ARoundTripChangesNothing) {
  TTempFolder folder;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    ScriptedPlatform platform;
    TOOAPanel original(platform);
    original.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    GenerateDiagram(original, seed);
    SaveDiagramFile(original, folder / "saved");
    const TComparedDiagram read(folder / "saved.ERD");
    EXPECT_EQ(TDiagramDiff(original, read.Panel()).Text(), "") << seed;
  }
}
