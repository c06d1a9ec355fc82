#include "control.h"

#include <gtest/gtest.h>

#include <memory>

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
