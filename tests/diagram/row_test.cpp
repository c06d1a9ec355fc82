// Property and method rows: creation and layout, the row commands, calls, removal and drawing.
#include <gtest/gtest.h>

#include <optional>

#include "diagram_fixture.h"
#include "entity_event.h"
#include "method.h"
#include "property.h"
#include "relation.h"
#include "shown_text.h"

using Rows = DiagramTest;

TEST_F(Rows, InteractivePropertiesProposeTheirNumberAndOfferAnother) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 100, 50);
  AddProperty(entity, "A", true);
  AddProperty(entity, "B", true);
  platform.Cancel().Yes().Type("Extra").No();
  entity.Menu().Find("-> Add New Property")->Click();
  ASSERT_EQ(entity.PropertyCount(), 4);
  TProperty& third = *entity.PropertyByIndex(2);
  EXPECT_EQ(third.PropertyDesc(), "Property3");
  EXPECT_EQ(third.Name(), "Entity1_Prop3");
  EXPECT_EQ(entity.PropertyByIndex(3)->PropertyDesc(), "Extra");
  const auto boxes = platform.CallsOf("InputBox");
  EXPECT_EQ(boxes.back().Caption, "Create New Property");
  EXPECT_EQ(boxes.back().Text, "Input New Property's Name :");
  EXPECT_EQ(boxes.back().Default, "Property4");
  const auto questions = platform.CallsOf("YesNo");
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0].Text, "Create New Property");
  EXPECT_EQ(questions[0].Caption, "Continue New Property ??");
}

TEST_F(Rows, InteractiveMethodsProposeTheirNumberAndOfferAnother) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  platform.Type("Ship").Yes().Cancel().No();
  entity.Menu().Find("-> Add New Method")->Click();
  ASSERT_EQ(entity.MethodCount(), 2);
  EXPECT_EQ(entity.MethodByIndex(0)->MethodDesc(), "Ship");
  EXPECT_EQ(entity.MethodByIndex(1)->MethodDesc(), "Method2");
  EXPECT_EQ(entity.MethodByIndex(1)->Name(), "Entity1_Method2");
  const auto question = platform.CallsOf("YesNo")[0];
  EXPECT_EQ(question.Text, "Create New Method");
  EXPECT_EQ(question.Caption, "Continue New Method ??");
  EXPECT_EQ(platform.CallsOf("InputBox")[1].Caption, "Create New Method");
  EXPECT_EQ(platform.CallsOf("InputBox")[1].Text, "Input New Method's Name :");
}

TEST_F(Rows, RowsStackAndGrowTheEntity) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 100, 50);
  TProperty* id = AddProperty(entity, "Id", true);
  EXPECT_EQ(id->BoundsRect(), (TRect{1, 20, 127, 40}));
  EXPECT_EQ(entity.Height(), 41);
  EXPECT_EQ(id->Color(), clrSilver);
  EXPECT_EQ(id->Parent(), &entity);
  EXPECT_EQ(id->Anchors().Y, 50 + 20 + 10);
  EXPECT_EQ(id->Anchors().RightX, 228);
  EXPECT_EQ(id->Anchors().LeftX, 100);
  EXPECT_EQ(id->Anchors().CentreX, 100 + 1 + 63);
  TProperty* name = AddProperty(entity, "Name", true);
  EXPECT_EQ(name->Top(), 40);
  EXPECT_EQ(entity.Height(), 61);
  TMethod* run = AddMethod(entity, "Run", true);
  EXPECT_EQ(run->Top(), 62) << "a fresh method row stands two pixels below the last property";
  EXPECT_EQ(entity.Height(), 83);
  PlaceMethodRow(*run);
  EXPECT_EQ(run->Top(), 61);
  // A property added while methods are shown makes the entity one row taller and moves them down.
  AddProperty(entity, "Date", true);
  EXPECT_EQ(entity.Height(), 103);
  EXPECT_EQ(run->Top(), 81);
  EXPECT_EQ(run->Anchors().Y, 50 + 81 + 10);
}

