// Relation and event boxes: creation, the drops that link them, their commands and drawing.
#include <gtest/gtest.h>

#include "diagram_fixture.h"
#include "entity_event.h"
#include "keyboard_focus.h"
#include "keyboard_link.h"
#include "method.h"
#include "property.h"
#include "relation.h"

using Boxes = DiagramTest;

TEST_F(Boxes, ARelationIsNamedPlacedAndShownByItsOwner) {
  AddPage("P1");
  AddEntity("A");
  AddEntity("B");
  TEntity& order = AddEntity("Order", 100, 50);
  ASSERT_EQ(order.Name(), "Entity3");
  AddRelation(order, "", true);
  TRelation* relation = AddRelation(order, "", true);
  EXPECT_EQ(relation->Name(), "Entity3_Rel_2");
  EXPECT_EQ(relation->RelationDesc(), "Order_Rel_2");
  EXPECT_EQ(relation->RelationNo(), 1);
  EXPECT_EQ(relation->BoundsRect(), (TRect{238, 50, 366, 75}));
  EXPECT_FALSE(relation->Visible()) << "hidden until shown on a page where it has an entry";
  EXPECT_EQ(relation->Parent(), &panel);
  EXPECT_EQ(relation->Color(), clrSilver);
  EXPECT_TRUE(relation->ActivePages().empty());
  EXPECT_EQ(relation->Menu().Captions(),
            (std::vector<std::string>{"RELATION : Order -> Order_Rel_2", "-", " -> Rename Relation",
                                      " -> Break Link With Relation Source Object",
                                      " -> Break Link With Relation Target Object", "-> Remove This Relation",
                                      " -> Add New Display Page", " -> Remove Exists Display Page", "-", " -> Link To..."}));
  TRelation* shown = AddRelation(order, "", false);
  EXPECT_TRUE(shown->Visible());
  EXPECT_EQ(shown->ActivePages(), TEntryList{"P1 @238,50"});
}

TEST_F(Boxes, AnEventIsNamedPlacedAndSizedToItsText) {
  AddPage("P1");
  AddEntity("A");
  TEntity& customer = AddEntity("Customer", 100, 50);
  TEntityEvent* event = AddEntityEvent(customer, "", true);
  EXPECT_EQ(event->Name(), "Entity2_Event_1");
  EXPECT_EQ(event->EventDesc(), "Customer_Event_1");
  EXPECT_EQ(event->BoundsRect(), (TRect{238, 50, 366, 75}));
  EXPECT_TRUE(event->Visible()) << "an event box is not hidden at creation";
  EXPECT_EQ(event->Menu().Captions(),
            (std::vector<std::string>{"ENTITYEVENT : Customer -> Customer_Event_1", "-", " -> EntityEvent Rename",
                                      " -> Break Link With Event Source Object",
                                      " -> Break Link With Event Target Object", "-> Remove This Event",
                                      " -> Add New Display Page", " -> Remove Exists Display Page", "-", " -> Link To..."}));
  event->AddPageEntry("P1");
  EXPECT_EQ(event->Width(), 16 * 7 + 16);
  EXPECT_EQ(event->Height(), 16 + 16);
  EXPECT_EQ(event->Anchors().RightX, 238 + 128) << "the lines meet the box as its first paint sized it";
  EXPECT_EQ(event->Anchors().Y, 50 + 16);
  RecordingCanvas canvas;
  event->DrawOn(canvas, 0, 0);
  ASSERT_EQ(canvas.Calls.size(), 2u);
  const int w = 128;
  const int h = 32;
  EXPECT_EQ(canvas.Calls[0].Points,
            (std::vector<TPoint>{{10, 0}, {w - 10, 0}, {w, h / 2}, {w - 10, h - 1}, {10, h - 1}, {0, h / 2}}));
  EXPECT_EQ(canvas.Calls[0].Brush, TEntityEvent::FillColour);
  EXPECT_EQ(canvas.Calls[0].Pen, TEntityEvent::OutlineColour);
  EXPECT_EQ(canvas.Calls[1].Points[0], (TPoint{8, 8}));
  EXPECT_EQ(canvas.Calls[1].Pen, clrBlack) << "the pen is restored before the text";
  EXPECT_EQ(canvas.Calls[1].Brush, TEntityEvent::FillColour);
}

