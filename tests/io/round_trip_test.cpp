// Saving and loading generated diagrams: the file written after loading is the file that was
// loaded, byte for byte, and the diagram comes back with the same pages, names, texts, kinds,
// entries and links.
#include <gtest/gtest.h>

#include <random>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "property.h"
#include "relation.h"

namespace {
// Texts a user may well type: key words, markers, equals signs, non-ASCII letters, nothing.
const std::vector<std::string> kTexts{
    "Customer", "NAME of the TOP customer", "x=y", "Caf\xC3\xA9 \xE2\x82\xAC", "HIDE METHOD", "#ENTITY", "@ERDIAGRAM",
    "",         "SOURCEENTITY=Entity1",     "Order line", "DISPLAYPAGE=P @1,2,HIDE PROPERTY"};
const std::vector<std::string> kPages{"Main", "HIDE PROPERTY list", "NAME", "A@B", "Main"};

class Generator {
 public:
  Generator(TOOAPanel& panel, unsigned seed) : panel_(panel), random_(seed) {}

  // Pages with a name repeated (not in a row), entities of every kind on one or more pages with
  // hide flags, some entities removed, rows moved, and boxes with full, half and no ends. Every
  // object has an entry, so that the reader adds none.
  void Build() {
    panel_.SetDiagramName(Pick(kTexts).empty() ? "Plain" : "Generated");
    panel_.SetOwnPageList(kPages);
    panel_.SetActivePageName(kPages[Below(4)]);
    const int entityCount = 3 + Below(6);
    for (int i = 0; i < entityCount; ++i) AddGeneratedEntity();
    RemoveOneEntity();
    AddGeneratedEntity();
    const auto& entities = panel_.Entities();
    for (int i = 0; i < 2 * entityCount; ++i) {
      TEntity& owner = *entities[Below(static_cast<int>(entities.size()))];
      TEntity& other = *entities[Below(static_cast<int>(entities.size()))];
      if (Below(2) == 0)
        AddGeneratedRelation(owner, other);
      else
        AddGeneratedEvent(owner, other);
    }
    panel_.ShowActivePage();
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  const std::string& Pick(const std::vector<std::string>& texts) { return texts[Below(static_cast<int>(texts.size()))]; }

  // One entry on each of one to three distinct pages; entities may hide rows there.
  TEntryList Entries(bool withFlags) {
    std::vector<int> pages{0, 1, 2, 3};
    std::shuffle(pages.begin(), pages.end(), random_);
    TEntryList entries;
    for (int i = 0, count = 1 + Below(3); i < count; ++i) {
      std::string entry = MakeEntry(kPages[pages[i]], Below(900) - 20, Below(700));
      if (withFlags && Below(3) == 0) entry += ",HIDE PROPERTY";
      if (withFlags && Below(3) == 0) entry += ",HIDE METHOD";
      entries.push_back(entry);
    }
    return entries;
  }

  void AddGeneratedEntity() {
    TEntity& entity = panel_.CreateEntity("Unnamed", true);
    entity.SetEntityDesc(Pick(kTexts));
    entity.SetEntityType(static_cast<TEntityType>(Below(4)));
    entity.SetActivePages(Entries(true));
    for (int i = 0, count = Below(5); i < count; ++i) {
      TProperty& row = *AddProperty(entity, "p", true);
      row.SetPropertyDesc(Pick(kTexts));
      // Now and then a type, a size, a scale; each is written only when it is not the default.
      if (Below(2) == 0) row.SetDataType(static_cast<TPropertyDataType>(Below(kPropertyDataTypeCount)));
      if (Below(2) == 0) row.SetDataSize(Below(3) * 40);
      if (Below(3) == 0) row.SetDataScale(Below(3));
    }
    for (int i = 0, count = Below(4); i < count; ++i) AddMethod(entity, "m", true)->SetMethodDesc(Pick(kTexts));
    // Calls to earlier and later rows, at the distances the drops give and at others a file may hold.
    for (const auto& slot : entity.MethodList()) {
      TMethod* called = AnyRow(entity.MethodList());
      if (called == slot.Object.get() || Below(2) == 0) continue;
      slot.Object->SetCallMethod(called);
      slot.Object->SetCallMethodLineDistance(Below(4) == 0 ? 15 : Below(3));
    }
    if (entity.PropertyCount() > 1) entity.PropertyByIndex(1)->MoveUp();
    if (entity.MethodCount() > 1) entity.MethodByIndex(1)->MoveUp();
  }

  void RemoveOneEntity() {
    panel_.SetSelectedEntity(panel_.Entities()[Below(static_cast<int>(panel_.Entities().size()))].get());
    panel_.RemoveSelectedEntity();
  }

  template <class Row>
  Row* AnyRow(const std::vector<TMemberSlot<Row>>& rows) {
    return rows.empty() ? nullptr : rows[Below(static_cast<int>(rows.size()))].Object.get();
  }

  // An end is left unset, set to an entity alone (its row missing), or set to a row.
  template <class Box, class Row>
  void Link(Box& box, TEntity& sourceEntity, Row* sourceRow, TEntity& targetEntity, Row* targetRow) {
    if (const int kind = Below(3); kind > 0) {
      box.SetSourceEntity(&sourceEntity);
      if (kind == 2) box.SetSourceRow(sourceRow);
    }
    if (const int kind = Below(3); kind > 0) {
      box.SetTargetEntity(&targetEntity);
      if (kind == 2) box.SetTargetRow(targetRow);
    }
  }

  void AddGeneratedRelation(TEntity& owner, TEntity& other) {
    TRelation& relation = *AddRelation(owner, "", true);
    relation.SetRelationDesc(Pick(kTexts));
    relation.SetBounds(Below(900), Below(900), relation.Width(), relation.Height());
    relation.SetActivePages(Entries(false));
    Link(relation, owner, AnyRow(owner.PropertyList()), other, AnyRow(other.PropertyList()));
  }

  void AddGeneratedEvent(TEntity& owner, TEntity& other) {
    TEntityEvent& event = *AddEntityEvent(owner, "", true);
    event.SetEventDesc(Pick(kTexts));
    event.SetBounds(Below(900), Below(900), event.Width(), event.Height());
    event.SetActivePages(Entries(false));
    TEntity& source = Below(2) == 0 ? owner : other;
    Link(event, source, AnyRow(source.MethodList()), other, AnyRow(other.MethodList()));
  }

  TOOAPanel& panel_;
  std::mt19937 random_;
};

using RoundTripOnPanel = DiagramTest;

// The reader sets hide flags from any entry and leaves them off the active page; they are not
// part of what a file keeps.
std::string WithoutShowFlags(std::string text) {
  for (const std::string flag : {" -properties", " -methods"})
    for (size_t at = text.find(flag); at != std::string::npos; at = text.find(flag)) text.erase(at, flag.size());
  return text;
}
}  // namespace

TEST(RoundTrip, GeneratedDiagramsComeBackExactly) {
  TTempFolder folder;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    ScriptedPlatform platform;
    TOOAPanel original(platform);
    original.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    Generator(original, seed).Build();
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
