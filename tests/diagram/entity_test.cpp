// The entity box: drawing, selection and dragging, its menu commands and its placement entries.
#include "entity.h"

#include <gtest/gtest.h>

#include "diagram_fixture.h"
#include "method.h"
#include "property.h"
#include "relation.h"

using Entity = DiagramTest;

TEST_F(Entity, MenuCaptionsInOrder) {
  AddPage("P1");
  TEntity& entity = AddEntity("Customer");
  const std::vector<std::string> expected{
      "ENTITY : Customer",       "-",
      "-> Rename Entity",        "-> Select Entity Type",
      "-",                       "-> Add New Property",
      "-> Add New Method",       "-> Add New EntityEvent",
      "-> Add New Relation",     "-> Add New Display Page",
      "-",                       "-> Show ALL Property",
      "-> Show ALL Method",      "-> Hide ALL Property",
      "-> Hide ALL Method",      "-",
      "-> (*)Remove Exists Display Page", "-> (*)Remove This Entity",
      "-",                       "Edit",
  };
  EXPECT_EQ(entity.Menu().Captions(), expected);
  EXPECT_EQ(entity.Menu().Item(19).Submenu()->Captions(), std::vector<std::string>{"-> Edit Rows as Text..."});
  EXPECT_EQ(entity.GetPopupMenu(), &entity.Menu());
  EXPECT_EQ(entity.EntityType(), Et_Organization);
  EXPECT_EQ(entity.Color(), 0x8BE4E0u);
}

TEST_F(Entity, DrawsItsTitleAndWidensForIt) {
  AddPage("P1");
  platform.Type("");
  panel.SetLastMouse(40, 30);
  TEntity& untitled = panel.CreateEntity("", false);
  RecordingCanvas canvas;
  untitled.DrawOn(canvas, untitled.Left(), untitled.Top());
  ASSERT_EQ(canvas.Texts(), std::vector<std::string>{"New Entity"});
  // "New Entity" is 70 pixels wide: centred in 128 at x = 64 - 35.
  EXPECT_EQ(canvas.Calls[1].Points[0], (TPoint{40 + 29, 30 + 5}));
  EXPECT_EQ(canvas.Calls[0].Kind, "Rectangle");
  EXPECT_EQ(canvas.Calls[0].Points, (std::vector<TPoint>{{40, 30}, {168, 60}}));
  EXPECT_EQ(canvas.Calls[0].Brush, TEntity::Colour);

  TEntity& wide = AddEntity(std::string(30, 'W'));  // 210 pixels of title
  TProperty* row = AddProperty(wide, "Id", true);
  canvas.Clear();
  wide.DrawOn(canvas, 0, 0);
  EXPECT_EQ(wide.Width(), 214);
  EXPECT_EQ(row->Width(), 212) << "rows follow the entity's new width";
  EXPECT_EQ(row->Anchors().RightX, 40 + 214);
  EXPECT_EQ(canvas.Calls.back().Points[0], (TPoint{214 / 2 - 105, 5}));
}

TEST_F(Entity, SelectedEntityDrawsInItsOwnColour) {
  AddPage("P1");
  TEntity& entity = AddEntity("A");
  entity.MouseDown(TMouseButton::Right, 0, 1, 1);
  RecordingCanvas canvas;
  entity.DrawOn(canvas, 0, 0);
  EXPECT_EQ(canvas.Calls[0].Brush, TEntity::SelectedColour);
  EXPECT_EQ(canvas.BrushColor(), clrWhite) << "the brush is restored";
}

TEST_F(Entity, OffThePageItHidesItselfWhenItPaints) {
  AddPage("P1");
  TEntity& entity = AddEntity("A");
  entity.SetActivePages({"Other @1,1"});
  RecordingCanvas canvas;
  entity.DrawOn(canvas, 0, 0);
  EXPECT_FALSE(entity.Visible());
  EXPECT_TRUE(canvas.Calls.empty());
}

