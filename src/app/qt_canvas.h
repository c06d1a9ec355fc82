// The diagram's canvas on Qt: draws through any QPainter (the host widget, an exported picture) with
// the classic raster rules, or, without a painter, only measures text with the diagram font.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <QRect>

#include <memory>
#include <string>
#include <vector>

#include "canvas.h"

class QColor;
class QPainter;
class TextWidthCache;

// DejaVu Sans at 13 pixels without antialiasing: the font the layout's sizes are computed for, the
// same on every machine. Needs a running QGuiApplication.
QFont diagramFont();

// Converts a diagram colour (0x00BBGGRR) to Qt's.
QColor toQColor(TColor color);

// The box from (x1, y1) to (x2, y2) given either way round, corners ordered as the raster rules
// take them.
void normaliseCorners(int& x1, int& y1, int& x2, int& y2);

class QtCanvas : public Canvas {
 public:
  // A canvas that measures text and draws nowhere.
  QtCanvas();
  // A canvas that draws through painter; the painter must outlive the canvas.
  explicit QtCanvas(QPainter& painter);

  bool isPainting() const { return painter_ != nullptr; }
  // Draws through another painter (or none: only measures); the colours stay as they are.
  void setPainter(QPainter* painter);
  // For vector pictures: rectangles, lines and text go out as shapes, lines and text of the
  // picture rather than as the pixels that make them up on a screen.
  void setVectorMode(bool vector) { vector_ = vector; }
  // Where the canvas's (0, 0) lies on the painter's device: the host moves it to each control.
  QPoint origin() const { return origin_; }
  void setOrigin(QPoint origin) { origin_ = origin; }

  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void TextOut(int x, int y, const std::string& text) override;
  // A zoomed view's text: its cell (device pixels, from the canvas's origin) filled with the brush,
  // the text set in it at the scale, crisp at any size.
  void drawScaledText(const QRect& cell, double scale, const std::string& text);
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  // Every pixel TextOut sets for the text lies in this rectangle, given relative to the point where
  // TextOut puts the text's top-left corner: its cell, and what of its letters reaches beyond.
  QRect textInk(const std::string& text);

 private:
  // Draws the line from a to b, b itself left out, with the current pen.
  void drawLine(TPoint a, TPoint b);
  // Fills a square of the pen's width centred on each point (one pixel for the usual pen).
  void plot(const std::vector<QPoint>& points);

  QPainter* painter_ = nullptr;
  QFont font_;
  QFontMetrics metrics_;
  // Shared by every canvas of the same font.
  std::shared_ptr<TextWidthCache> widths_;
  QPoint origin_;
  bool vector_ = false;
};
