// The connector lines: relation, event and call lines with their points and colours, and the
// drawing of a whole entity onto a foreign canvas.
#include <gtest/gtest.h>

#include "diagram_fixture.h"
#include "entity_event.h"
#include "method.h"
#include "property.h"
#include "relation.h"

namespace {
using Points = std::vector<TPoint>;

class Connectors : public DiagramTest {
 protected:
  // Customer at (100, 50) with property Id (anchors y 80) and method Check; Order at (600, 300)
  // with property Ref and method Ship; a relation and an event of Customer at (300, 100).
  void SetUp() override {
    AddPage("P1");
    AddPage("P2");
    customer = &AddEntity("Customer", 100, 50);
    order = &AddEntity("Order", 600, 300);
    id = AddProperty(*customer, "Id", true);
    check = AddMethod(*customer, "Check", true);
    ref = AddProperty(*order, "Ref", true);
    ship = AddMethod(*order, "Ship", true);
    panel.ShowActivePage();
    relation = AddRelation(*customer, "R", false);
    panel.DragDrop(*relation, 300, 100);
    relation->SetSourceEntity(customer);
    relation->SetSourceProperty(id);
    relation->SetTargetEntity(order);
    relation->SetTargetProperty(ref);
    event = AddEntityEvent(*customer, "E", false);
    panel.DragDrop(*event, 300, 200);
  }

  Points Draw(TColor pen) {
    canvas.Clear();
    customer->DrawConnectors(canvas);
    Points all;
    for (const auto& line : canvas.PolylinesIn(pen)) all.insert(all.end(), line.begin(), line.end());
    return all;
  }

  RecordingCanvas canvas;
  TEntity* customer = nullptr;
  TEntity* order = nullptr;
  TProperty* id = nullptr;
  TProperty* ref = nullptr;
  TMethod* check = nullptr;
  TMethod* ship = nullptr;
  TRelation* relation = nullptr;
  TEntityEvent* event = nullptr;
};
}  // namespace

TEST_F(Connectors, RelationLinesLeaveTowardsTheirRows) {
  // The box (centre x 364) stands right of Id (centre 164) and left of Ref (centre 664).
  EXPECT_EQ(relation->Anchors().Y, 112);
  EXPECT_EQ(Draw(clrRed), (Points{{300, 112}, {290, 112}, {238, 80}, {228, 80}}));
  EXPECT_EQ(Draw(clrGreen), (Points{{428, 112}, {438, 112}, {590, 330}, {600, 330}}));
  EXPECT_EQ(canvas.PenColor(), clrBlack) << "the pass restores the pen";
  for (const auto& call : canvas.Calls) EXPECT_EQ(call.PenWidth, 1);
}

TEST_F(Connectors, EqualCentresDrawNoLine) {
  panel.DragDrop(*relation, 100, 100);  // centre x 164, as Id's
  EXPECT_TRUE(Draw(clrRed).empty());
  EXPECT_FALSE(Draw(clrGreen).empty());
}

// A line ends only at what shows: its box, and the row at its end with its entity on the page.
TEST_F(Connectors, ALineIsDrawnOnlyWhereItsBoxAndItsRowShow) {
  order->SetActivePages({"P2 @600,300"});
  panel.ShowActivePage();
  EXPECT_TRUE(Draw(clrGreen).empty());
  EXPECT_FALSE(Draw(clrRed).empty());
  customer->SetActivePages({"P2 @100,50"});  // the source row's own flag is still set
  EXPECT_TRUE(Draw(clrRed).empty());
  customer->SetActivePages({"P1 @100,50"});
  customer->HideAllProperty();  // its relation box goes with its properties
  EXPECT_TRUE(Draw(clrRed).empty());
}

TEST_F(Connectors, BoxesOffThePageDrawNoLines) {
  relation->SetActivePages({"P2 @300,100"});
  EXPECT_TRUE(Draw(clrRed).empty());
  EXPECT_TRUE(Draw(clrGreen).empty());
}

TEST_F(Connectors, EventLinesCarryArrowheads) {
  event->SetSourceEntity(customer);
  event->SetSourceMethod(check);
  event->SetTargetEntity(order);
  event->SetTargetMethod(ship);
  const TAnchorPoints box = event->Anchors();
  const TAnchorPoints trigger = check->Anchors();
  const TAnchorPoints target = ship->Anchors();
  canvas.Clear();
  customer->DrawConnectors(canvas);
  const auto blue = canvas.PolylinesIn(clrBlue);
  ASSERT_EQ(blue.size(), 2u);
  EXPECT_EQ(blue[0], (Points{{box.LeftX, box.Y}, {box.LeftX - 10, box.Y}, {trigger.RightX + 10, trigger.Y}, {trigger.RightX, trigger.Y}}));
  EXPECT_EQ(blue[1], (Points{{box.LeftX - 5, box.Y - 5}, {box.LeftX, box.Y}, {box.LeftX - 5, box.Y + 5}}))
      << "pointing into the box";
  const auto black = canvas.PolylinesIn(clrBlack);
  ASSERT_EQ(black.size(), 3u);
  EXPECT_EQ(black[0], (Points{{box.RightX, box.Y}, {box.RightX + 10, box.Y}, {target.LeftX - 10, target.Y}, {target.LeftX, target.Y}}));
  EXPECT_EQ(black[1], (Points{{target.LeftX, target.Y}, {target.LeftX - 5, target.Y - 5}}));
  EXPECT_EQ(black[2], (Points{{target.LeftX, target.Y}, {target.LeftX - 5, target.Y + 5}})) << "pointing into the row";
}