TEST_F(Rows, APropertyAddedWhilePropertiesAreHiddenIsHidden) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TMethod* run = AddMethod(entity, "Run", true);
  entity.HideAllProperty();
  TProperty* row = AddProperty(entity, "Id", true);
  EXPECT_FALSE(row->Visible());
  EXPECT_EQ(entity.Height(), 30);
  RecordingCanvas canvas;
  run->DrawOn(canvas, 0, 0);
  EXPECT_EQ(entity.Height(), run->Top() + run->Height() + 1) << "the last method row trims the entity";
}

TEST_F(Rows, MovingAPropertySwapsRowsButNotTheNamesGivenAtCreation) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 0, 0);
  TProperty* first = AddProperty(entity, "First", true);
  TProperty* second = AddProperty(entity, "Second", true);
  first->MoveUp();  // the first row cannot move up
  EXPECT_EQ(entity.PropertyByIndex(0), first);
  second->Menu().Find(" -> Property Move UP")->Click();
  EXPECT_EQ(entity.PropertyByIndex(0), second);
  EXPECT_EQ(entity.PropertyByIndex(1), first);
  EXPECT_EQ(second->RowIndex(), 0);
  EXPECT_EQ(second->DisplaySlot(), 0);
  EXPECT_EQ(second->Top(), 20);
  EXPECT_EQ(first->Top(), 40);
  EXPECT_EQ(second->Anchors().Y, 30);
  first->MoveDown();  // already last
  EXPECT_EQ(entity.PropertyByIndex(1), first);
  EXPECT_EQ(entity.PropertyByName("Entity1_Prop1"), first) << "names move with their rows";
}

TEST_F(Rows, MovingMethods) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 0, 0);
  TMethod* a = AddMethod(entity, "A", true);
  TMethod* b = AddMethod(entity, "B", true);
  a->Menu().Find("-> Method Move Down")->Click();
  EXPECT_EQ(entity.MethodByIndex(0), b);
  EXPECT_EQ(b->Top(), 20);
  EXPECT_EQ(a->Top(), 40);
  EXPECT_EQ(a->RowIndex(), 1);
  b->MoveUp();
  EXPECT_EQ(entity.MethodByIndex(0), b);
}

TEST_F(Rows, HidingOnePropertyRestacksTheOthersButNotTheMethods) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 0, 0);
  TProperty* a = AddProperty(entity, "A", true);
  TProperty* b = AddProperty(entity, "B", true);
  TProperty* c = AddProperty(entity, "C", true);
  TMethod* run = AddMethod(entity, "Run", true);
  panel.ShowActivePage();
  a->Menu().Find(" -> Hide This Property")->Click();
  const int methodTop = run->Top();
  EXPECT_FALSE(a->IsDisplay());
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(b->DisplaySlot(), 0);
  EXPECT_EQ(b->Top(), 20);
  EXPECT_EQ(c->DisplaySlot(), 1);
  EXPECT_EQ(b->RowIndex(), 1) << "the row index stays";
  EXPECT_EQ(run->Top(), c->Top() + entity.PropertyDefHeight() + 1);
  c->HideProperty();
  EXPECT_LT(run->Top(), methodTop) << "methods stand below the last property row shown, leaving no band";
  EXPECT_EQ(run->Top(), b->Top() + entity.PropertyDefHeight() + 1);
  // Removing a row renumbers every row, so displayed rows may stand with gaps.
  panel.SetSelectedEntity(&entity);
  entity.SetSelectedProperty(c);
  const int height = entity.Height();
  entity.RemoveSelectedProperty();
  EXPECT_EQ(a->DisplaySlot(), 0);
  EXPECT_EQ(b->DisplaySlot(), 1);
  EXPECT_EQ(b->Top(), 40);
  EXPECT_EQ(entity.Height(), height - 20);
  // Showing all properties brings back the rows hidden one by one.
  entity.ShowAllProperty();
  EXPECT_TRUE(a->IsDisplay());
  EXPECT_TRUE(a->Visible());
  EXPECT_EQ(a->Top(), 20);
}

