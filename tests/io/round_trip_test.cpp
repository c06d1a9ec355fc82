// Saving and loading generated diagrams: the file written after loading is the file that was
// loaded, byte for byte, and the diagram comes back with the same pages, names, texts, kinds,
// entries and links.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <unordered_map>

#include "diagram_clipboard.h"
#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "editor_panel.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "popup_menu.h"
#include "property.h"
#include "relation.h"
#include "schema_import.h"
#include "schema_scrambler.h"

namespace {
using RoundTripOnPanel = DiagramTest;

// The reader sets hide flags from any entry and leaves them off the active page; they are not
// part of what a file keeps.
std::string WithoutShowFlags(std::string text) {
  for (const std::string flag : {" -properties", " -methods"})
    for (size_t at = text.find(flag); at != std::string::npos; at = text.find(flag)) text.erase(at, flag.size());
  return text;
}
// The copied entities as a paste must give them back, without names: texts, kinds, rows, calls, the
// boxes' ends as entity number.row ("-" for an end outside the entities) and every place relative
// to the group's top-left corner.
std::string Shape(const std::vector<TEntity*>& entities) {
  std::unordered_map<const TEntity*, size_t> number;
  std::vector<TPlacedControl*> group(entities.begin(), entities.end());
  for (const TEntity* e : entities) number.emplace(e, number.size());
  std::string out, boxes;
  auto end = [&](const TEntity* e, const TRow* row) {
    return number.count(e) ? IntToText(number.at(e)) + "." + (row ? row->Desc() : "") : std::string("-");
  };
  auto box = [&](const TLinkBox& b) {
    if (!b.Visible()) return;
    boxes += " [" + b.Desc() + " " + end(b.SourceEntity(), b.SourceRow()) + ">" + end(b.TargetEntity(), b.TargetRow());
    group.push_back(const_cast<TLinkBox*>(&b));
  };
  for (const TEntity* e : entities) {
    out += "\n" + e->EntityDesc() + ":" + IntToText(e->EntityType()) + (e->ShowProperty() ? "" : "-p") + (e->ShowMethod() ? "" : "-m");
    for (const auto& p : e->PropertyList()) out += " " + p.Object->Desc() + (p.Object->IsDisplay() ? "" : "~");
    for (const auto& m : e->MethodList()) out += " " + m.Object->Desc() + (m.Object->CallMethod() ? ">" + m.Object->CallMethod()->Desc() : "");
    for (const auto& r : e->RelationList()) box(*r.Object);
    for (const auto& v : e->EventList()) box(*v.Object);
  }
  const TRect corner = TOOAPanel::BoundsOf(group);
  for (const TPlacedControl* o : group) out += " @" + IntToText(o->Left() - corner.Left) + "," + IntToText(o->Top() - corner.Top);
  return out + boxes;
}
}  // namespace