TEST_F(Entity, PressingSelectsAndTheLeftButtonDrags) {
  AddPage("P1");
  TEntity& first = AddEntity("A");
  TEntity& second = AddEntity("B");
  TProperty* row = AddProperty(first, "Id", true);
  TMethod* method = AddMethod(first, "Run", true);
  first.SetSelectedProperty(row);
  first.SetSelectedMethod(method);
  std::vector<TEntity*> reported;
  panel.OnSelectEntity = [&](TOOAPanel& sender, TEntity& entity) {
    EXPECT_EQ(&sender, &panel);
    reported.push_back(&entity);
  };
  first.MouseDown(TMouseButton::Right, 0, 3, 3);
  EXPECT_EQ(panel.SelectedEntity(), &first);
  EXPECT_TRUE(platform.Drags.empty()) << "a right click does not drag";
  second.MouseDown(TMouseButton::Left, 0, 3, 3);
  EXPECT_EQ(panel.SelectedEntity(), &second);
  EXPECT_EQ(first.SelectedProperty(), nullptr);
  EXPECT_EQ(first.SelectedMethod(), nullptr);
  EXPECT_EQ(platform.Drags, std::vector<Control*>{&second});
  EXPECT_EQ(panel.Children().back(), &second) << "brought to the front";
  second.MouseDown(TMouseButton::Left, 0, 3, 3);
  EXPECT_EQ(reported, (std::vector<TEntity*>{&first, &second})) << "reported once per change";
}

TEST_F(Entity, RefusesDropsSoReleasingOverAnEntityMovesNothing) {
  AddPage("P1");
  TEntity& a = AddEntity("A");
  TEntity& b = AddEntity("B", 300, 30);
  bool accept = true;
  b.DragOver(a, 5, 5, TDragState::Move, accept);
  EXPECT_FALSE(accept);
}

TEST_F(Entity, RenameAnswers) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TProperty* row = AddProperty(entity, "Id", true);
  platform.Cancel();
  entity.RenameEntity();
  EXPECT_EQ(entity.EntityDesc(), "Order");
  platform.Type("   ");
  entity.RenameEntity();
  EXPECT_EQ(entity.EntityDesc(), "Order");
  platform.Type(" Sale ");
  entity.RenameEntity();
  EXPECT_EQ(entity.EntityDesc(), " Sale ");
  EXPECT_EQ(entity.Menu().Item(0).Caption(), "ENTITY :  Sale ");
  EXPECT_EQ(row->Menu().Item(0).Caption(), "PROPERTY :  Sale  -> Id");
  const auto box = platform.CallsOf("InputBox").back();
  EXPECT_EQ(box.Caption, "Entity Rename");
  EXPECT_EQ(box.Text, "Input New Entity's Name :");
  EXPECT_EQ(box.Default, "Order");
}

TEST_F(Entity, SelectEntityTypeAsksUntilTheFirstYes) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  entity.SetEntityType(Et_Form);
  platform.No().No().No().No();
  entity.SelectEntityType();
  EXPECT_EQ(entity.EntityType(), Et_Form);
  const auto questions = platform.CallsOf("YesNo");
  ASSERT_EQ(questions.size(), 4u);
  EXPECT_EQ(questions[0].Text, "Set \"Order\"'s EntityType = Organization");
  EXPECT_EQ(questions[3].Text, "Set \"Order\"'s EntityType = Concept");
  EXPECT_EQ(questions[0].Caption, "");
  platform.No().No().Yes();
  entity.SelectEntityType();
  EXPECT_EQ(entity.EntityType(), Et_Data);
  EXPECT_EQ(platform.CallsOf("YesNo").size(), 7u);
}

TEST_F(Entity, HideAndShowCommandsRewriteTheActiveEntry) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 10, 20);
  AddProperty(entity, "Id", true);
  AddMethod(entity, "Run", true);
  entity.AppendEntry("P2 @5,5,HIDE PROPERTY");
  entity.HideAllMethod();
  EXPECT_EQ(entity.ActivePages()[0], "P1 @10,20,HIDE METHOD");
  entity.HideAllProperty();
  EXPECT_EQ(entity.ActivePages()[0], "P1 @10,20,HIDE PROPERTY,HIDE METHOD");
  EXPECT_EQ(entity.Height(), 30) << "the title band and 10 pixels";
  entity.ShowAllMethod();
  EXPECT_EQ(entity.ActivePages()[0], "P1 @10,20,HIDE PROPERTY");
  entity.ShowAllProperty();
  EXPECT_EQ(entity.ActivePages()[0], "P1 @10,20");
  EXPECT_EQ(entity.ActivePages()[1], "P2 @5,5,HIDE PROPERTY") << "other pages keep their flags";
}