TEST_F(Rows, AMethodNameWiderThanItsRowWidensRowAndEntity) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 0, 0);
  TMethod* method = AddMethod(entity, std::string(20, 'm'), true);  // 20 + " ( )" = 24 characters
  TProperty* property = AddProperty(entity, std::string(40, 'p'), true);
  panel.ShowActivePage();
  EXPECT_EQ(method->Width(), 24 * 7 + 8);
  EXPECT_EQ(entity.Width(), 24 * 7 + 10);
  EXPECT_EQ(property->Width(), 24 * 7 + 8) << "property rows only follow the entity";
  EXPECT_EQ(method->Anchors().RightX, 24 * 7 + 10);
}

// A text its box cuts is given whole for a tooltip: a property name wider than its row (a property
// row never widens), a method name reaching into the 3 pixels before its row's edge (it widens only
// for a text wider than the row). A widened method row, a title or a box never stay cut.
TEST_F(Rows, ATextItsBoxCutsIsGivenWhole) {
  AddPage("P1");
  using TKind = TShownText::TKind;
  const struct {
    TKind kind;
    std::string desc;
    bool cut;
  } cases[] = {
      {TKind::Property, std::string(18, 'p'), false},  // 126 pixels in a row of 126
      {TKind::Property, std::string(19, 'p'), true},
      {TKind::Property, std::string(300, 'p'), true},  // given as a menu's header gives it
      {TKind::Method, std::string(13, 'm'), false},    // " ( )" after it: 119 pixels from x = 3
      {TKind::Method, std::string(14, 'm'), true},     // 126: not wider than the row, cut
      {TKind::Method, std::string(15, 'm'), false},    // 133: the row widens
      {TKind::Entity, std::string(40, 't'), false},
      {TKind::Relation, std::string(40, 'r'), false},
      {TKind::Event, std::string(40, 'e'), false},
  };
  for (const auto& c : cases) {
    TEntity& entity = AddEntity(c.kind == TKind::Entity ? c.desc : "Order");
    Control* at = &entity;
    std::string shown = c.desc;
    if (c.kind == TKind::Property) at = AddProperty(entity, c.desc, true);
    if (c.kind == TKind::Method) at = AddMethod(entity, c.desc, true), shown += " ( )";
    if (c.kind == TKind::Relation) at = AddRelation(entity, c.desc, false);
    if (c.kind == TKind::Event) at = AddEntityEvent(entity, c.desc, false);
    panel.ShowActivePage();
    const TPoint origin = at->OriginInRoot();
    EXPECT_EQ(TShownText::CutTextAt(panel, {origin.X + 2, origin.Y + 2}), c.cut ? TEntity::HeaderText(shown) : "")
        << c.desc;
    EXPECT_EQ(TShownText::CutTextAt(panel, {1500, 1500}), "") << "the empty surface";
    panel.ClearDiagram();
    AddPage("P1");
  }
}

TEST_F(Rows, PhysicalLength) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TProperty& row = *AddProperty(entity, "Amount", true);
  struct Case {
    TPropertyDataType type;
    int size, scale, length;
  } cases[] = {{pdtVachar, 30, 2, 30}, {pdtInteger, 4, 0, 4}, {pdtDouble, 10, 2, 13},
               {pdtBool, 99, 3, 5},    {pdtBinary, 16, 1, 16},
               // Sizes a file may give: the length is held within an int instead of overflowing.
               {pdtDouble, 2147483647, 5, 2147483647}, {pdtDouble, -2147483647 - 1, -5, -2147483647 - 1}};
  for (const auto& c : cases) {
    row.SetDataType(c.type);
    row.SetDataSize(c.size);
    row.SetDataScale(c.scale);
    EXPECT_EQ(row.PhysicalLength(), c.length) << c.type;
  }
}

