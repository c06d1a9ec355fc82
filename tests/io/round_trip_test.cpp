// Saving and loading generated diagrams: the file written after loading is the file that was
// loaded, byte for byte, and the diagram comes back with the same pages, names, texts, kinds,
// entries and links.
#include <gtest/gtest.h>

#include <functional>
#include <random>

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

namespace {
// Two entities on a page, with rows, a relation and an event between them, selected as a user's
// presses would leave them: what each kind of edit below starts from.
struct EditScene {
  EditScene() {
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    panel.SetEditorWindow(&window);
    SetUpEditorPanel(panel);
    platform.Type("P1");
    panel.CreatePage();
    platform.Type("P2");
    panel.CreatePage();
    panel.SetLastMouse(40, 30);
    customer = &panel.CreateEntity("Customer", false);
    panel.SetLastMouse(400, 30);
    order = &panel.CreateEntity("Order", false);
    name = AddProperty(*customer, "Name", true);
    AddProperty(*customer, "City", true);
    AddProperty(*order, "Number", true);
    pay = AddMethod(*customer, "Pay", true);
    bill = AddMethod(*customer, "Bill", true);
    relation = AddRelation(*customer, "places", true);
    event = AddEntityEvent(*order, "ships", true);
    panel.SetSelectedEntity(customer);
    customer->SetSelectedProperty(name);
    customer->SetSelectedMethod(pay);
    customer->SetSelectedRelation(relation);
    order->SetSelectedEvent(event);
    panel.History().Clear();
  }
  void Click(PopupMenu& menu, const std::string& caption) {
    MenuItem* item = menu.Find(caption);
    ASSERT_NE(item, nullptr) << caption;
    item->Click();
  }
  std::string State() const {
    return DiagramFileText(panel) + DescribeDiagram(panel) + DescribeShownState(panel) + " in " + panel.DiagramFolder();
  }
  // The surface menu's undo and redo items, a greyed one in brackets.
  std::string HistoryItems() {
    std::string items;
    for (size_t i = 15; i < 17; ++i) {
      const MenuItem& item = panel.SurfaceMenu().Item(i);
      items += (items.empty() ? "" : " ") + (item.Enabled() ? item.Caption() : "[" + item.Caption() + "]");
    }
    return items;
  }
  ScriptedPlatform platform;
  ScriptedEditorWindow window;
  TOOAPanel panel{platform};
  TEntity* customer;
  TEntity* order;
  TProperty* name;
  TMethod* pay;
  TMethod* bill;
  TRelation* relation;
  TEntityEvent* event;
};
}  // namespace

