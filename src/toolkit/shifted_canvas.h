// A canvas that hands every drawing call to another canvas with the surface's point `origin` moved to
// that canvas's (0, 0): a part of the surface drawn as a picture of its own (the clipboard's picture
// of the copied objects), by the same drawing code that draws the whole surface.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

class ShiftedCanvas : public Canvas {
 public:
  ShiftedCanvas(Canvas& target, TPoint origin) : target_(target), origin_(origin) {}

  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override { return target_.TextWidth(text); }
  int TextHeight(const std::string& text) override { return target_.TextHeight(text); }
  TRect PaintedPart() const override;

 private:
  // The colours and pen are this canvas's state, as the drawing code sets them; the target draws
  // with its own, so they are handed over before each call.
  Canvas& withState();
  std::vector<TPoint> shifted(const std::vector<TPoint>& points) const;

  Canvas& target_;
  TPoint origin_;
};
