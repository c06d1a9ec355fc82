// A canvas that writes what is drawn on it as the elements of an SVG document, measuring text as
// the screen does: the drawing of a page inside a document of the model, where the pages of a large
// diagram must be drawn in a fraction of a second and stay small (Qt's SVG generator writes every
// shape with its whole painter state, tens of megabytes a page at 5,000 entities).
#pragma once

#include <string>
#include <vector>

#include "qt_canvas.h"

class SvgTextCanvas : public Canvas {
 public:
  SvgTextCanvas(int width, int height, const std::string& title);

  // The whole document, once the drawing is done.
  std::string document() && {
    out_ += "</g>\n</svg>\n";
    return std::move(out_);
  }

  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override { return measure_.TextWidth(text); }
  int TextHeight(const std::string& text) override { return measure_.TextHeight(text); }

 private:
  // The fill and the outline of a shape, as its attributes.
  void paint(bool filled);

  QtCanvas measure_;
  int ascent_ = 0;
  std::string out_;
};
