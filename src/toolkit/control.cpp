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
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_ = nullptr;
  }
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
  Invalidate();
  if (resized) Resize();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
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
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = parent;
  if (parent_) {
    parent_->children_.push_back(this);
    Invalidate();
  }
}

void Control::ReleaseChildren() {
  for (Control* child : children_) child->parent_ = nullptr;
  children_.clear();
  Invalidate();
}

void Control::BringToFront() {
  if (!parent_) return;
  auto& siblings = parent_->children_;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  if (it == siblings.end() || it + 1 == siblings.end()) return;
  std::rotate(it, it + 1, siblings.end());
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

void Control::BeginDrag() {
  if (Platform* platform = GetPlatform()) platform->BeginDrag(*this);
}

Control* Control::ControlAt(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    Control* child = *it;
    if (!child->visible_) continue;
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