TEST_F(Boxes, DroppingEntitiesOnARelationDefinesItsEnds) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer");
  TEntity& other = AddEntity("Order", 400, 30);
  TProperty* custNo = AddProperty(owner, "CustNo", true);
  TProperty* ref = AddProperty(other, "Ref", true);
  TRelation* relation = AddRelation(owner, "", false);
  relation->DragDrop(owner, 1, 1);  // no selected row: nothing asked
  custNo->MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.Yes();
  relation->DragDrop(owner, 1, 1);
  EXPECT_EQ(relation->SourceEntity(), &owner);
  EXPECT_EQ(relation->SourceProperty(), custNo);
  ref->MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.No();
  relation->DragDrop(other, 1, 1);
  EXPECT_EQ(relation->TargetEntity(), nullptr);
  platform.Yes();
  relation->DragDrop(other, 1, 1);
  EXPECT_EQ(relation->TargetEntity(), &other);
  EXPECT_EQ(relation->TargetProperty(), ref);
  const auto questions = platform.CallsOf("YesNo");
  ASSERT_EQ(questions.size(), 3u);
  EXPECT_EQ(questions[0].Text, "Define Source Property \"CustNo\" ??");
  EXPECT_EQ(questions[0].Caption, "Define Relation Dialog");
  EXPECT_EQ(questions[1].Text, "Define Target Property \"Ref\" ??");
  // An entity taken by a method row brings no property; taken by its title, its selected one.
  AddMethod(owner, "Pay", true)->MouseDown(TMouseButton::Left, 0, 1, 1);
  relation->DragDrop(owner, 1, 1);
  EXPECT_EQ(platform.CallsOf("YesNo").size(), 3u) << "a method row's drag asks nothing";
  custNo->MouseDown(TMouseButton::Left, 0, 1, 1);
  owner.MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.No();
  relation->DragDrop(owner, 1, 1);
  EXPECT_EQ(platform.CallsOf("YesNo").size(), 4u);
}

TEST_F(Boxes, DroppingEntitiesOnAnEventAsksTriggerThenExecute) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer");
  TMethod* check = AddMethod(owner, "Check", true);
  TMethod* bill = AddMethod(owner, "Bill", true);
  TEntityEvent* event = AddEntityEvent(owner, "", false);
  check->MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.Yes();
  event->DragDrop(owner, 1, 1);
  EXPECT_EQ(event->SourceMethod(), check);
  EXPECT_EQ(platform.CallsOf("YesNo").size(), 1u) << "Yes to the trigger never asks for the execute method";
  bill->MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.No().Yes();
  event->DragDrop(owner, 1, 1);
  EXPECT_EQ(event->TargetEntity(), &owner) << "the owner may be either end";
  EXPECT_EQ(event->TargetMethod(), bill);
  EXPECT_EQ(event->SourceMethod(), check);
  const auto questions = platform.CallsOf("YesNo");
  EXPECT_EQ(questions[1].Text, "Define Trigger Method \"Bill\" ??");
  EXPECT_EQ(questions[2].Text, "Define Execute Method \"Bill\" ??");
  EXPECT_EQ(questions[2].Caption, "Define EntityEvent Dialog");
  platform.No().No();
  event->DragDrop(owner, 1, 1);
  EXPECT_EQ(event->TargetMethod(), bill);
  AddProperty(owner, "Id", true)->MouseDown(TMouseButton::Left, 0, 1, 1);
  event->DragDrop(owner, 1, 1);
  EXPECT_EQ(platform.CallsOf("YesNo").size(), 5u) << "a property row's drag asks nothing";
}

