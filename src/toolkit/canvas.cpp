#include "canvas.h"

#include <limits>

TRect Canvas::PaintedPart() const {
  constexpr int most = std::numeric_limits<int>::max();
  return {-most, -most, most, most};
}

void Canvas::ResetState() {
  brushColor_ = clrWhite;
  penColor_ = clrBlack;
  penWidth_ = 1;
  fontColor_ = clrBlack;
  penPos_ = {};
}

void Canvas::LineTo(int x, int y) {
  Polyline({penPos_, TPoint{x, y}});
  penPos_ = {x, y};
}
