#include "shifted_canvas.h"

#include <algorithm>
#include <cstdint>
#include <limits>

Canvas& ShiftedCanvas::withState() {
  target_.SetBrushColor(BrushColor());
  target_.SetPenColor(PenColor());
  target_.SetPenWidth(PenWidth());
  target_.SetFontColor(FontColor());
  return target_;
}

std::vector<TPoint> ShiftedCanvas::shifted(const std::vector<TPoint>& points) const {
  std::vector<TPoint> moved(points);
  for (TPoint& point : moved) point = {point.X - origin_.X, point.Y - origin_.Y};
  return moved;
}

void ShiftedCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  withState().Rectangle(x1 - origin_.X, y1 - origin_.Y, x2 - origin_.X, y2 - origin_.Y);
}

void ShiftedCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  withState().RoundRect(x1 - origin_.X, y1 - origin_.Y, x2 - origin_.X, y2 - origin_.Y, cornerWidth, cornerHeight);
}

void ShiftedCanvas::Polygon(const std::vector<TPoint>& points) { withState().Polygon(shifted(points)); }

void ShiftedCanvas::Polyline(const std::vector<TPoint>& points) { withState().Polyline(shifted(points)); }

void ShiftedCanvas::TextOut(int x, int y, const std::string& text) { withState().TextOut(x - origin_.X, y - origin_.Y, text); }

TRect ShiftedCanvas::PaintedPart() const {
  // The target's part in surface coordinates; the whole plane stays the whole plane.
  const TRect part = target_.PaintedPart();
  const auto back = [](int value, int by) {
    const int64_t moved = static_cast<int64_t>(value) + by;
    return static_cast<int>(std::clamp<int64_t>(moved, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  return {back(part.Left, origin_.X), back(part.Top, origin_.Y), back(part.Right, origin_.X), back(part.Bottom, origin_.Y)};
}
