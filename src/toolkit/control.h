// The visual control every diagram object is: position and size, visibility, colour, a component
// name, a parent and children in z-order, a popup menu, painting and mouse and drag-and-drop events.
// Controls do not own their children: the diagram's lists own them, and a control leaves its
// parent's child list when it dies.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "color.h"
#include "geometry.h"

class Canvas;
class Platform;
class PopupMenu;

enum class TMouseButton { Left, Right, Middle };
enum class TDragState { Enter, Leave, Move };
// Keys and buttons held during a mouse event, as bits.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1u << 0;
constexpr TShiftState ssAlt = 1u << 1;
constexpr TShiftState ssCtrl = 1u << 2;
constexpr TShiftState ssLeft = 1u << 3;
constexpr TShiftState ssRight = 1u << 4;
constexpr TShiftState ssMiddle = 1u << 5;
constexpr TShiftState ssDouble = 1u << 6;

class Control {
 public:
  Control();
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  // Moves and sizes the control; a change of size calls Resize. Each number is held within
  // -2^28..2^28, so that sums of a few of them cannot overflow.
  void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text) { text_ = text; }

  // The component name: empty or an identifier; anything else raises
  // "''X'' is not a valid component name".
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);

  Control* Parent() const { return parent_; }
  void SetParent(Control* parent);
  // Children in z-order, bottom first.
  const std::vector<Control*>& Children() const { return children_; }
  // Where each child stands (in this control's coordinates) and whether it shows, in the order of
  // Children(). Kept here, side by side, so that finding the children at a point or in a part of
  // the control reads one compact list instead of visiting every child: a diagram surface holds
  // tens of thousands of them, and a click or a small repaint wants only a handful.
  struct TChildPlace {
    TRect Bounds;
    // Rises with every child added or brought to the front: the list is ordered by it.
    unsigned long long Stacking = 0;
    bool Visible = true;
  };
  const std::vector<TChildPlace>& ChildPlaces() const { return childPlaces_; }
  void BringToFront();
  // Lets go of every child at once, so that destroying many children costs no search each.
  void ReleaseChildren();

  PopupMenu* GetPopupMenu() const { return popupMenu_; }
  void SetPopupMenu(PopupMenu* menu) { popupMenu_ = menu; }

  // The platform of the control tree: the root's, reached through the parents; none while the
  // control stands in no tree that has one.
  virtual Platform* GetPlatform() const;
  // The canvas to paint on: the host's while it paints this control, otherwise the platform's
  // measuring canvas.
  Canvas& GetCanvas() const;
  // Asks the host to paint the control later.
  void Invalidate();
  // Paints now (with all of painting's side effects) and asks the host to show the result. A control
  // in no tree with a platform does not paint.
  void Repaint();
  // Used by hosts: paints on the given canvas, already moved to the control's origin.
  void PaintOn(Canvas& canvas);

  virtual void Paint() {}
  virtual void Resize() {}
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  // Sets accept when the control takes a drop of source; refuses by default.
  virtual void DragOver(Control& source, int x, int y, TDragState state, bool& accept);
  virtual void DragDrop(Control& source, int x, int y);
  // Starts dragging this control at once (no threshold).
  void BeginDrag();
  // A root that gathers what a band drawn on it encloses: a left press on it (not on a child) draws
  // the band, and the band let go is handed over in the root's coordinates with the keys held.
  virtual bool SelectsByBand() const { return false; }
  virtual void BandSelect(const TRect& band, TShiftState shift) { (void)band, (void)shift; }
  // Where the root shows a dragged control: its own bounds, or more when it moves others with it
  // (root coordinates).
  virtual TRect DragBounds(const Control& source) const;

  // The topmost visible control at (x, y), given in this control's coordinates: a descendant, this
  // control itself, or none when the point lies outside it.
  Control* ControlAt(int x, int y);
  // The control's top-left corner in the coordinates of the root of its tree.
  TPoint OriginInRoot() const;
  // Expires when the control dies; lets a host hold on to a control across events.
  std::weak_ptr<const void> LifeToken() const;

 protected:
  // Called after the name changed, so that owners can keep their name indexes.
  virtual void NameChanged(const std::string& oldName) { (void)oldName; }

 private:
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  TColor color_ = clrSilver;
  std::string text_;
  std::string name_;
  // Where the control stands in its parent's lists: where it stood when last looked for, while that
  // place still holds its stacking number, or else found from the number, which the parent's list
  // is ordered by. A page showing moves and shows every control several times; a search through
  // tens of thousands of siblings for each would cost trips to memory at its last steps.
  size_t PlaceInParent() const;
  void UpdatePlaceInParent();
  // Appends a child at the top of the stacking order.
  void AppendChild(Control& child);
  void EraseChildAt(size_t index);

  Control* parent_ = nullptr;
  unsigned long long stacking_ = 0;
  mutable size_t placeHint_ = 0;
  std::vector<Control*> children_;
  std::vector<TChildPlace> childPlaces_;
  unsigned long long nextStacking_ = 0;
  PopupMenu* popupMenu_ = nullptr;
  Canvas* paintCanvas_ = nullptr;
  mutable std::shared_ptr<const void> lifeToken_;
};
