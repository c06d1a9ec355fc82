// The edit history: every kind of edit is one step undone and redone exactly, the clean point
// follows saves and loads, the oldest steps go first, and every value a diagram file holds survives
// the images the steps keep.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "diagram_file_words.h"
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
#include "shown_text.h"
#include "toolkit_error.h"

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
  // Renames in place what shows at the control's top left (a row, a box, an entity's title), as
  // a double-click there finds it, or else what was pressed last, as F2 finds it.
  void RenameInPlace(const Control* at, const std::string& text) {
    const TPoint origin = at ? at->OriginInRoot() : TPoint{};
    const auto shown = at ? TShownText::At(panel, {origin.X + 2, origin.Y + 2}) : TShownText::OfPressed(panel);
    ASSERT_TRUE(shown.has_value());
    EXPECT_TRUE(shown->Rename(text));
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
      {"Edit Rows of Customer", [](EditScene& s) { s.platform.EditTo("City : Integer key\nAge : Double(3,1)\nBill()\nShip()"); s.Click(s.customer->Menu(), "-> Edit Rows as Text..."); }},
      {"Rename Property Name", [](EditScene& s) { s.platform.Type("Surname"); s.Click(s.name->Menu(), " -> Rename Property"); }},
      {"Move Down Property Name", [](EditScene& s) { s.Click(s.name->Menu(), " -> Property Move Down"); }},
      {"Set Data Type of Property Name", [](EditScene& s) { s.platform.Fill(TFormAnswer{pdtDouble, {10, 2}, {}}); s.Click(s.name->Menu(), " -> Property Data Type"); }},
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
      {"Rename Entity Customer", [](EditScene& s) { s.RenameInPlace(s.customer, "Client"); }},
      {"Rename Property Name", [](EditScene& s) { s.RenameInPlace(nullptr, "Surname"); },
       [](EditScene& s) { s.name->MouseDown(TMouseButton::Right, 0, 1, 1); }},
      {"Rename Method Pay", [](EditScene& s) { s.RenameInPlace(s.pay, "Settle"); }},
      {"Rename Relation places", [](EditScene& s) { s.RenameInPlace(nullptr, "buys"); },
       [](EditScene& s) { s.relation->AddPageEntry("P1"); s.relation->MouseDown(TMouseButton::Right, 0, 1, 1); }},
      {"Rename Event ships", [](EditScene& s) { s.RenameInPlace(s.event, "sails"); },
       [](EditScene& s) { s.event->AddPageEntry("P1"); }},
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

// A step whose undo fails half way (a toolkit error while the page is shown again) stays where it
// was, to be taken again, and the history goes on recording every later edit.
TEST(History, AStepThatFailsToBeUndoneStaysAndTheHistoryGoesOn) {
  EditScene scene;
  TOOAPanel& panel = scene.panel;
  scene.platform.Type("Client");
  scene.Click(scene.customer->Menu(), "-> Rename Entity");
  panel.SetActivePageName("P2");  // another page chosen: undoing shows the step's page again
  panel.ShowActivePage();
  scene.platform.BeforeMeasure = [] { throw EToolkitError("the canvas failed"); };
  EXPECT_THROW(panel.UndoCommand(), EToolkitError);
  scene.platform.BeforeMeasure = nullptr;
  EXPECT_EQ(panel.History().UndoName(), "Rename Entity Customer");
  scene.platform.Type("Buyer");
  scene.Click(scene.customer->Menu(), "-> Rename Entity");
  EXPECT_EQ(panel.History().Position(), 2u) << "a later edit is recorded";
  panel.UndoCommand();
  panel.UndoCommand();
  EXPECT_EQ(scene.customer->EntityDesc(), "Customer");
}

namespace {
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t from = 0, at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  return lines;
}

std::string KeyOf(const std::string& line) {
  const size_t from = line.find_first_not_of(' '), equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(from, equals - from);
}

std::string ValueOf(const std::string& line) { return line.substr(line.find('=') + 1); }

// The file with the value of line `at` changed as a user's edit could change it: a name renamed
// wherever it is named, a hidden row shown, a kind or data type the next one, a reference another name of its kind
// ("Entity2_Prop1" for "Entity2_Prop3"), a number (an entry's last) one more, a text longer.
std::string Changed(std::vector<std::string> lines, size_t at) {
  const std::string key = KeyOf(lines[at]), value = ValueOf(lines[at]);
  const auto set = [&](size_t i, const std::string& to) { lines[i] = lines[i].substr(0, lines[i].find('=') + 1) + to; };
  const auto next = [&](const std::vector<std::string>& cycle) {
    const auto found = std::find(cycle.begin(), cycle.end(), value);
    return found == cycle.end() || found + 1 == cycle.end() ? cycle.front() : *(found + 1);
  };
  const auto kind = [](const std::string& name) { return name.substr(0, name.find_last_not_of("0123456789") + 1); };
  std::vector<std::string> others;  // the names the file gives objects of the value's kind
  bool isName = false;
  for (const std::string& line : lines) {
    if (KeyOf(line) != "NAME" || kind(ValueOf(line)) != kind(value)) continue;
    if (ValueOf(line) == value)
      isName = true;
    else
      others.push_back(ValueOf(line));
  }
  const size_t digits = value.find_last_of("0123456789");
  if (key == "HIDDEN" || key == "PRIMARYKEY" || key == "NOTNULL") {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));  // the mark taken off
  } else if (key == "NAME") {
    for (size_t i = 0; i < lines.size(); ++i)
      if (ValueOf(lines[i]) == value && KeyOf(lines[i]) != "DESC" && !KeyOf(lines[i]).empty()) set(i, value + "x");
  } else if (key == "ENTITYTYPE" || key == "DATATYPE") {
    set(at, key == "DATATYPE" ? next({"Integer", "Double", "Bool", "Binary"}) : next({"Organization", "Form", "Data", "Concept"}));
  } else if (isName) {
    if (others.empty()) return {};
    set(at, others.front());
  } else if (digits != std::string::npos && (key != "DISPLAYPAGE" || digits > value.rfind(" @"))) {
    const size_t first = value.find_last_not_of("0123456789", digits) + 1;
    set(at, value.substr(0, first) + std::to_string(std::stoll(value.substr(first, digits + 1 - first)) + 1) +
                value.substr(digits + 1));
  } else {
    set(at, value + "x");
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace

// Every value a diagram file holds survives the images the history keeps. For each value of
// generated diagrams, the file with that value changed is read over the original as one step: undone
// it writes the original, redone the changed file, byte for byte (undo and redo make every object
// again from its image). Every key the files hold is changed so at least once; a box's owner is not
// a value of the box but the entity whose list holds it.
TEST(History, EveryValueOfTheFileSurvivesItsImage) {
  std::set<std::string> held, survived;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    ScriptedPlatform generatorPlatform;
    TOOAPanel generated(generatorPlatform);
    generated.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    GenerateDiagram(generated, seed);
    const std::string original = DiagramFileText(generated);
    const std::vector<std::string> lines = Lines(original);
    for (size_t at = 0; at < lines.size(); ++at) {
      const std::string key = KeyOf(lines[at]);
      if (key.empty() || key == kRelationWords.Owner || key == kEventWords.Owner) continue;
      held.insert(key);
      const std::string changed = Changed(lines, at);
      if (changed.empty()) continue;
      ScriptedPlatform platform;
      TOOAPanel panel(platform);
      panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
      LoadDiagramText(panel, original);
      panel.EditAll("Load", [&] { LoadDiagramText(panel, changed); }, TEditReach::WholeDiagram);
      // A change the file cannot hold as it stands (a reference its reader drops) is none to keep.
      if (!platform.Calls.empty() || DiagramFileText(panel) != changed) continue;
      panel.UndoCommand();
      EXPECT_TRUE(DiagramFileText(panel) == original) << "seed " << seed << ", undoing " << lines[at];
      panel.RedoCommand();
      EXPECT_TRUE(DiagramFileText(panel) == changed) << "seed " << seed << ", redoing " << lines[at];
      survived.insert(key);
    }
  }
  EXPECT_EQ(survived, held);
}