// Each kind of edit is one step, named in the undo item: undone it gives back the diagram as it was,
// redone the diagram as the edit left it, and the same step can be undone again.
TEST(History, EveryKindOfEditIsOneStepUndoneAndRedoneExactly) {
  TTempFolder folder;
  const std::string saved = folder / "Saved";
  {
    EditScene scene;
    SaveDiagramFile(scene.panel, saved);
  }
  const std::string schema = folder / "Order.SFD";
  WriteBytes(schema, ScrambleSchemaText("A.B.ORDERNO.D,", kSchemaKey) + "\r\n");
  struct Case {
    const char* step;
    std::function<void(EditScene&)> edit;
    std::function<void(EditScene&)> prepare = nullptr;  // what the scene needs first, not part of the step
  } cases[] = {
      {"Create Entity", [](EditScene& s) { s.platform.Type("Supplier"); s.Click(s.panel.SurfaceMenu(), "-> Create Entity"); }},
      {"Import Schema", [&](EditScene& s) { s.platform.PickFile(schema); s.Click(s.panel.SurfaceMenu(), "-> Create Entity With SDF (Tarnesk Export Schema) File"); }},
      {"Create Page", [](EditScene& s) { s.platform.Type("P3"); s.Click(s.panel.SurfaceMenu(), "-> Create New Page"); }},
      {"Rename Page P1", [](EditScene& s) { s.platform.Type("Main"); s.Click(s.panel.SurfaceMenu(), "-> Current Page Rename"); }},
      {"Remove Page P1", [](EditScene& s) { s.platform.Choose("P1"); s.Click(s.panel.SurfaceMenu(), "-> Remove Exists Page"); }},
      {"Load Diagram Saved", [&](EditScene& s) { s.platform.PickFile(saved + ".ERD"); s.Click(s.panel.SurfaceMenu(), "-> Load Diagram "); }},
      {"Close Diagram NewDiagram", [](EditScene& s) { s.Click(s.panel.SurfaceMenu(), "-> Close Diagram "); }},
      {"Rename Entity Customer", [](EditScene& s) { s.platform.Type("Client"); s.Click(s.customer->Menu(), "-> Rename Entity"); }},
      {"Change Type of Entity Customer", [](EditScene& s) { s.platform.No().Yes(); s.Click(s.customer->Menu(), "-> Select Entity Type"); }},
      {"Add Property to Customer", [](EditScene& s) { s.platform.Type("A").Yes().Type("B").No(); s.Click(s.customer->Menu(), "-> Add New Property"); }},
      {"Add Method to Customer", [](EditScene& s) { s.platform.Type("Ship").No(); s.Click(s.customer->Menu(), "-> Add New Method"); }},
      {"Add Event to Customer", [](EditScene& s) { s.Click(s.customer->Menu(), "-> Add New EntityEvent"); }},
      {"Add Relation to Customer", [](EditScene& s) { s.Click(s.customer->Menu(), "-> Add New Relation"); }},
      {"Add Display Page to Customer", [](EditScene& s) { s.platform.Choose("P2"); s.Click(s.customer->Menu(), "-> Add New Display Page"); }},
      {"Remove Display Page of Customer", [](EditScene& s) { s.platform.Choose("P1"); s.Click(s.customer->Menu(), "-> (*)Remove Exists Display Page"); }},
      {"Hide All Properties of Customer", [](EditScene& s) { s.Click(s.customer->Menu(), "-> Hide ALL Property"); }},
      {"Hide All Methods of Customer", [](EditScene& s) { s.Click(s.customer->Menu(), "-> Hide ALL Method"); }},
      {"Show All Properties of Customer", [](EditScene& s) { s.Click(s.customer->Menu(), "-> Show ALL Property"); },
       [](EditScene& s) { s.name->HideProperty(); }},
      {"Remove Entity Customer", [](EditScene& s) { s.Click(s.customer->Menu(), "-> (*)Remove This Entity"); }},
      {"Rename Property Name", [](EditScene& s) { s.platform.Type("Surname"); s.Click(s.name->Menu(), " -> Rename Property"); }},
      {"Move Down Property Name", [](EditScene& s) { s.Click(s.name->Menu(), " -> Property Move Down"); }},
      {"Set Data Type of Property Name", [](EditScene& s) { s.platform.Fill(TFormAnswer{pdtDouble, {10, 2}}); s.Click(s.name->Menu(), " -> Property Data Type"); }},
      {"Hide Property Name", [](EditScene& s) { s.Click(s.name->Menu(), " -> Hide This Property"); }},
      {"Remove Property Name", [](EditScene& s) { s.Click(s.name->Menu(), " -> Remove This Property"); }},
      {"Create Relation of Property Name", [](EditScene& s) { s.Click(s.name->Menu(), " -> Create Property's Relation"); }},
      {"Rename Method Pay", [](EditScene& s) { s.platform.Type("Settle"); s.Click(s.pay->Menu(), "-> Rename Method"); }},
      {"Move Up Method Bill", [](EditScene& s) { s.Click(s.bill->Menu(), "-> Method Move UP"); }},
      {"Remove Method Pay", [](EditScene& s) { s.Click(s.pay->Menu(), "-> Remove This Method"); }},
      {"Define Call of Method Pay", [](EditScene& s) { s.platform.Yes(); s.bill->DragDrop(*s.customer, 2, 2); }},
      {"Rename Relation places", [](EditScene& s) { s.platform.Type("buys"); s.Click(s.relation->Menu(), " -> Rename Relation"); }},
      {"Link Relation places", [](EditScene& s) { s.platform.Yes(); s.relation->DragDrop(*s.customer, 2, 2); }},
      {"Break Source Link of Relation places", [](EditScene& s) { s.Click(s.relation->Menu(), " -> Break Link With Relation Source Object"); },
       [](EditScene& s) { s.relation->SetSourceEntity(s.customer); s.relation->SetSourceProperty(s.name); }},
      {"Remove Relation places", [](EditScene& s) { s.Click(s.relation->Menu(), "-> Remove This Relation"); }},
      {"Add Display Page to Event ships", [](EditScene& s) { s.platform.Choose("P2"); s.Click(s.event->Menu(), " -> Add New Display Page"); }},
      {"Move Entity Order", [](EditScene& s) { s.panel.DragDrop(*s.order, 500, 300); }},
      {"Move Event ships", [](EditScene& s) { s.panel.DragDrop(*s.event, 90, 400); }},
  };
  for (const Case& c : cases) {
    EditScene scene;
    TOOAPanel& panel = scene.panel;
    if (c.prepare) c.prepare(scene);
    panel.History().Clear();
    const std::string before = scene.State();
    c.edit(scene);
    const std::string after = scene.State();
    EXPECT_NE(after, before) << c.step << ": the edit changed nothing";
    EXPECT_EQ(panel.History().Position(), 1u) << c.step;
    const std::string step = c.step;
    const std::string done = "-> Undo " + step + " [-> Redo ]", undone = "[-> Undo ] -> Redo " + step;
    EXPECT_EQ(scene.HistoryItems(), done);
    for (int round = 0; round < 2; ++round) {
      scene.Click(panel.SurfaceMenu(), "-> Undo " + step);
      EXPECT_EQ(scene.State(), before) << step << ": undo";
      EXPECT_EQ(scene.HistoryItems(), undone);
      scene.Click(panel.SurfaceMenu(), "-> Redo " + step);
      EXPECT_EQ(scene.State(), after) << step << ": redo";
      EXPECT_EQ(scene.HistoryItems(), done);
    }
    EXPECT_TRUE(scene.platform.ScriptDone()) << c.step;
  }
}