TEST_F(Entity, FlagsAreAlwaysRewrittenPropertyFirst) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 10, 20);
  entity.SetActivePages({"P1 @10,20,HIDE METHOD,HIDE PROPERTY"});
  panel.ShowActivePage();
  EXPECT_FALSE(entity.ShowProperty());
  EXPECT_FALSE(entity.ShowMethod());
  entity.ShowAllMethod();
  EXPECT_EQ(entity.ActivePages()[0], "P1 @10,20,HIDE PROPERTY");
  entity.SetActivePages({"P1 @10,20,HIDE METHOD,HIDE PROPERTY"});
  entity.SetShowProperty(true);
  entity.HideAllProperty();
  EXPECT_EQ(entity.ActivePages()[0], "P1 @10,20,HIDE PROPERTY,HIDE METHOD");
}

TEST_F(Entity, HideCommandsWithoutAnActiveEntryChangeOnlyTheFlag) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  entity.SetActivePages({"Elsewhere @1,1"});
  entity.HideAllMethod();
  EXPECT_FALSE(entity.ShowMethod());
  EXPECT_EQ(entity.ActivePages(), TEntryList{"Elsewhere @1,1"});
  entity.HideAllMethod();  // already hidden: nothing at all
  EXPECT_EQ(entity.ActivePages(), TEntryList{"Elsewhere @1,1"});
}

TEST_F(Entity, StorePagePositionWritesFlagsOnlyForPagesItIsOn) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 10, 20);
  entity.SetShowProperty(false);
  entity.SetShowMethod(false);
  entity.SetLeft(7);
  entity.StorePagePosition("P2");
  entity.StorePagePosition("  ");
  EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @10,20"});
  entity.StorePagePosition("P1");
  EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @7,20,HIDE PROPERTY,HIDE METHOD"});
}

TEST_F(Entity, AddAndRemoveDisplayPageDialogs) {
  AddPage("P1");
  panel.OwnPageList().push_back("b @x");  // as an older file may list it: offered by its page part
  AddPage("A2");
  TEntity& entity = AddEntity("Order", 10, 20);
  platform.Choose("A2");
  entity.AddNewDisplayPage();
  EXPECT_EQ(entity.ActivePages(), (TEntryList{"P1 @10,20", "A2 @10,20"}));
  const auto add = platform.CallsOf("Choose").back().Choice;
  EXPECT_EQ(add.Caption, "Add New DisPlay Page [ Order ]");
  EXPECT_EQ(add.Label, "New DisPlay Page");
  EXPECT_EQ(add.Items, (std::vector<std::string>{"", "A2", "b", "P1"}));
  EXPECT_EQ(add.ItemIndex, -1);
  EXPECT_EQ(add.Width, 320);
  EXPECT_EQ(add.Height, 105);
  EXPECT_EQ(add.ListWidth, 160);
  EXPECT_EQ(add.CloseLeft, 126);
  EXPECT_EQ(add.CloseTop, 54);

  platform.Choose("P1");  // already there: no second entry
  entity.AddNewDisplayPage();
  platform.Choose("");
  entity.AddNewDisplayPage();
  EXPECT_EQ(entity.ActivePages().size(), 2u);

  platform.Choose("P1");
  entity.RemoveExistsDisplayPage();
  EXPECT_EQ(entity.ActivePages(), TEntryList{"A2 @10,20"});
  EXPECT_FALSE(entity.Visible()) << "removed from the active page, it disappears at once";
  const auto remove = platform.CallsOf("Choose").back().Choice;
  EXPECT_EQ(remove.Caption, "Remove New DisPlay Page [ Order ]");
  EXPECT_EQ(remove.Label, "Select Remove Page ");
  EXPECT_EQ(remove.LabelLeft, 12);
  EXPECT_EQ(remove.Items, (std::vector<std::string>{"", "A2", "P1"}));
}

TEST_F(Entity, RemoveThisEntityRemovesTheEntityWhoseMenuWasOpened) {
  AddPage("P1");
  AddEntity("A");
  TEntity& b = AddEntity("B");
  b.MouseDown(TMouseButton::Right, 0, 1, 1);
  b.Menu().Find("-> (*)Remove This Entity")->Click();
  ASSERT_EQ(panel.Entities().size(), 1u);
  EXPECT_EQ(panel.Entities()[0]->EntityDesc(), "A");
}
