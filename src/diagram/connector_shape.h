// Where each kind of connector line runs, stroke by stroke, arrowheads included: the one place of
// every offset the lines are drawn at. The drawing draws these strokes; the connector index takes
// their segments, so that what it finds for a part of the surface is exactly what is drawn there.
#pragma once

#include <array>
#include <optional>

#include "diagram_types.h"
#include "geometry.h"

// Points joined in order, as one polyline (its last point itself left out).
struct TStroke {
  std::array<TPoint, 4> Points{};
  int Count = 0;
};

// The strokes of one line: the line itself first, then those of its arrowhead.
struct TConnectorShape {
  std::array<TStroke, 3> Strokes{};
  int Count = 0;
  void Add(std::initializer_list<TPoint> points);
};

// The kinds of line, in the order an entity draws them: relation lines, event lines, call lines.
enum class TLineKind { Relation, Event, Call };

// A relation's line from its box to a property row, leaving and reaching each side 10 pixels
// straight out; none while box and row stand centre above centre.
std::optional<TConnectorShape> RelationLineShape(const TAnchorPoints& box, const TAnchorPoints& row);

// An event's line to a method row, with the arrowhead that shows the event's direction: into the
// box on the line from the trigger (source), into the row on the line to the executed method.
enum class TEventEnd { Source, Target, Neither };
std::optional<TConnectorShape> EventLineShape(const TAnchorPoints& box, const TAnchorPoints& row, TEventEnd end);

// A call's bracket on the right of the entity's rows, from the calling row to the called one with
// an arrowhead at the called row, standing out from the edge by 11 times the spacing less one
// (the spacing is 5 times the call's line distance; none at all for a spacing of 0 or 1).
TConnectorShape CallLineShape(const TAnchorPoints& caller, const TAnchorPoints& called, long long spacing);
