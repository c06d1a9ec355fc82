#include "recording_canvas.h"

#include "text.h"

void RecordingCanvas::Record(std::string kind, std::vector<TPoint> points, std::string text) {
  Calls.push_back({std::move(kind), std::move(points), std::move(text), BrushColor(), PenColor(), FontColor(), PenWidth()});
}

void RecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) { Record("Rectangle", {{x1, y1}, {x2, y2}}); }

void RecordingCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  Record("RoundRect", {{x1, y1}, {x2, y2}, {cornerWidth, cornerHeight}});
}

void RecordingCanvas::Polygon(const std::vector<TPoint>& points) { Record("Polygon", points); }
void RecordingCanvas::Polyline(const std::vector<TPoint>& points) { Record("Polyline", points); }
void RecordingCanvas::TextOut(int x, int y, const std::string& text) { Record("TextOut", {{x, y}}, text); }
int RecordingCanvas::TextWidth(const std::string& text) { return CharWidth * CharacterCount(text); }
int RecordingCanvas::TextHeight(const std::string&) { return LineHeight; }

std::vector<std::vector<TPoint>> RecordingCanvas::PolylinesIn(TColor pen) const {
  std::vector<std::vector<TPoint>> lines;
  for (const auto& call : Calls)
    if (call.Kind == "Polyline" && call.Pen == pen) lines.push_back(call.Points);
  return lines;
}

std::vector<std::string> RecordingCanvas::Texts() const {
  std::vector<std::string> texts;
  for (const auto& call : Calls)
    if (call.Kind == "TextOut") texts.push_back(call.Text);
  return texts;
}