TEST_F(Boxes, BoxesDroppedOnTheirOwnKindMoveOtherKindsDoNothing) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer", 0, 0);
  TRelation* r1 = AddRelation(owner, "", false);
  TRelation* r2 = AddRelation(owner, "", false);
  TEntityEvent* e1 = AddEntityEvent(owner, "", false);
  TEntityEvent* e2 = AddEntityEvent(owner, "", false);
  panel.DragDrop(*r2, 500, 500);
  panel.DragDrop(*e2, 800, 800);
  r2->DragDrop(*r1, 5, 6);
  EXPECT_EQ(r1->Left(), 505);
  EXPECT_EQ(r1->Top(), 506);
  EXPECT_EQ(r1->ActivePages(), TEntryList{"P1 @505,506"});
  e2->DragDrop(*e1, 7, 8);
  EXPECT_EQ(e1->Left(), 807);
  const TRect before = e1->BoundsRect();
  r2->DragDrop(*e1, 1, 1);
  e2->DragDrop(*r1, 1, 1);
  EXPECT_EQ(e1->BoundsRect(), before);
  EXPECT_EQ(r1->Left(), 505);
  // Taken 3,4 into it, a box lands as far up and left of the point it is dropped at, never off the
  // surface.
  panel.SetDragGrab({3, 4});
  r2->DragDrop(*r1, 5, 6);
  EXPECT_EQ(r1->ActivePages(), TEntryList{"P1 @502,502"});
  panel.DragDrop(*e1, 2, 9);
  EXPECT_EQ(e1->ActivePages(), TEntryList{"P1 @0,5"});
}

TEST_F(Boxes, BreakingLinksAndRenaming) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer");
  TProperty* id = AddProperty(owner, "Id", true);
  TRelation* relation = AddRelation(owner, "", false);
  relation->SetSourceEntity(&owner);
  relation->SetSourceProperty(id);
  relation->Menu().Find(" -> Break Link With Relation Source Object")->Click();
  EXPECT_EQ(relation->SourceEntity(), nullptr);
  EXPECT_EQ(relation->SourceProperty(), nullptr);
  EXPECT_TRUE(id->LinkedBy().empty());
  relation->BreakTargetLink();  // an empty end stays empty
  platform.Type(" ").Type("Owns");
  relation->RenameRelation();
  EXPECT_EQ(relation->RelationDesc(), "Customer_Rel_1");
  relation->Menu().Find(" -> Rename Relation")->Click();
  EXPECT_EQ(relation->RelationDesc(), "Owns");
  EXPECT_EQ(relation->Menu().Item(0).Caption(), "RELATION : Customer -> Owns");
  TEntityEvent* event = AddEntityEvent(owner, "", false);
  platform.Type("Ships");
  event->Menu().Find(" -> EntityEvent Rename")->Click();
  EXPECT_EQ(event->EventDesc(), "Ships");
  EXPECT_EQ(event->Menu().Item(0).Caption(), "ENTITYEVENT : Customer -> Ships");
  EXPECT_EQ(platform.CallsOf("InputBox").back().Caption, "EntityEvent Rename");
  EXPECT_EQ(platform.CallsOf("InputBox").back().Text, "Input New EntityEvent's Name :");
  // Renaming the owner refreshes the event's header but not the relation's.
  platform.Type("Client");
  owner.RenameEntity();
  EXPECT_EQ(event->Menu().Item(0).Caption(), "ENTITYEVENT : Client -> Ships");
  EXPECT_EQ(relation->Menu().Item(0).Caption(), "RELATION : Customer -> Owns");
}

// A box sized by its text: after a rename its lines meet its new edges and centre at once, without
// waiting for the next page showing.
TEST_F(Boxes, RenamingMovesTheAnchorsWithTheNewSize) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer", 100, 50);
  TEntityEvent* event = AddEntityEvent(owner, "", false);
  ASSERT_EQ(event->Width(), 16 * 7 + 16);
  platform.Type("A much longer description of the event");
  event->RenameEvent();
  const int width = static_cast<int>(std::string("A much longer description of the event").size()) * 7 + 16;
  ASSERT_EQ(event->Width(), width);
  EXPECT_EQ(event->Anchors().RightX, event->Left() + width);
  EXPECT_EQ(event->Anchors().CentreX, event->Left() + width / 2);
  EXPECT_EQ(event->Anchors().LeftX, event->Left());
}

