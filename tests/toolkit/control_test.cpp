#include "control.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "popup_menu.h"
#include "scripted_platform.h"
#include "toolkit_error.h"

namespace {
// A root control that carries the platform, as the diagram panel does.
class Root : public Control {
 public:
  explicit Root(Platform& platform) : platform_(platform) { SetBounds(0, 0, 200, 200); }
  Platform* GetPlatform() const override { return &platform_; }

 private:
  Platform& platform_;
};

class Counting : public Control {
 public:
  void Resize() override { ++resizes; }
  void Paint() override { ++paints; }
  int resizes = 0;
  int paints = 0;
};
}  // namespace

TEST(Control, NameMustBeEmptyOrAnIdentifier) {
  Control control;
  control.SetName("Entity1_Prop2");
  control.SetName("");
  try {
    control.SetName("Order Lines");
    FAIL() << "no error";
  } catch (const EToolkitError& error) {
    EXPECT_STREQ(error.what(), "''Order Lines'' is not a valid component name");
  }
  EXPECT_EQ(control.Name(), "") << "a refused name leaves the old one";
}

TEST(Control, ResizeOnlyWhenTheSizeChanges) {
  Counting control;
  control.SetBounds(0, 0, 10, 10);
  control.SetLeft(5);
  control.SetTop(7);
  EXPECT_EQ(control.resizes, 1);
  control.SetWidth(11);
  control.SetHeight(11);
  EXPECT_EQ(control.resizes, 3);
}

TEST(Control, HitTestFindsTheTopmostVisibleControl) {
  ScriptedPlatform platform;
  Root root(platform);
  Control lower, upper, child;
  lower.SetBounds(10, 10, 50, 50);
  upper.SetBounds(30, 30, 50, 50);
  child.SetBounds(5, 5, 10, 10);
  lower.SetParent(&root);
  upper.SetParent(&root);
  child.SetParent(&upper);
  EXPECT_EQ(root.ControlAt(70, 70), &upper);
  EXPECT_EQ(root.ControlAt(36, 36), &child);
  EXPECT_EQ(root.ControlAt(15, 15), &lower);
  EXPECT_EQ(root.ControlAt(5, 5), &root);
  EXPECT_EQ(root.ControlAt(250, 5), nullptr);
  lower.BringToFront();
  EXPECT_EQ(root.ControlAt(40, 40), &lower);
  EXPECT_EQ(root.ControlAt(70, 70), &upper);
  lower.SetVisible(false);
  EXPECT_EQ(root.ControlAt(40, 40), &child);
  EXPECT_EQ(child.OriginInRoot(), (TPoint{35, 35}));
}

TEST(Control, ADyingControlLeavesItsParentAndOrphansItsChildren) {
  ScriptedPlatform platform;
  Root root(platform);
  auto middle = std::make_unique<Control>();
  Control leaf;
  middle->SetParent(&root);
  leaf.SetParent(middle.get());
  const auto token = middle->LifeToken();
  middle.reset();
  EXPECT_TRUE(root.Children().empty());
  EXPECT_EQ(leaf.Parent(), nullptr);
  EXPECT_TRUE(token.expired());
}

TEST(Control, RepaintPaintsOnlyInATreeWithAPlatform) {
  ScriptedPlatform platform;
  Root root(platform);
  Counting control;
  control.Repaint();
  EXPECT_EQ(control.paints, 0);
  control.SetParent(&root);
  const int before = platform.Invalidations;
  control.Repaint();
  EXPECT_EQ(control.paints, 1);
  EXPECT_GT(platform.Invalidations, before) << "the host must be asked to show the new paint";
}

// The compact list of child places answers hit tests and the host's search for the children in a
// part; after any run of adding, moving, hiding, restacking, reparenting and destroying children it
// must say what the children themselves say, and hit tests must find what a walk over every child
// finds.
TEST(Control, ChildPlacesFollowEveryChangeOfTheChildren) {
  Control root;
  root.SetBounds(0, 0, 200, 200);
  Control other;
  std::vector<std::unique_ptr<Control>> children;
  std::mt19937 random(3);
  auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  auto topmostByWalk = [&root](int x, int y) -> Control* {
    for (auto it = root.Children().rbegin(); it != root.Children().rend(); ++it) {
      Control& child = **it;
      if (child.Visible() && x >= child.Left() && x < child.Left() + child.Width() && y >= child.Top() &&
          y < child.Top() + child.Height())
        return &child;
    }
    return &root;
  };
  for (int step = 0; step < 3000; ++step) {
    const int roll = below(10);
    Control* some = children.empty() ? nullptr : children[static_cast<size_t>(below(static_cast<int>(children.size())))].get();
    if (roll < 3 || !some) {
      children.push_back(std::make_unique<Control>());
      children.back()->SetBounds(below(180), below(180), below(60) - 5, below(60));
      children.back()->SetParent(&root);
    } else if (roll == 3) {
      some->SetBounds(below(220) - 10, below(220) - 10, some->Width(), some->Height());
    } else if (roll == 4) {
      some->SetVisible(!some->Visible());
    } else if (roll == 5) {
      some->BringToFront();
    } else if (roll == 6) {
      some->SetParent(some->Parent() == &root ? &other : &root);
    } else if (roll == 7) {
      std::erase_if(children, [some](const auto& child) { return child.get() == some; });
    } else if (roll == 8) {
      some->SetWidth(below(80) - 10);
    } else if (below(40) == 0) {
      root.ReleaseChildren();
    }
    const auto& places = root.ChildPlaces();
    ASSERT_EQ(places.size(), root.Children().size()) << "step " << step;
    for (size_t i = 0; i < places.size(); ++i) {
      const Control& child = *root.Children()[i];
      ASSERT_EQ(places[i].Bounds, child.BoundsRect()) << "step " << step;
      ASSERT_EQ(places[i].Visible, child.Visible()) << "step " << step;
      if (i > 0) {
        ASSERT_LT(places[i - 1].Stacking, places[i].Stacking) << "step " << step;
      }
    }
    for (int probe = 0; probe < 5; ++probe) {
      const int x = below(200);
      const int y = below(200);
      ASSERT_EQ(root.ControlAt(x, y), topmostByWalk(x, y)) << "step " << step << " at " << x << "," << y;
    }
  }
}

TEST(PopupMenu, ACommandMayDestroyTheMenuThatRunsIt) {
  auto menu = std::make_unique<PopupMenu>();
  bool ran = false;
  menu->Add("-> Remove", [&] {
    menu.reset();
    ran = true;
  });
  menu->Item(0).Click();
  EXPECT_TRUE(ran);
  EXPECT_EQ(menu, nullptr);
}