// The data type dialog shows the row's kind, size, scale, key and not-null marks and the physical
// length they give; OK stores what it shows when size and scale are within range, anything else
// changes nothing.
TEST_F(Rows, TheDataTypeDialog) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  struct Case {
    std::optional<TFormAnswer> answer;
    bool stored;
    const char* length;  // as the dialog showed it for the answer
  } cases[] = {
      {TFormAnswer{pdtDouble, {10, 2}, {}}, true, "13"},    {TFormAnswer{pdtBool, {0, 1000000}, {}}, true, "5"},
      {std::nullopt, false, ""},                       {TFormAnswer{pdtInteger, {-1, 0}, {}}, false, "-1"},
      {TFormAnswer{pdtVachar, {5, 1000001}, {}}, false, "5"}, {TFormAnswer{7, {1, 1}, {}}, false, ""},
      {TFormAnswer{pdtInteger, {4, 0}, {true, false}}, true, "4"}, {TFormAnswer{pdtInteger, {4, 0}, {false, false}}, true, "4"},
      {TFormAnswer{pdtInteger, {-4, 0}, {false, false}}, false, "-4"},
  };
  for (const Case& c : cases) {
    TProperty& row = *AddProperty(entity, "Amount", true);
    row.SetDataType(pdtBinary);
    row.SetDataSize(16);
    row.SetPrimaryKey(false);
    row.SetNotNull(true);
    c.answer ? platform.Fill(*c.answer) : platform.CancelForm();
    row.Menu().Find(" -> Property Data Type")->Click();
    const PlatformCall form = platform.CallsOf("Form").back();
    EXPECT_EQ(form.Caption, "Property Data Type");
    EXPECT_EQ(form.Form.Items, (std::vector<std::string>{"Varchar", "Integer", "Double", "Bool", "Binary"}));
    EXPECT_EQ(form.Form.ItemIndex, pdtBinary);
    ASSERT_EQ(form.Form.Checks.size(), 2u);
    EXPECT_EQ(form.Form.Checks[0].Label + form.Form.Checks[1].Label, "Primary KeyNot Null");
    EXPECT_FALSE(form.Form.Checks[0].Checked);
    EXPECT_TRUE(form.Form.Checks[1].Checked);
    EXPECT_EQ(form.Text, "16") << "the length as the dialog opens";
    EXPECT_EQ(form.Default, c.length);
    const bool refused = c.answer && !c.stored;
    ASSERT_EQ(platform.CallsOf("Message").size(), refused ? 1u : 0u);
    if (refused) {
      EXPECT_NE(platform.CallsOf("Message")[0].Text.find("from 0 to 1000000"), std::string::npos);
    }
    platform.Calls.clear();
    const TFormAnswer kept{row.DataType(), {row.DataSize(), row.DataScale()}, {row.PrimaryKey(), row.NotNull()}};
    const TFormAnswer unchanged{pdtBinary, {16, 0}, {false, true}};
    TFormAnswer stored = c.answer.value_or(unchanged);
    if (stored.Checks.empty()) stored.Checks = unchanged.Checks;  // answered as the boxes opened
    EXPECT_EQ(kept, c.stored ? stored : unchanged);
  }
}

TEST_F(Rows, RenameAnswers) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TProperty* property = AddProperty(entity, "Id", true);
  TMethod* method = AddMethod(entity, "Run", true);
  platform.Type("   ").Type(" a ").Cancel().Type("Go");
  property->RenameProperty();
  EXPECT_EQ(property->PropertyDesc(), "Id");
  property->Menu().Find(" -> Rename Property")->Click();
  EXPECT_EQ(property->PropertyDesc(), " a ");
  EXPECT_EQ(property->Text(), " a ");
  EXPECT_EQ(property->Menu().Item(0).Caption(), "PROPERTY : Order ->  a ");
  method->RenameMethod();
  EXPECT_EQ(method->MethodDesc(), "Run");
  method->Menu().Find("-> Rename Method")->Click();
  EXPECT_EQ(method->MethodDesc(), "Go");
  EXPECT_EQ(method->Menu().Item(0).Caption(), "METHOD : Order -> Go");
  const auto boxes = platform.CallsOf("InputBox");
  EXPECT_EQ(boxes[1].Caption, "Property Rename");
  EXPECT_EQ(boxes[1].Text, "Input New Property's Name :");
  EXPECT_EQ(boxes[1].Default, "Id");
  EXPECT_EQ(boxes[3].Caption, "Method Rename");
  EXPECT_EQ(boxes[3].Text, "Input New Method's Name :");
}

