// A canvas that draws nothing and measures every text as empty: for running a drawing only for its
// side effects (the pen it leaves behind), or as the base of a canvas that only measures.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

class BlankCanvas : public Canvas {
 public:
  void Rectangle(int, int, int, int) override {}
  void RoundRect(int, int, int, int, int, int) override {}
  void Polygon(const std::vector<TPoint>&) override {}
  void Polyline(const std::vector<TPoint>&) override {}
  void TextOut(int, int, const std::string&) override {}
  int TextWidth(const std::string&) override { return 0; }
  int TextHeight(const std::string&) override { return 0; }
};