TEST_F(Boxes, RemovingBoxesRenumbersTheRest) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer");
  TRelation* r0 = AddRelation(owner, "", false);
  TRelation* r1 = AddRelation(owner, "", false);
  TRelation* r2 = AddRelation(owner, "", false);
  r0->MouseDown(TMouseButton::Right, 0, 1, 1);
  EXPECT_EQ(owner.SelectedRelation(), r0);
  r0->Menu().Find("-> Remove This Relation")->Click();
  EXPECT_EQ(r1->RelationNo(), 0);
  EXPECT_EQ(r2->RelationNo(), 1);
  EXPECT_EQ(owner.SelectedRelation(), nullptr);
  TEntityEvent* e0 = AddEntityEvent(owner, "", false);
  TEntityEvent* e1 = AddEntityEvent(owner, "", false);
  TEntityEvent* e2 = AddEntityEvent(owner, "", false);
  e1->MouseDown(TMouseButton::Right, 0, 1, 1);
  e1->RemoveEvent();
  EXPECT_EQ(e0->EventNo(), 0);
  EXPECT_EQ(e2->EventNo(), 1);
  owner.RemoveSelectedEvent();  // nothing selected any more
  EXPECT_EQ(owner.EventList().size(), 2u);
  EXPECT_EQ(AddRelation(owner, "", true)->Name(), "Entity1_Rel_4") << "Entity1_Rel_3 is still in use";
}

TEST_F(Boxes, PressingABoxSelectsItAndTheLeftButtonDragsIt) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer");
  TEntityEvent* event = AddEntityEvent(owner, "", false);
  event->MouseDown(TMouseButton::Right, 0, 1, 1);
  EXPECT_EQ(owner.SelectedEvent(), event);
  EXPECT_TRUE(platform.Drags.empty());
  event->MouseDown(TMouseButton::Left, 0, 1, 1);
  EXPECT_EQ(platform.Drags, std::vector<Control*>{event});
  EXPECT_EQ(panel.Children().back(), event);
  bool accept = false;
  event->DragOver(owner, 0, 0, TDragState::Move, accept);
  EXPECT_TRUE(accept);
}

TEST_F(Boxes, HidingTheOwnersPropertiesHidesItsRelationsNotItsEvents) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer");
  TRelation* relation = AddRelation(owner, "", false);
  TEntityEvent* event = AddEntityEvent(owner, "", false);
  owner.HideAllProperty();
  EXPECT_FALSE(relation->Visible());
  owner.HideAllMethod();
  EXPECT_TRUE(event->Visible());
  owner.ShowAllProperty();
  EXPECT_TRUE(relation->Visible());
}

TEST_F(Boxes, ARelationWidensToItsDescriptionAtItsFirstPaint) {
  AddPage("P1");
  TEntity& owner = AddEntity("Customer", 0, 0);
  TRelation* relation = AddRelation(owner, std::string(20, 'r'), true);  // 140 pixels in a 128 box
  relation->AddPageEntry("P1");
  RecordingCanvas canvas;
  EXPECT_EQ(relation->Width(), 142) << "the paint during showing widened it";
  relation->SetWidth(128);
  relation->DrawOn(canvas, 0, 0);
  EXPECT_EQ(relation->Width(), 142);
  EXPECT_EQ(canvas.Calls[0].Kind, "RoundRect");
  EXPECT_EQ(canvas.Calls[0].Points, (std::vector<TPoint>{{0, 0}, {128, 25}, {15, 15}}));
  EXPECT_EQ(canvas.Calls[1].Points[0], (TPoint{64 - 70, 12 - 8})) << "placed by the old width";
  canvas.Clear();
  relation->DrawOn(canvas, 0, 0);
  EXPECT_EQ(canvas.Calls[1].Points[0], (TPoint{71 - 70, 4}));
}

