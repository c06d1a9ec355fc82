// The drawing surface every diagram object paints on: the screen, an exported picture, or (outside a
// paint) a canvas that only measures text. Brush, pen and font colours are state that carries over
// from one drawing call to the next, as the diagram's drawing order relies on.
#pragma once

#include <string>
#include <vector>

#include "color.h"
#include "geometry.h"

class Canvas {
 public:
  virtual ~Canvas() = default;

  TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(TColor color) { brushColor_ = color; }
  TColor PenColor() const { return penColor_; }
  void SetPenColor(TColor color) { penColor_ = color; }
  int PenWidth() const { return penWidth_; }
  void SetPenWidth(int width) { penWidth_ = width; }
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor color) { fontColor_ = color; }
  // Back to a fresh canvas: white brush, black one-pixel pen, black font, pen at (0, 0).
  void ResetState();

  // Fills x1..x2-1, y1..y2-1 with the brush and outlines the same pixels with the pen.
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  // As Rectangle, with corners rounded by an ellipse of cornerWidth by cornerHeight.
  virtual void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) = 0;
  // Filled with the brush, outlined with the pen.
  virtual void Polygon(const std::vector<TPoint>& points) = 0;
  // Joins the points with the pen; the last point itself is left out.
  virtual void Polyline(const std::vector<TPoint>& points) = 0;
  void MoveTo(int x, int y) { penPos_ = {x, y}; }
  void LineTo(int x, int y);
  TPoint PenPos() const { return penPos_; }
  // Writes text with its top-left corner at (x, y) in the font colour, on a cell of brush colour.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;

  // The part of the canvas that the drawing under way will show. Drawing wholly outside it is never
  // seen, so a painter with much to draw may leave that out. The whole plane unless a canvas knows
  // better.
  virtual TRect PaintedPart() const;

 private:
  TColor brushColor_ = clrWhite;
  TColor penColor_ = clrBlack;
  int penWidth_ = 1;
  TColor fontColor_ = clrBlack;
  TPoint penPos_;
};
