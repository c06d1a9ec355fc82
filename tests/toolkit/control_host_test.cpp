#include "control_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "popup_menu.h"
#include "recording_canvas.h"
#include "scripted_platform.h"
#include "toolkit_error.h"

namespace {
using TLog = std::vector<std::string>;

// A control that writes down what reaches it.
class Probe : public Control {
 public:
  Probe(TLog& log, const char* name, Platform* platform = nullptr) : log_(log), platform_(platform) { SetName(name); }
  Platform* GetPlatform() const override { return platform_ ? platform_ : Control::GetPlatform(); }
  void MouseDown(TMouseButton, TShiftState, int x, int y) override {
    log_.push_back("down " + Name() + " " + std::to_string(x) + "," + std::to_string(y));
    if (Fails) throw EToolkitError("no " + Name());
    if (OnPress) OnPress();
  }
  void Paint() override {
    log_.push_back("paint " + Name());
    if (Fails) throw EToolkitError("no paint");
  }
  void DragOver(Control&, int, int, TDragState, bool& accept) override { accept = Accepts; }
  void DragDrop(Control& source, int, int) override { log_.push_back("drop " + source.Name() + " on " + Name()); }
  bool SelectsByBand() const override { return Bands; }
  void BandSelect(const TRect& band, TShiftState shift) override {
    log_.push_back("band " + Text(band) + ((shift & ssCtrl) ? " ctrl" : ""));
  }
  static std::string Text(const TRect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "-" + std::to_string(r.Right) + "," + std::to_string(r.Bottom);
  }

  bool Fails = false;
  bool Bands = false;
  bool Accepts = false;
  std::function<void()> OnPress;

 private:
  TLog& log_;
  Platform* platform_;
};

// The window: answers a menu with the item scripted, after doing what the user did meanwhile.
class Window : public THostWindow {
 public:
  explicit Window(TLog& log) : log_(log) {}
  std::optional<size_t> ChooseFromMenu(Control& owner, const PopupMenu&, TPoint at) override {
    log_.push_back("menu " + owner.Name() + " at " + std::to_string(at.X) + "," + std::to_string(at.Y));
    if (Meanwhile) Meanwhile();
    return Chosen;
  }
  void DragMoved(const TRect& outline, bool accepted) override {
    log_.push_back("outline " + std::to_string(outline.Left) + "," + std::to_string(outline.Top) +
                   (accepted ? " taken" : " refused"));
  }
  void DragEnded() override { log_.push_back("drag ended"); }
  void BandMoved(const TRect& band) override { log_.push_back(band.IsEmpty() ? "band gone" : "band at " + Probe::Text(band)); }

  std::optional<size_t> Chosen;
  std::function<void()> Meanwhile;

 private:
  TLog& log_;
};

// root (200 by 200, menu R1 R2) > box at 20,20 without a menu > inner (menu I1) and plain; a hidden
// control over 150,150.
struct Scene {
  Scene() {
    root.SetBounds(0, 0, 200, 200);
    for (auto [control, parent, at, size] : {std::tuple{box.get(), &root, 20, 100}, {inner.get(), box.get(), 10, 40},
                                             {plain.get(), box.get(), 60, 20}, {hidden.get(), &root, 150, 30}}) {
      control->SetBounds(at, at, size, size);
      control->SetParent(parent);
    }
    hidden->SetVisible(false);
    rootMenu.Add("R1", [this] { log.push_back("ran R1"); });
    rootMenu.Add("R2", [this] { log.push_back("ran R2"); });
    innerMenu->Add("I1", [this] { log.push_back("ran I1"); });
    root.SetPopupMenu(&rootMenu);
    inner->SetPopupMenu(innerMenu.get());
  }
  TLog log;
  ScriptedPlatform platform;
  Probe root{log, "root", &platform};
  std::unique_ptr<Probe> box = std::make_unique<Probe>(log, "box");
  std::unique_ptr<Probe> inner = std::make_unique<Probe>(log, "inner");
  std::unique_ptr<Probe> plain = std::make_unique<Probe>(log, "plain");
  std::unique_ptr<Probe> hidden = std::make_unique<Probe>(log, "hidden");
  PopupMenu rootMenu;
  std::unique_ptr<PopupMenu> innerMenu = std::make_unique<PopupMenu>();
  Window window{log};
  TControlHost host{root, window};
};
}  // namespace

