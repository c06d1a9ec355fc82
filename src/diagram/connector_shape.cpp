#include "connector_shape.h"

#include <algorithm>

namespace {
// A line leaves a box's side and reaches a row's side this far straight out.
constexpr int kStraightOut = 10;
// Arrowheads reach this far back from their tip, and as far to each side.
constexpr int kArrow = 5;

// Sums far past the surface (a spacing a file gave) are held where every sum the drawing makes of
// them still fits an int, as positions are.
int Held(long long value) { return static_cast<int>(std::clamp<long long>(value, -(1LL << 28), 1LL << 28)); }

// The line from the box's side facing the row to the row's side facing the box.
TConnectorShape StraightOut(const TConnectorEnds& ends) {
  const int out = kStraightOut * ends.Toward;
  TConnectorShape shape;
  shape.Add({ends.Box, {ends.Box.X + out, ends.Box.Y}, {ends.Member.X - out, ends.Member.Y}, ends.Member});
  return shape;
}
}  // namespace

void TConnectorShape::Add(std::initializer_list<TPoint> points) {
  TStroke& stroke = Strokes[static_cast<size_t>(Count++)];
  for (const TPoint& point : points) stroke.Points[static_cast<size_t>(stroke.Count++)] = point;
}

std::optional<TConnectorShape> RelationLineShape(const TAnchorPoints& box, const TAnchorPoints& row) {
  const std::optional<TConnectorEnds> ends = ConnectorEnds(box, row);
  if (!ends) return std::nullopt;
  return StraightOut(*ends);
}

std::optional<TConnectorShape> EventLineShape(const TAnchorPoints& box, const TAnchorPoints& row, TEventEnd end) {
  const std::optional<TConnectorEnds> ends = ConnectorEnds(box, row);
  if (!ends) return std::nullopt;
  TConnectorShape shape = StraightOut(*ends);
  const int back = kArrow * ends->Toward;
  const TPoint boxEnd = ends->Box;
  const TPoint rowEnd = ends->Member;
  if (end == TEventEnd::Source) {
    // Pointing into the box: one stroke through the tip.
    shape.Add({{boxEnd.X + back, boxEnd.Y - kArrow}, boxEnd, {boxEnd.X + back, boxEnd.Y + kArrow}});
  } else if (end == TEventEnd::Target) {
    // Pointing into the row: two strokes from the tip, so that the tip itself is set.
    shape.Add({rowEnd, {rowEnd.X - back, rowEnd.Y - kArrow}});
    shape.Add({rowEnd, {rowEnd.X - back, rowEnd.Y + kArrow}});
  }
  return shape;
}

TConnectorShape CallLineShape(const TAnchorPoints& caller, const TAnchorPoints& called, long long spacing) {
  const int offset = spacing > 1 ? Held(11 * spacing - 1) : 0;
  const int from = Held(static_cast<long long>(caller.RightX) + offset);
  const int to = Held(static_cast<long long>(called.RightX) + offset);
  TConnectorShape shape;
  shape.Add({{from, caller.Y}, {from + kStraightOut, caller.Y}, {from + kStraightOut, called.Y}, {from, called.Y}});
  shape.Add({{to + kArrow, called.Y - kArrow}, {to, called.Y}, {to + kArrow, called.Y + kArrow}});
  return shape;
}