TEST_F(Boxes, PageDialogsOfBoxes) {
  AddPage("P1");
  AddPage("P2");
  TEntity& owner = AddEntity("Customer", 0, 0);
  TRelation* relation = AddRelation(owner, "Owns", false);
  platform.Choose("P2");
  relation->Menu().Find(" -> Add New Display Page")->Click();
  EXPECT_EQ(relation->ActivePages(), (TEntryList{"P1 @138,0", "P2 @138,0"}));
  EXPECT_EQ(platform.CallsOf("Choose").back().Caption, "Add New DisPlay Page [ Owns ]");
  platform.Choose("P1");
  relation->Menu().Find(" -> Remove Exists Display Page")->Click();
  EXPECT_EQ(relation->ActivePages(), TEntryList{"P2 @138,0"});
  EXPECT_FALSE(relation->Visible());
}

// The keyboard's way through the page and to its links: Tab's reading order (round at the ends),
// Up and Down through the rows, the ends "Link To..." offers, and a link made as the drop makes it,
// undone as one step with the selection it found.
TEST_F(Boxes, TheKeyboardGoesThroughThePageInReadingOrderAndLinksAsTheDropDoes) {
  AddPage("P1");
  TEntity& customer = AddEntity("Customer", 40, 30);
  TEntity& order = AddEntity("Order", 400, 30);
  TEntity& line = AddEntity("Line", 40, 300);
  TProperty* custNo = AddProperty(customer, "CustNo", true);
  TMethod* pay = AddMethod(customer, "Pay", true);
  TProperty* ref = AddProperty(order, "Ref", true);
  TRelation* relation = AddRelation(customer, "places", false);
  const std::vector<Control*> reading{&customer, relation, &order, &line};
  for (const bool backwards : {false, true}) {
    TKeyboardFocus focus;
    for (size_t step = 0; step < 2 * reading.size(); ++step)
      EXPECT_EQ(focus.Step(panel, backwards), reading[backwards ? reading.size() - 1 - step % reading.size() : step % reading.size()])
          << (backwards ? "Shift+Tab " : "Tab ") << step;
  }
  TKeyboardFocus focus;
  focus.Set(&customer);
  const std::vector<std::pair<bool, Control*>> rows{{false, custNo}, {false, pay}, {false, nullptr}, {true, custNo}, {true, &customer}};
  for (const auto& [up, expected] : rows) EXPECT_EQ(focus.StepRow(panel, up), expected);
  focus.Set(pay);
  EXPECT_EQ(focus.Step(panel, false), relation) << "a row's Tab goes on from its entity";

  const auto labels = [](Control& from) {
    std::vector<std::string> all;
    for (const TLinkEnd& end : LinkEnds(from)) all.push_back(end.Label);
    return all;
  };
  EXPECT_EQ(labels(*custNo), std::vector<std::string>{"places (Customer)"});
  EXPECT_EQ(labels(*relation), (std::vector<std::string>{"Customer.CustNo", "Order.Ref"}));
  EXPECT_EQ(labels(*pay), std::vector<std::string>{}) << "no event box, no other method";
  panel.SetSelectedEntity(&line);
  const size_t steps = panel.History().StepCount();
  platform.Yes();
  LinkByKeyboard(*relation, *ref);
  EXPECT_EQ(relation->TargetProperty(), ref);
  EXPECT_EQ(platform.CallsOf("YesNo").back().Text, "Define Target Property \"Ref\" ??");
  EXPECT_EQ(panel.History().StepCount(), steps + 1);
  panel.UndoCommand();
  EXPECT_EQ(relation->TargetProperty(), nullptr);
  EXPECT_EQ(panel.SelectedEntity(), &line) << "the press the link began with is undone with it";
}