// Saving and loading mark the diagram clean; undoing or redoing back to that point makes it clean
// again, and a new edit after undos drops a clean point that lay among the steps it drops.
TEST(History, TheCleanPointFollowsSavesLoadsUndosAndRedos) {
  TTempFolder folder;
  EditScene scene;
  TOOAPanel& panel = scene.panel;
  TDiagramHistory& history = panel.History();
  const auto rename = [&](const std::string& text) {
    scene.platform.Type(text);
    scene.Click(scene.customer->Menu(), "-> Rename Entity");
  };
  const std::string file = folder / "Clean";
  const struct {
    const char* what;
    std::function<void()> action;
    bool clean;
  } steps[] = {
      {"a new diagram", [] {}, true},
      {"an edit", [&] { rename("Client"); }, false},
      {"a save that fails", [&] {
         scene.platform.PickFile(folder / "missing/Clean");
         EXPECT_ANY_THROW(scene.Click(panel.SurfaceMenu(), "-> Save Diagram As"));
       }, false},
      {"saved", [&] { scene.platform.PickFile(file); scene.Click(panel.SurfaceMenu(), "-> Save Diagram As"); }, true},
      {"undone", [&] { panel.UndoCommand(); }, false},
      {"redone", [&] { panel.RedoCommand(); }, true},
      {"another edit", [&] { rename("Buyer"); }, false},
      {"undone to the save", [&] { panel.UndoCommand(); }, true},
      {"undone past it", [&] { panel.UndoCommand(); }, false},
      {"a new edit there", [&] { rename("Payer"); }, false},
      {"undone: the save's step is gone", [&] { panel.UndoCommand(); }, false},
      {"loaded", [&] { scene.platform.PickFile(file + ".ERD"); scene.Click(panel.SurfaceMenu(), "-> Load Diagram "); }, true},
      {"the load undone", [&] { panel.UndoCommand(); }, false},
      {"and redone", [&] { panel.RedoCommand(); }, true},
  };
  for (const auto& [what, action, clean] : steps) {
    action();
    EXPECT_EQ(history.IsClean(), clean) << what;
  }
  EXPECT_TRUE(scene.platform.ScriptDone());
}

// Up to 1,000 steps stand; the oldest goes first.
TEST(History, KeepsTheLastThousandSteps) {
  EditScene scene;
  for (int i = 1; i <= 1001; ++i) {
    scene.platform.Type("Name" + std::to_string(i));
    scene.Click(scene.customer->Menu(), "-> Rename Entity");
  }
  TDiagramHistory& history = scene.panel.History();
  EXPECT_EQ(history.StepCount(), TDiagramHistory::MaxSteps);
  while (history.CanUndo()) history.Undo();
  EXPECT_EQ(scene.customer->EntityDesc(), "Name1");
  EXPECT_EQ(history.RedoName(), "Rename Entity Name1");
}