TEST(ControlHost, ARightPressOpensTheNearestMenuAndRunsItsItemOnlyWhileItStands) {
  struct Case {
    const char* what;
    TPoint at;
    std::optional<size_t> chosen;
    std::function<void(Scene&)> meanwhile;
    TLog log;
  } cases[] = {
      {"a control without a menu in a box without one: the root's", {85, 85}, 1, {},
       {"down plain 5,5", "menu root at 85,85", "ran R2"}},
      {"a control with its own menu", {35, 35}, 0, {}, {"down inner 5,5", "menu inner at 35,35", "ran I1"}},
      {"a hidden control is passed over", {160, 160}, 0, {}, {"down root 160,160", "menu root at 160,160", "ran R1"}},
      {"no item chosen", {85, 85}, std::nullopt, {}, {"down plain 5,5", "menu root at 85,85"}},
      {"the item changed while the menu was shown", {85, 85}, 1,
       [](Scene& scene) { scene.rootMenu.Item(1) = MenuItem("R3", [&scene] { scene.log.push_back("ran R3"); }); }, {"down plain 5,5", "menu root at 85,85"}},
      {"the owner went while the menu was shown", {35, 35}, 0, [](Scene& scene) { scene.inner.reset(); },
       {"down inner 5,5", "menu inner at 35,35"}},
  };
  for (const Case& c : cases) {
    Scene scene;
    scene.window.Chosen = c.chosen;
    if (c.meanwhile) scene.window.Meanwhile = [&] { c.meanwhile(scene); };
    scene.host.Press(TMouseButton::Right, 0, c.at);
    EXPECT_EQ(scene.log, c.log) << c.what;
  }
}

TEST(ControlHost, ADragEndsAtTheReleaseOrWhenItsButtonIsSeenUp) {
  Scene scene;
  scene.inner->Accepts = true;
  scene.plain->OnPress = [&] { scene.host.BeginDrag(*scene.plain); };
  const auto drag = [&] {
    scene.log.clear();
    scene.host.Press(TMouseButton::Left, ssLeft, {85, 85});
    ASSERT_TRUE(scene.host.IsDragging());
  };
  drag();
  scene.host.Move(ssLeft, {40, 40});
  EXPECT_EQ(scene.host.DragOutline(), (TRect{35, 35, 55, 55})) << "the outline taken where it was pressed";
  // Zoomed, the outline stands where the box would be drawn: the pointer's surface point less the
  // point pressed, its size zoomed.
  const TLog before = scene.log;
  scene.host.SetZoom(TViewZoom(2000));
  scene.host.Move(ssLeft, {41, 40});
  EXPECT_EQ(scene.host.DragOutline(), (TRect{30, 30, 70, 70}));
  scene.host.SetZoom(TViewZoom());
  scene.host.Move(ssLeft, {40, 40});
  scene.log = before;
  scene.host.Press(TMouseButton::Right, ssLeft, {40, 40});
  EXPECT_TRUE(scene.host.IsDragging()) << "another button while dragging is ignored";
  scene.host.Release(TMouseButton::Left, {40, 40});
  EXPECT_EQ(scene.log, (TLog{"down plain 5,5", "outline 35,35 taken", "drag ended", "drop plain on inner"}));

  drag();
  scene.host.Release(TMouseButton::Left, {5, 5});
  EXPECT_EQ(scene.log, (TLog{"down plain 5,5", "drag ended"})) << "the root refuses the drop";

  // A press let go within the drag distance (4 unless the window says) is a click: nothing is shown
  // or dropped, also after moves that stayed within it.
  for (const int distance : {4, 12}) {
    scene.host.SetDragDistance(distance);
    drag();
    scene.host.Move(ssLeft, {85 + distance / 2, 85});
    EXPECT_EQ(scene.host.DragOutline(), TRect{});
    scene.host.Release(TMouseButton::Left, {85 + distance / 2, 86});
    EXPECT_EQ(scene.log, (TLog{"down plain 5,5", "drag ended"})) << distance;
  }
  scene.host.SetDragDistance(4);

  drag();
  scene.host.Move(0, {40, 40});
  EXPECT_FALSE(scene.host.IsDragging()) << "the release was never reported";
  scene.host.Release(TMouseButton::Left, {40, 40});
  EXPECT_EQ(scene.log, (TLog{"down plain 5,5", "drag ended"}));

  drag();
  scene.host.Press(TMouseButton::Left, ssLeft, {35, 35});
  EXPECT_FALSE(scene.host.IsDragging()) << "a left press while dragging ends the drag before it goes on";
  EXPECT_EQ(scene.log, (TLog{"down plain 5,5", "drag ended", "down inner 5,5"}));
}