TEST_F(Rows, MenusOfTheRows) {
  AddPage("P1");
  platform.Type("");
  TEntity& entity = panel.CreateEntity("", false);
  TProperty* property = AddProperty(entity, "Id", true);
  TMethod* method = AddMethod(entity, "Run", true);
  EXPECT_EQ(property->Menu().Captions(),
            (std::vector<std::string>{"PROPERTY : Entity1 -> Id", "-", " -> Rename Property", " -> Property Move UP",
                                      " -> Property Move Down", "-", " -> Property Data Type", "-",
                                      " -> Hide This Property", "-", " -> Remove This Property",
                                      " -> Create Property's Relation", "-", " -> Link To..."}));
  EXPECT_EQ(method->Menu().Captions(),
            (std::vector<std::string>{"METHOD : Entity1 -> Run", "-", "-> Rename Method", "-> Method Move UP",
                                      "-> Method Move Down", "-> Remove This Method", "-", "-> Link To..."}));
  EXPECT_EQ(property->GetPopupMenu(), &property->Menu());
  // After a rename the header shows the description, never the component name.
  platform.Type("Order");
  entity.RenameEntity();
  EXPECT_EQ(method->Menu().Item(0).Caption(), "METHOD : Order -> Run");
}

TEST_F(Rows, PressingARowSelectsItAndDragsItsEntity) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TProperty* a = AddProperty(entity, "A", true);
  TProperty* b = AddProperty(entity, "B", true);
  TMethod* run = AddMethod(entity, "Run", true);
  std::vector<TProperty*> reported;
  panel.OnSelectProperty = [&](TOOAPanel&, TEntity& owner, TProperty& row) {
    EXPECT_EQ(&owner, &entity);
    reported.push_back(&row);
  };
  int methodReports = 0;
  panel.OnSelectMethod = [&](TOOAPanel&, TEntity&, TMethod&) { ++methodReports; };
  a->MouseDown(TMouseButton::Middle, 0, 1, 1);
  EXPECT_EQ(panel.SelectedEntity(), nullptr) << "the middle button is ignored";
  a->MouseDown(TMouseButton::Left, 0, 1, 1);
  EXPECT_EQ(panel.SelectedEntity(), &entity);
  EXPECT_EQ(entity.SelectedProperty(), a);
  EXPECT_EQ(platform.Drags, std::vector<Control*>{&entity}) << "the entity is dragged, not the row";
  b->MouseDown(TMouseButton::Right, 0, 1, 1);
  run->MouseDown(TMouseButton::Right, 0, 1, 1);
  EXPECT_EQ(entity.SelectedProperty(), b);
  EXPECT_EQ(entity.SelectedMethod(), run);
  EXPECT_EQ(reported, (std::vector<TProperty*>{a, b}));
  EXPECT_EQ(methodReports, 1);
  RecordingCanvas canvas;
  b->DrawOn(canvas, 0, 0);
  run->DrawOn(canvas, 0, 0);
  a->DrawOn(canvas, 0, 0);
  ASSERT_EQ(canvas.Calls.size(), 6u);
  EXPECT_EQ(canvas.Calls[1].Font, clrBlue);
  EXPECT_EQ(canvas.Calls[3].Font, clrRed);
  EXPECT_EQ(canvas.Calls[5].Font, clrBlack);
}

TEST_F(Rows, DrawingARow) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 100, 50);
  TProperty* id = AddProperty(entity, "Id", true);
  platform.Type("");
  TMethod* run = AddMethod(entity, "", true);
  RecordingCanvas canvas;
  id->PaintTo(&canvas);
  run->PaintTo(&canvas);
  ASSERT_EQ(canvas.Calls.size(), 4u);
  EXPECT_EQ(canvas.Calls[0].Points, (std::vector<TPoint>{{101, 70}, {227, 90}}));
  EXPECT_EQ(canvas.Calls[0].Brush, clrWhite);
  EXPECT_EQ(canvas.Calls[0].Pen, clrSilver);
  EXPECT_EQ(canvas.Calls[1].Points[0], (TPoint{101 + 63 - 7, 70 + 10 - 8})) << "centred";
  EXPECT_EQ(canvas.Calls[3].Text, "Entity1_Method1 ( )") << "an empty name shows the component name";
  EXPECT_EQ(canvas.Calls[3].Points[0].X, 101 + 3) << "left aligned";
  EXPECT_EQ(canvas.PenColor(), clrBlack);
  EXPECT_EQ(canvas.BrushColor(), clrWhite);
  id->HideProperty();
  canvas.Clear();
  id->PaintTo(&canvas);
  EXPECT_TRUE(canvas.Calls.empty()) << "a row that is not displayed draws nothing";
}

