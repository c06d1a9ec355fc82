// Finding objects by description: which match, in what order, and what going to one shows and selects.
#include <gtest/gtest.h>

#include "diagram_find.h"
#include "diagram_fixture.h"
#include "entity_event.h"
#include "method.h"
#include "property.h"
#include "relation.h"
#include "surface_selection.h"

namespace {
std::string DescOf(const Control* object) {
  if (auto* entity = dynamic_cast<const TEntity*>(object)) return entity->EntityDesc();
  if (auto* row = dynamic_cast<const TRow*>(object)) return row->Desc();
  if (auto* box = dynamic_cast<const TLinkBox*>(object)) return box->Desc();
  return "(none)";
}

class Find : public DiagramTest {
 protected:
  void SetUp() override {
    AddPage("Main");
    AddPage("Other");
    AddPage("Third");
    customer = &AddEntity("Customer");
    AddProperty(*customer, "Name", true);
    AddProperty(*customer, "customer_id", true);
    AddMethod(*customer, "Bill", true);
    AddRelation(*customer, "Buys", false);
    AddEntityEvent(*customer, "Ordered customer", false)->AddPageEntry("Main");
    // On two pages, the first of which hides its property rows.
    order = &AddEntity("Order", 300, 40);
    order->SetActivePages({"Other @300,40,HIDE PROPERTY", "Third @300,40"});
    AddProperty(*order, "Customer Ref", true);
    // On no page at all.
    panel.CreateEntity("Ärger", true);
    panel.ShowActivePage();
  }
  TEntity* customer = nullptr;
  TEntity* order = nullptr;
};

TEST_F(Find, MatchesInEntityOrderIgnoringLetterCase) {
  const struct {
    std::string text;
    std::vector<std::string> found;
  } cases[] = {
      {"CUST", {"Customer", "customer_id", "Ordered customer", "Customer Ref"}},
      {"order", {"Ordered customer", "Order"}},
      {"ÄRG", {"Ärger"}},
      {"ärger", {"Ärger"}},
      {"uy", {"Buys"}},
      {"nothing like it", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    TDiagramFind find(panel);
    TDiagramFind::TFound found = find.Find(c.text);
    std::vector<std::string> seen;
    for (size_t i = 0; i < found.Count; ++i, found = find.Next()) {
      EXPECT_EQ(found.Index, i) << c.text;
      seen.push_back(DescOf(find.Current()));
    }
    EXPECT_EQ(seen, c.found) << c.text;
    EXPECT_EQ(found.Index, 0u) << c.text << ": past the last, back to the first";
  }
}

TEST_F(Find, GoingToAMatchShowsItsPageAndSelectsItAsAPress) {
  using TPart = TEntity::TPressedPart;
  const struct {
    std::string before;  // found first, so that the find goes on from there
    std::string text;
    int steps;  // Next (or Previous, below 0) that many times
    std::string desc, page;
    TEntity* pressed;
    TPart part;
  } cases[] = {
      {"", "customer_id", 0, "customer_id", "Main", customer, TPart::Property},
      {"", "bill", 0, "Bill", "Main", customer, TPart::Method},
      {"", "buys", 0, "Buys", "Main", customer, TPart::Relation},
      {"", "ordered", 0, "Ordered customer", "Main", customer, TPart::Event},
      {"", "order", 1, "Order", "Other", order, TPart::Title},
      // Its entity's first page hides its properties: the page after it shows it.
      {"", "customer ref", 0, "Customer Ref", "Third", order, TPart::Property},
      {"", "cust", -1, "Customer Ref", "Third", order, TPart::Property},
      {"", "cust", 4, "Customer", "Main", customer, TPart::Title},
      // As the user types on, the current match stays while it matches; else the next from it.
      {"customer ref", "cu", 0, "Customer Ref", "Third", order, TPart::Property},
      {"customer ref", "name", 0, "Name", "Main", customer, TPart::Property},
  };
  const size_t steps = panel.History().Position();
  for (const auto& c : cases) {
    panel.ShowPage("Main");
    panel.SetSelectedEntity(nullptr);
    TDiagramFind find(panel);
    if (!c.before.empty()) find.Find(c.before);
    TDiagramFind::TFound found = find.Find(c.text);
    for (int i = 0; i < std::abs(c.steps); ++i) found = c.steps > 0 ? find.Next() : find.Previous();
    Control* object = find.Current();
    ASSERT_NE(object, nullptr) << c.text;
    EXPECT_EQ(DescOf(object), c.desc) << c.text;
    EXPECT_EQ(panel.ActivePageName(), c.page) << c.text;
    EXPECT_TRUE(found.Shown) << c.text;
    EXPECT_TRUE(object->Visible()) << c.text;
    const TPoint origin = object->OriginInRoot();
    EXPECT_EQ(found.Bounds, (TRect{origin.X, origin.Y, origin.X + object->Width(), origin.Y + object->Height()})) << c.text;
    EXPECT_EQ(panel.PressedEntity(), c.pressed) << c.text;
    EXPECT_EQ(c.pressed->PressedPart(), c.part) << c.text;
    using TSelected = const Control*;
    const TSelected selected = c.part == TPart::Property   ? TSelected(c.pressed->SelectedProperty())
                               : c.part == TPart::Method   ? TSelected(c.pressed->SelectedMethod())
                               : c.part == TPart::Relation ? TSelected(c.pressed->SelectedRelation())
                               : c.part == TPart::Event    ? TSelected(c.pressed->SelectedEvent())
                                                           : TSelected(panel.SelectedEntity());
    EXPECT_EQ(selected, object) << c.text;
    // A row is selected in the entity the panel selects; a box only in its owner, as a press does.
    if (c.part == TPart::Property || c.part == TPart::Method) {
      EXPECT_EQ(panel.SelectedEntity(), c.pressed) << c.text;
    }
  }
  EXPECT_EQ(panel.History().Position(), steps) << "showing another page is no step";

  // An entity on no page is found but neither shown nor selected.
  panel.ShowPage("Main");
  panel.SetSelectedEntity(nullptr);
  TDiagramFind find(panel);
  const TDiagramFind::TFound found = find.Find("ärg");
  EXPECT_EQ(found.Count, 1u);
  EXPECT_FALSE(found.Shown);
  EXPECT_EQ(panel.ActivePageName(), "Main");
  EXPECT_EQ(panel.SelectedEntity(), nullptr);
  // A new find starts from the entity the user selected; what was gathered goes.
  panel.ShowPage("Third");
  panel.SelectAllOnPage();
  panel.SetSelectedEntity(order);
  EXPECT_EQ(TDiagramFind(panel).Find("cust").Index, 3u);
  EXPECT_TRUE(panel.Selection().Empty());
}

TEST_F(Find, DeleteTakesTheFoundObjectAndTheMatchesFollowEveryStep) {
  TDiagramFind find(panel);
  find.Find("buys");
  panel.DeleteCommand();
  EXPECT_TRUE(customer->RelationList().empty());
  EXPECT_EQ(find.Next().Count, 0u) << "the removed box is no longer found";
  panel.UndoCommand();
  TDiagramFind::TFound found = find.Next();
  EXPECT_EQ(found.Count, 1u);
  EXPECT_EQ(DescOf(find.Current()), "Buys");
  // The entity of the current match goes: the next one comes from where it stood.
  find.Find("customer ref");
  EXPECT_EQ(find.Find("cust").Index, 3u);
  ASSERT_EQ(find.Current(), order->PropertyByIndex(0));
  order->RemoveThisEntity();
  found = find.Next();
  EXPECT_EQ(found.Count, 3u);
  EXPECT_EQ(found.Index, 0u);
  EXPECT_EQ(DescOf(find.Current()), "Customer");
}
}  // namespace