// A bracket stands beside its entity's rows: only where the entity and both rows show.
TEST_F(Connectors, HiddenMethodsDropEventLinesAndCallBrackets) {
  event->SetSourceEntity(customer);
  event->SetSourceMethod(check);
  TMethod* audit = AddMethod(*customer, "Audit", true);
  check->SetCallMethod(audit);
  check->SetCallMethodLineDistance(1);
  customer->HideAllMethod();
  EXPECT_TRUE(event->Visible());
  EXPECT_TRUE(Draw(clrBlue).empty());
  EXPECT_EQ(canvas.PolylinesIn(clrGreen).size(), 1u) << "the relation's target line, no bracket";
  customer->ShowAllMethod();
  customer->SetActivePages({"P2 @100,50"});
  Draw(clrBlue);
  EXPECT_EQ(canvas.PolylinesIn(clrGreen).size(), 1u) << "off the page: no bracket in the pen left";
}

TEST_F(Connectors, CallBracketsStepOutwards) {
  TMethod* audit = AddMethod(*customer, "Audit", true);
  const int right = customer->Left() + customer->Width();
  const int from = check->Anchors().Y;
  const int to = audit->Anchors().Y;
  struct Case {
    int distance;
    int offset;  // -1: held at the edge of the surface's range (a file may give a huge distance)
  } cases[] = {{0, 0}, {1, 54}, {2, 109}, {3, 164}, {15, 824}, {-3, 0}, {2147483647, -1}};
  for (const auto& c : cases) {
    check->SetCallMethod(audit);
    check->SetCallMethodLineDistance(c.distance);
    canvas.Clear();
    customer->DrawConnectors(canvas);
    const auto lines = canvas.PolylinesIn(clrGreen);  // the colour the last relation line left
    ASSERT_EQ(lines.size(), 3u) << c.distance;
    const int o = c.offset < 0 ? (1 << 28) - right : c.offset;
    EXPECT_EQ(lines[1], (Points{{right + o, from}, {right + o + 10, from}, {right + o + 10, to}, {right + o, to}})) << c.distance;
    EXPECT_EQ(lines[2], (Points{{right + o + 5, to - 5}, {right + o, to}, {right + o + 5, to + 5}})) << c.distance;
  }
  EXPECT_EQ(AddMethod(*customer, "New", true)->CallMethodLineDistance(), 15) << "the value a new row starts with";
}

TEST_F(Connectors, CallLinesTakeThePenTheLinesBeforeThemLeft) {
  relation->ClearSource();
  relation->ClearTarget();
  TMethod* audit = AddMethod(*customer, "Audit", true);
  check->SetCallMethod(audit);
  canvas.SetPenColor(0x123456);
  customer->DrawConnectors(canvas);
  ASSERT_EQ(canvas.PolylinesIn(0x123456).size(), 2u);
  EXPECT_EQ(canvas.PenColor(), 0x123456u);
}

TEST_F(Connectors, LinesFollowABoxOnlyWhenItIsDropped) {
  const Points before = Draw(clrRed);
  relation->SetLeft(900);  // being dragged: nothing moves until the drop
  EXPECT_EQ(Draw(clrRed), before);
  panel.DragDrop(*relation, 900, 100);
  EXPECT_EQ(Draw(clrRed)[0], (TPoint{900, 112}));
}

TEST_F(Connectors, DrawToCanvasDrawsBoxesFrameAndRowsInOrder) {
  canvas.Clear();
  customer->DrawToCanvas(canvas);
  std::vector<std::string> kinds;
  for (const auto& call : canvas.Calls) kinds.push_back(call.Kind);
  EXPECT_EQ(kinds, (std::vector<std::string>{"RoundRect", "TextOut", "Polygon", "TextOut", "Rectangle", "TextOut",
                                             "Rectangle", "TextOut", "Rectangle", "TextOut"}));
  EXPECT_EQ(canvas.Calls[4].Points[0], (TPoint{100, 50})) << "the frame at the entity's place on the panel";
  EXPECT_EQ(canvas.Calls[6].Points[0], (TPoint{101, 70})) << "rows at their place on the panel";
  customer->SetActivePages({"P2 @1,1"});
  relation->SetActivePages({"P2 @1,1"});
  event->SetActivePages({"P2 @1,1"});
  canvas.Clear();
  customer->DrawToCanvas(canvas);
  EXPECT_TRUE(canvas.Calls.empty()) << "nothing of an entity off the active page";
}

TEST_F(Connectors, PanelPaintDrawsEveryEntitysConnectors) {
  canvas.Clear();
  panel.PaintOn(canvas);
  EXPECT_EQ(canvas.PolylinesIn(clrRed).size(), 1u);
  EXPECT_EQ(canvas.PolylinesIn(clrGreen).size(), 1u);
}