// Copy, paste into a fresh diagram and again, into the diagram itself, cut and duplicate: each gives
// the copied objects back whole, links to what was not copied dropped, under one step each.
TEST(RoundTrip, CopiedObjectsPasteBackWhole) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    ScriptedPlatform platform;
    TOOAPanel original(platform), other(platform);
    for (TOOAPanel* p : {&original, &other}) p->SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    GenerateDiagram(original, seed);
    platform.Type("Target");
    other.CreatePage();
    platform.Calls.clear();
    original.SelectAllOnPage();
    const std::string expected = Shape(CopiedEntities(original)), text = CopyCommand(original);
    const size_t count = CopiedEntities(original).size();
    if (count == 0) continue;
    std::vector<std::string> states{DescribeDiagram(other)};
    const size_t steps = other.History().Position();
    for (const TPoint at : {TPoint{300, 200}, TPoint{0, 0}}) {
      ASSERT_TRUE(PasteCommand(other, text, at)) << seed;
      EXPECT_EQ(Shape(CopiedEntities(other)), expected) << seed;
      EXPECT_EQ(TOOAPanel::BoundsOf(other.SelectedObjects()).Left, at.X) << seed;
      states.push_back(DescribeDiagram(other));
    }
    std::set<std::string> names;
    for (const auto& e : other.Entities()) names.insert(UpperCase(e->Name()));
    EXPECT_EQ(names.size(), 2 * count) << seed;
    EXPECT_EQ(other.History().Position(), steps + 2);
    other.History().Undo();
    EXPECT_EQ(DescribeDiagram(other), states[1]) << seed;
    other.History().Undo();
    EXPECT_EQ(DescribeDiagram(other), states[0]) << seed;
    other.History().Redo();
    other.History().Redo();
    EXPECT_EQ(DescribeDiagram(other), states[2]) << seed;
    // Within the diagram itself: a duplicate, a paste, and a cut that takes the copies away again.
    const size_t before = original.Entities().size();
    const std::string whole = DescribeDiagram(original);
    ASSERT_TRUE(DuplicateCommand(original));
    EXPECT_EQ(Shape(CopiedEntities(original)), expected) << seed;
    ASSERT_TRUE(PasteCommand(original, text, {5, 5}));
    EXPECT_EQ(Shape(CopiedEntities(original)), expected) << seed;
    EXPECT_EQ(CutCommand(original).empty(), false);
    EXPECT_EQ(original.Entities().size(), before + count) << seed;
    EXPECT_EQ(original.History().UndoName(), "Cut");
    for (int i = 0; i < 3; ++i) original.History().Undo();
    EXPECT_EQ(DescribeDiagram(original), whole) << seed;
    for (const auto& call : platform.Calls) ADD_FAILURE() << call.Kind << " " << call.Text;
  }
}

// Text that is not diagram text pastes nothing, asks nothing and leaves no step.
TEST(RoundTrip, OnlyDiagramTextPastes) {
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  GenerateDiagram(panel, 3);
  const std::string whole = DescribeDiagram(panel);
  const size_t steps = panel.History().StepCount();
  for (const std::string& text : std::vector<std::string>{"", "Customer\nOrder", " @ENTITY\n  NAME=Entity1\n #ENTITY", "@ERDIAGRAM\n#ERDIAGRAM",
                                 std::string("\0\xff@ERDIAGRAM", 12), "@ERDIAGRAM\n @RELATION\n RELOWNERENTITY=Entity1\n"}) {
    EXPECT_FALSE(PasteCommand(panel, text, {10, 10})) << text;
    EXPECT_EQ(DescribeDiagram(panel), whole) << text;
  }
  EXPECT_EQ(panel.History().StepCount(), steps);
  EXPECT_TRUE(platform.Calls.empty());
}

TEST(RoundTrip, GeneratedDiagramsComeBackExactly) {
  TTempFolder folder;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    ScriptedPlatform platform;
    TOOAPanel original(platform);
    original.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    GenerateDiagram(original, seed);
    const std::string file = folder / ("Seed" + std::to_string(seed));
    SaveDiagramFile(original, file);
    const std::string saved = ReadBytes(file + ".ERD");

    ScriptedPlatform loadPlatform;
    TOOAPanel loaded(loadPlatform);
    loaded.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    LoadDiagramFile(loaded, file + ".ERD");
    EXPECT_TRUE(loadPlatform.Calls.empty()) << "seed " << seed;
    SaveDiagramFile(loaded, file + "Again");
    EXPECT_EQ(ReadBytes(file + "Again.ERD"), saved) << "seed " << seed;
    EXPECT_EQ(WithoutShowFlags(DescribeDiagram(loaded)), WithoutShowFlags(DescribeDiagram(original))) << "seed " << seed;
  }
}

// A page named with blanks around it (as typed, or as a rename gives it) keeps every object on it
// through its file: the file keeps no blanks around a value, so the page is made without them.
TEST_F(RoundTripOnPanel, APageTypedWithBlanksAroundItKeepsItsObjectsThroughItsFile) {
  AddPage(" Summary ");
  AddEntity("Customer", 40, 30);
  platform.Type("\tTotals  ");
  panel.RenameActivePage();
  LoadDiagramText(panel, DiagramFileText(panel));
  EXPECT_EQ(panel.OwnPageList(), TEntryList{"Totals"});
  EXPECT_TRUE(panel.Entities().at(0)->Visible());
}