TEST_F(Rows, DefiningACall) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TMethod* a = AddMethod(entity, "A", true);
  TMethod* b = AddMethod(entity, "B", true);
  TMethod* c = AddMethod(entity, "C", true);
  TMethod* d = AddMethod(entity, "D", true);
  bool accept = false;
  a->DragOver(entity, 1, 1, TDragState::Move, accept);
  EXPECT_TRUE(accept) << "a method row takes every drop";
  a->DragDrop(entity, 1, 1);  // nothing selected: no question
  a->MouseDown(TMouseButton::Left, 0, 1, 1);
  a->DragDrop(entity, 1, 1);  // onto itself: no question
  platform.No();
  b->DragDrop(entity, 1, 1);
  EXPECT_EQ(a->CallMethod(), nullptr);
  EXPECT_EQ(platform.CallsOf("YesNo")[0].Text, "Define Method (A) Call \"B\" ??");
  EXPECT_EQ(platform.CallsOf("YesNo")[0].Caption, "Define Method Dialog");
  platform.Yes();
  b->DragDrop(entity, 1, 1);
  EXPECT_EQ(a->CallMethod(), b);
  EXPECT_EQ(a->CallMethodLineDistance(), 0);
  c->MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.Yes();
  d->DragDrop(entity, 1, 1);
  d->MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.Yes();
  a->DragDrop(entity, 1, 1);
  EXPECT_EQ(d->CallMethodLineDistance(), 2) << "two other rows already call something";
  EXPECT_EQ(d->CallMethod(), a);
  // Removing a called row clears every call to it.
  entity.SetSelectedMethod(b);
  entity.RemoveSelectedMethod();
  EXPECT_EQ(a->CallMethod(), nullptr);
  EXPECT_EQ(d->CallMethod(), a);
  // A new call takes the smallest spacing no other call uses: after a's call went, 0 is free.
  a->MouseDown(TMouseButton::Left, 0, 1, 1);
  platform.Yes();
  c->DragDrop(entity, 1, 1);
  EXPECT_EQ(a->CallMethodLineDistance(), 0) << "c calls at 1, d at 2";
  d->SetCallMethod(c);
  entity.SetSelectedMethod(c);
  entity.RemoveSelectedMethod();
  EXPECT_EQ(a->CallMethod(), nullptr);
  EXPECT_EQ(d->CallMethod(), nullptr);
}

TEST_F(Rows, APropertyRowRefusesDrops) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TProperty* id = AddProperty(entity, "Id", true);
  bool accept = true;
  id->DragOver(entity, 1, 1, TDragState::Move, accept);
  EXPECT_FALSE(accept);
}

