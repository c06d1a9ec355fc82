// The rules by which a window hosts a tree of controls, without the window: a press goes to the
// topmost visible control under the pointer, a right press then opens the menu of that control or
// of its nearest ancestor that has one, a drag a control starts ends with DragOver and DragDrop on
// the control under the pointer at release, a paint of an exposed part paints the root and every
// visible control reaching into it, and an error a command raises goes to the error box while the
// program goes on. The window (the editor's widget, a test) feeds it its events and does what only
// a window can: show a menu, show where a drag stands.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "canvas.h"
#include "control.h"
#include "view_zoom.h"

class PopupMenu;

// The canvas a host paints its controls on: besides the drawing itself, where the control being
// painted has its origin, the part of the picture it may touch, and the erasing of its background.
class THostCanvas : public Canvas {
 public:
  virtual void SetOrigin(TPoint origin) = 0;
  virtual void SetClip(const TRect& clip) = 0;
  virtual void ClearClip() = 0;
  // Fills the box with the colour (picture coordinates, within the clip).
  virtual void Fill(const TRect& box, TColor colour) = 0;
};

// What the host asks of the window it stands in. Positions are the window's.
class THostWindow {
 public:
  virtual ~THostWindow() = default;
  // Shows the owner's popup menu at the point and returns the item chosen, by its place in the
  // menu's AllItems (submenus' items counted where they stand), or none.
  virtual std::optional<size_t> ChooseFromMenu(Control& owner, const PopupMenu& menu, TPoint at) = 0;
  // Where a drop at the pointer would put the dragged control, and whether the control under the
  // pointer takes it.
  virtual void DragMoved(const TRect& outline, bool accepted) = 0;
  virtual void DragEnded() = 0;
  // Where the band being drawn stands, in the window; empty when it ends.
  virtual void BandMoved(const TRect& band) { (void)band; }
};

class TControlHost {
 public:
  TControlHost(Control& root, THostWindow& window);
  TControlHost(const TControlHost&) = delete;
  TControlHost& operator=(const TControlHost&) = delete;

  Control& Root() const { return root_; }
  // How far the window's view of the root is zoomed; the window resizes and repaints itself.
  const TViewZoom& Zoom() const { return zoom_; }
  void SetZoom(TViewZoom zoom) { zoom_ = zoom; }
  // Where a point of the window lies on the root, and a rectangle of the root in the window: the one
  // mapping between the two.
  TPoint RootPoint(TPoint windowPoint) const { return zoom_.ToSurface(windowPoint); }
  TRect WindowRect(const TRect& rootRect) const { return zoom_.ToWindow(rootRect); }

  // A press, as the window reports it: delivered to the control under the point; a right press
  // then opens the menu it belongs to and runs the item chosen. A press while a drag is open means
  // its release never came: a left press ends it, any other press is ignored. A press of the
  // keyboard's names its control (`onto`), which another may cover at the point.
  void Press(TMouseButton button, TShiftState shift, TPoint at, Control* onto = nullptr);
  // Opens the root's own menu at the window's point, as a right press on the bare root would, though
  // the point may lie beside the root (the grey around a zoomed-out surface) or come from a key.
  void OpenRootMenu(TPoint at);
  // The pointer moved: a drag shows where it would drop (and ends when its left button was let go
  // unseen); without one, the control under the pointer hears of it.
  void Move(TShiftState shift, TPoint at);
  // A button was let go: the left one drops what is dragged on the control under the point.
  void Release(TMouseButton button, TPoint at);

  // A control starts being dragged now; it was started by a left press when one is being delivered,
  // and then ends when that button is let go. Such a drag shows nothing and drops nothing until the
  // pointer goes the drag distance from the press: a press and release nearer than that is a click,
  // which only selects.
  void BeginDrag(Control& control);
  // How far (window pixels, across plus down) the pointer must go before a press becomes a drag: the
  // platform's own distance, set by the window.
  void SetDragDistance(int distance) { dragDistance_ = std::max(0, distance); }
  void CancelDrag();
  bool IsDragging() const { return drag_.has_value(); }
  // A band is being drawn on the root (a left press on it went the drag distance or is on its way).
  bool IsBanding() const { return band_.has_value(); }
  // Ends the band without gathering anything.
  void CancelBand();
  // Where the outline of the dragged control stands, in the window; empty before the pointer moved.
  const TRect& DragOutline() const;

  // Paints the root and every visible control that reaches into the exposed part (root
  // coordinates; the canvas maps them to the window's zoom), each from a fresh canvas, its box first filled with its colour. A paint must not
  // show a dialog: the error of a failed paint is returned (empty when it painted), and only the
  // first of a row of paints failing alike.
  std::string Paint(THostCanvas& canvas, const TRect& exposed);

  // Runs a command of the diagram: an error it raises is shown in the error box (a drag open ends
  // first: the box has an event loop of its own) and the program goes on. True when it ran through.
  bool RunGuarded(const std::function<void()>& action);
  void ShowError(const std::string& message);

 private:
  struct TDrag {
    Control* Source = nullptr;
    std::weak_ptr<const void> SourceAlive;
    bool WithButton = false;
    TRect Outline;
    TPoint PressedAt;  // the press's window point, for a drag a press started
    TPoint Grab;       // where on the dragged outline it was taken: the outline keeps it there
    TPoint Size;       // the outline's size on the root
    bool Moved = false;
  };
  struct TBand {
    TPoint From;  // window points
    TPoint To;
    TShiftState Shift = 0;  // the keys held at the press
    bool Moved = false;
  };

  void OpenMenu(Control& control, TPoint at);
  void PaintChildren(THostCanvas& canvas, Control& parent, const TRect& parentClip, const TRect& exposed);
  void Drop(TPoint at);
  void EndDrag();
  // The band as a rectangle of the window, corners in either order.
  TRect BandRect() const;

  Control& root_;
  THostWindow& window_;
  std::optional<TDrag> drag_;
  std::optional<TBand> band_;
  TViewZoom zoom_;
  bool inLeftPress_ = false;
  TPoint pressedAt_;  // the window point of the press being delivered
  int dragDistance_ = 4;
  std::string lastPaintError_;
};
