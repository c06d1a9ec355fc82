#include "canvas.h"

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