TEST_F(Rows, RemovingRowsClearsEveryLinkToThem) {
  AddPage("P1");
  TEntity& a = AddEntity("A");
  TEntity& b = AddEntity("B", 400, 30);
  TProperty* key = AddProperty(a, "Key", true);
  TProperty* other = AddProperty(a, "Other", true);
  TProperty* foreign = AddProperty(b, "Ref", true);
  TMethod* trigger = AddMethod(a, "Trigger", true);
  TMethod* run = AddMethod(b, "Run", true);
  TRelation* first = AddRelation(a, "R1", true);
  TRelation* second = AddRelation(b, "R2", true);
  for (TRelation* r : {first, second}) {
    r->SetSourceEntity(&a);
    r->SetSourceProperty(key);
    r->SetTargetEntity(&b);
    r->SetTargetProperty(foreign);
  }
  TEntityEvent* event = AddEntityEvent(b, "E", true);
  event->SetSourceEntity(&a);
  event->SetSourceMethod(trigger);
  event->SetTargetEntity(&b);
  event->SetTargetMethod(run);

  a.SetSelectedProperty(key);
  key->RemoveProperty();
  for (TRelation* r : {first, second}) {
    EXPECT_EQ(r->SourceEntity(), nullptr);
    EXPECT_EQ(r->SourceProperty(), nullptr);
    EXPECT_EQ(r->TargetProperty(), foreign);
  }
  EXPECT_EQ(a.SelectedProperty(), nullptr);
  EXPECT_EQ(other->RowIndex(), 0);
  b.SetSelectedMethod(run);
  b.RemoveSelectedMethod();
  EXPECT_EQ(event->TargetEntity(), nullptr);
  EXPECT_EQ(event->TargetMethod(), nullptr);
  EXPECT_EQ(event->SourceMethod(), trigger);
  const int height = b.Height();
  EXPECT_EQ(b.MethodCount(), 0);
  EXPECT_EQ(b.Height(), height) << "removing the only method leaves the height";
  TMethod* later = AddMethod(a, "Later", true);
  a.SetSelectedMethod(trigger);
  a.RemoveSelectedMethod();
  EXPECT_EQ(later->Anchors().Y, a.Top() + later->Top() + later->Height() / 2) << "its lines meet it where it moved";
}

TEST_F(Rows, RowNamesStayUniqueAfterRemovals) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TProperty* first = AddProperty(entity, "A", true);
  AddProperty(entity, "B", true);
  entity.SetSelectedProperty(first);
  entity.RemoveSelectedProperty();
  TProperty* added = AddProperty(entity, "C", true);
  EXPECT_EQ(added->Name(), "Entity1_Prop3") << "Entity1_Prop2 is still in use";
  TMethod* m1 = AddMethod(entity, "M", true);
  AddMethod(entity, "N", true);
  entity.SetSelectedMethod(m1);
  entity.RemoveSelectedMethod();
  platform.Cancel().No();
  entity.AddNewMethod();
  EXPECT_EQ(entity.MethodByIndex(1)->Name(), "Entity1_Method3");
  EXPECT_EQ(entity.MethodByIndex(1)->MethodDesc(), "Method3") << "the proposal uses the same number";
}

TEST_F(Rows, RowLookupByNameIsExact) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order");
  TProperty* id = AddProperty(entity, "Id", true);
  TMethod* run = AddMethod(entity, "Run", true);
  EXPECT_EQ(entity.PropertyByName("Entity1_Prop1"), id);
  EXPECT_EQ(entity.PropertyByName("entity1_prop1"), nullptr);
  EXPECT_EQ(entity.PropertyByName("Entity1_Method1"), nullptr);
  EXPECT_EQ(entity.MethodByName("Entity1_Method1"), run);
  EXPECT_EQ(entity.PropertyByIndex(-1), nullptr);
  EXPECT_EQ(entity.PropertyByIndex(1), nullptr);
  EXPECT_EQ(entity.MethodByIndex(5), nullptr);
}

TEST_F(Rows, CreatePropertysRelation) {
  AddPage("P1");
  TEntity& entity = AddEntity("Order", 100, 50);
  AddProperty(entity, "Id", true);
  TProperty* key = AddProperty(entity, "Key", true);
  key->Menu().Find(" -> Create Property's Relation")->Click();
  ASSERT_EQ(entity.RelationList().size(), 1u);
  TRelation& relation = *entity.RelationList()[0].Object;
  EXPECT_EQ(relation.SourceEntity(), &entity);
  EXPECT_EQ(relation.SourceProperty(), key);
  EXPECT_EQ(relation.Top(), key->Anchors().Y);
  EXPECT_EQ(relation.Anchors().Y, key->Anchors().Y + 12);
  EXPECT_EQ(relation.ActivePages(), TEntryList{"P1 @238,100"}) << "the entry records where the box is shown";
  AddEntityEvent(entity, "", false);  // shows the page again
  EXPECT_EQ(relation.Top(), key->Anchors().Y) << "the next page showing leaves the box at the row";
}