TEST(ControlHost, ABandDrawnOnTheRootIsHandedOverInItsCoordinates) {
  struct Case {
    const char* what;
    TShiftState keys;
    TPoint from;
    std::vector<TPoint> moves;
    TPoint release;
    int zoom;
    TLog log;
  } cases[] = {
      {"corners in either order", ssCtrl, {190, 195}, {{150, 190}}, {140, 180}, 1000,
       {"down root 190,195", "band at 150,190-190,195", "band gone", "band 140,180-190,195 ctrl"}},
      {"zoomed: the root's points", 0, {60, 20}, {{150, 190}}, {150, 190}, 2000,
       {"down root 30,10", "band at 60,20-150,190", "band gone", "band 30,10-75,95"}},
      {"within the drag distance: no band", 0, {190, 195}, {{191, 195}}, {192, 196}, 1000, {"down root 190,195"}},
      {"its button seen up: gone, nothing handed over", 0, {190, 195}, {{150, 150}, {140, 140}}, {100, 100}, 1000,
       {"down root 190,195", "band at 150,150-190,195", "band gone"}},
  };
  for (const Case& c : cases) {
    Scene scene;
    scene.root.Bands = true;
    scene.host.SetZoom(TViewZoom(c.zoom));
    scene.host.Press(TMouseButton::Left, ssLeft | c.keys, c.from);
    EXPECT_TRUE(scene.host.IsBanding()) << c.what;
    for (size_t i = 0; i < c.moves.size(); ++i) scene.host.Move(i == 1 ? 0 : ssLeft, c.moves[i]);
    scene.host.Release(TMouseButton::Left, c.release);
    EXPECT_FALSE(scene.host.IsBanding()) << c.what;
    EXPECT_EQ(scene.log, c.log) << c.what;
  }
  Scene scene;
  scene.host.Press(TMouseButton::Left, ssLeft, {190, 195});
  EXPECT_FALSE(scene.host.IsBanding()) << "a root that gathers nothing by band";
  scene.root.Bands = true;
  scene.host.Press(TMouseButton::Left, ssLeft, {85, 85});
  EXPECT_FALSE(scene.host.IsBanding()) << "a press on a child";
}

TEST(ControlHost, PaintsWhatReachesIntoThePartAndShowsErrorsOnce) {
  Scene scene;
  RecordingCanvas canvas;
  EXPECT_EQ(scene.host.Paint(canvas, {0, 0, 200, 200}), "");
  EXPECT_EQ(scene.log, (TLog{"paint root", "paint box", "paint inner", "paint plain"}));
  scene.log.clear();
  EXPECT_EQ(scene.host.Paint(canvas, {0, 0, 25, 25}), "");
  EXPECT_EQ(scene.log, (TLog{"paint root", "paint box"}));

  scene.plain->Fails = true;
  EXPECT_EQ(scene.host.Paint(canvas, {0, 0, 200, 200}), "no paint");
  EXPECT_EQ(scene.host.Paint(canvas, {0, 0, 200, 200}), "") << "the same failure is not reported again";
  scene.plain->Fails = false;
  EXPECT_EQ(scene.host.Paint(canvas, {0, 0, 200, 200}), "");
  scene.plain->Fails = true;
  EXPECT_EQ(scene.host.Paint(canvas, {0, 0, 200, 200}), "no paint") << "reported again after a paint got through";

  scene.log.clear();
  scene.host.Press(TMouseButton::Left, 0, {85, 85});
  scene.host.Press(TMouseButton::Left, 0, {35, 35});
  EXPECT_EQ(scene.platform.CallsOf("Error").at(0).Text, "no plain");
  EXPECT_EQ(scene.log, (TLog{"down plain 5,5", "down inner 5,5"})) << "the host goes on after the error box";
}
