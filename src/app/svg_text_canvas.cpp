#include "svg_text_canvas.h"

#include <QFontMetrics>

#include <algorithm>

#include "model_documentation.h"

namespace {
std::string colour(TColor color) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(7, '#');
  const int parts[] = {RedOf(color), GreenOf(color), BlueOf(color)};
  for (int i = 0; i < 3; ++i) {
    text[static_cast<size_t>(1 + 2 * i)] = kDigits[parts[i] >> 4];
    text[static_cast<size_t>(2 + 2 * i)] = kDigits[parts[i] & 15];
  }
  return text;
}

void append(std::string& out, int value) { out += std::to_string(value); }
// A coordinate through the middle of a pixel, where an outline of one pixel covers it whole.
void appendMiddle(std::string& out, int value) {
  if (value < 0) out += '-';
  append(out, value < 0 ? -(value + 1) : value);
  out += ".5";
}

// Half the number, as an SVG length.
std::string half(int value) { return std::to_string(std::abs(value) / 2) + (std::abs(value) % 2 ? ".5" : ""); }

// Texts are escaped as the page around the drawing escapes its own (XML wants the same).
void escape(std::string& out, const std::string& text) { out += HtmlText(text); }

void corners(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
}
}  // namespace

SvgTextCanvas::SvgTextCanvas(int width, int height, const std::string& title)
    : ascent_(QFontMetrics(diagramFont()).ascent()) {
  out_ = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(height) + "\">\n<title>";
  escape(out_, title);
  out_ += "</title>\n<g font-family=\"" + diagramFont().family().toStdString() + "\" font-size=\"" +
         std::to_string(diagramFont().pixelSize()) + "\" stroke-linecap=\"square\" stroke-linejoin=\"miter\">\n";
}

void SvgTextCanvas::paint(bool filled) {
  out_ += "\" fill=\"";
  out_ += filled ? colour(BrushColor()) : std::string("none");
  out_ += "\" stroke=\"";
  out_ += colour(PenColor());
  if (PenWidth() > 1) {
    out_ += "\" stroke-width=\"";
    append(out_, PenWidth());
  }
  out_ += "\"/>\n";
}

// As the vector pictures draw them: the outline through the middle of the edge pixels.
void SvgTextCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  corners(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  out_ += "<rect x=\"";
  appendMiddle(out_, x1);
  out_ += "\" y=\"";
  appendMiddle(out_, y1);
  out_ += "\" width=\"";
  append(out_, x2 - x1 - 1);
  out_ += "\" height=\"";
  append(out_, y2 - y1 - 1);
  paint(true);
}

void SvgTextCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  corners(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  // Aliased, the outline of the rounded box covers x1..x2-1, y1..y2-1 from whole coordinates.
  out_ += "<rect x=\"" + std::to_string(x1) + "\" y=\"" + std::to_string(y1) + "\" width=\"" +
          std::to_string(x2 - x1 - 1) + "\" height=\"" + std::to_string(y2 - y1 - 1) + "\" rx=\"" + half(cornerWidth) +
          "\" ry=\"" + half(cornerHeight);
  paint(true);
}

void SvgTextCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  out_ += "<polygon fill-rule=\"evenodd\" points=\"";
  for (size_t i = 0; i < points.size(); ++i) {
    if (i) out_ += ' ';
    append(out_, points[i].X);
    out_ += ',';
    append(out_, points[i].Y);
  }
  paint(true);
}

void SvgTextCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  out_ += "<polyline points=\"";
  for (size_t i = 0; i < points.size(); ++i) {
    if (i) out_ += ' ';
    appendMiddle(out_, points[i].X);
    out_ += ',';
    appendMiddle(out_, points[i].Y);
  }
  paint(false);
}

// The text on a cell of the brush's colour, as the screen shows it.
void SvgTextCanvas::TextOut(int x, int y, const std::string& text) {
  if (text.empty()) return;
  out_ += "<rect x=\"";
  append(out_, x);
  out_ += "\" y=\"";
  append(out_, y);
  out_ += "\" width=\"";
  append(out_, TextWidth(text));
  out_ += "\" height=\"";
  append(out_, TextHeight(text));
  out_ += "\" fill=\"";
  out_ += colour(BrushColor());
  out_ += "\"/>\n<text x=\"";
  append(out_, x);
  out_ += "\" y=\"";
  append(out_, y + ascent_);
  out_ += "\" fill=\"";
  out_ += colour(FontColor());
  out_ += "\" xml:space=\"preserve\">";
  escape(out_, text);
  out_ += "</text>\n";
}
