#include "control.h"

#include <algorithm>

#include "canvas.h"
#include "platform.h"
#include "text.h"
#include "toolkit_error.h"

Control::Control() = default;

Control::~Control() {
  for (Control* child : children_) child->parent_ = nullptr;
  children_.clear();
  childPlaces_.clear();
  if (parent_) {
    parent_->EraseChildAt(PlaceInParent());
    parent_ = nullptr;
  }
}

size_t Control::PlaceInParent() const {
  const auto& places = parent_->childPlaces_;
  if (placeHint_ < places.size() && places[placeHint_].Stacking == stacking_) return placeHint_;
  const auto it = std::lower_bound(places.begin(), places.end(), stacking_,
                                   [](const TChildPlace& place, unsigned long long s) { return place.Stacking < s; });
  placeHint_ = static_cast<size_t>(it - places.begin());
  return placeHint_;
}

void Control::UpdatePlaceInParent() {
  if (!parent_) return;
  TChildPlace& place = parent_->childPlaces_[PlaceInParent()];
  place.Bounds = BoundsRect();
  place.Visible = visible_;
}

void Control::AppendChild(Control& child) {
  child.stacking_ = ++nextStacking_;
  child.placeHint_ = children_.size();
  children_.push_back(&child);
  childPlaces_.push_back({child.BoundsRect(), child.stacking_, child.visible_});
}

void Control::EraseChildAt(size_t index) {
  children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(index));
  childPlaces_.erase(childPlaces_.begin() + static_cast<std::ptrdiff_t>(index));
}

namespace {
// A diagram file may place an object wherever a 32-bit number reaches, and a text of millions of
// characters gives a box that wide. Positions and sizes are kept within 2^28 (over 100,000 times
// the surface) so that the sums drawing and linking make of a few of them (a right edge, a centre,
// an anchor point, a line's bend) still fit an int.
constexpr int kMaxCoordinate = 1 << 28;
int Bounded(int value) { return std::clamp(value, -kMaxCoordinate, kMaxCoordinate); }
}  // namespace

void Control::SetBounds(int left, int top, int width, int height) {
  left = Bounded(left);
  top = Bounded(top);
  width = Bounded(width);
  height = Bounded(height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  UpdatePlaceInParent();
  Invalidate();
  if (resized) Resize();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  UpdatePlaceInParent();
  Invalidate();
}

void Control::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Invalidate();
}

void Control::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EToolkitError("''" + name + "'' is not a valid component name");
  std::string oldName = std::move(name_);
  name_ = name;
  NameChanged(oldName);
}

void Control::SetParent(Control* parent) {
  if (parent == parent_) return;
  if (parent_) {
    Invalidate();
    parent_->EraseChildAt(PlaceInParent());
  }
  parent_ = parent;
  if (parent_) {
    parent_->AppendChild(*this);
    Invalidate();
  }
}

void Control::ReleaseChildren() {
  for (Control* child : children_) child->parent_ = nullptr;
  children_.clear();
  childPlaces_.clear();
  Invalidate();
}

void Control::BringToFront() {
  if (!parent_) return;
  const size_t index = PlaceInParent();
  auto& siblings = parent_->children_;
  auto& places = parent_->childPlaces_;
  if (index + 1 >= siblings.size()) return;
  const auto at = static_cast<std::ptrdiff_t>(index);
  std::rotate(siblings.begin() + at, siblings.begin() + at + 1, siblings.end());
  std::rotate(places.begin() + at, places.begin() + at + 1, places.end());
  stacking_ = ++parent_->nextStacking_;
  placeHint_ = places.size() - 1;
  places.back().Stacking = stacking_;
  Invalidate();
}

Platform* Control::GetPlatform() const { return parent_ ? parent_->GetPlatform() : nullptr; }

Canvas& Control::GetCanvas() const {
  if (paintCanvas_) return *paintCanvas_;
  Platform* platform = GetPlatform();
  if (!platform) throw EToolkitError("Control has no parent window");
  return platform->MeasureCanvas();
}

void Control::Invalidate() {
  if (Platform* platform = GetPlatform()) platform->Invalidate(*this);
}

void Control::Repaint() {
  Platform* platform = GetPlatform();
  if (!platform) return;
  Paint();
  platform->Invalidate(*this);
}

void Control::PaintOn(Canvas& canvas) {
  Canvas* previous = paintCanvas_;
  paintCanvas_ = &canvas;
  try {
    Paint();
  } catch (...) {
    paintCanvas_ = previous;
    throw;
  }
  paintCanvas_ = previous;
}

void Control::MouseDown(TMouseButton, TShiftState, int, int) {}
void Control::MouseMove(TShiftState, int, int) {}
void Control::DragOver(Control&, int, int, TDragState, bool& accept) { accept = false; }
void Control::DragDrop(Control&, int, int) {}

TRect Control::DragBounds(const Control& source) const {
  const TPoint origin = source.OriginInRoot();
  return {origin.X, origin.Y, origin.X + source.Width(), origin.Y + source.Height()};
}

void Control::BeginDrag() {
  if (Platform* platform = GetPlatform()) platform->BeginDrag(*this);
}

Control* Control::ControlAt(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  // The compact list of places answers which children stand at the point; only those are visited.
  for (size_t i = childPlaces_.size(); i-- > 0;) {
    const TChildPlace& place = childPlaces_[i];
    if (!place.Visible || !place.Bounds.Contains(x, y)) continue;
    Control* child = children_[i];
    if (Control* hit = child->ControlAt(x - child->left_, y - child->top_)) return hit;
  }
  return this;
}

TPoint Control::OriginInRoot() const {
  TPoint origin;
  for (const Control* control = this; control->parent_; control = control->parent_) {
    origin.X += control->left_;
    origin.Y += control->top_;
  }
  return origin;
}

std::weak_ptr<const void> Control::LifeToken() const {
  if (!lifeToken_) lifeToken_ = std::make_shared<int>(0);
  return lifeToken_;
}
