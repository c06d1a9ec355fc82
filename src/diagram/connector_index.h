// Where the connector lines of a diagram run: for every relation or event box the long slanted
// stretch of each of its lines, and for every calling method row the rectangle its call line stays
// within, all taken from the strokes the drawing draws (TConnectorShape). A paint of part of the
// surface (a click repaints two boxes) asks here which lines reach into that part instead of asking
// every box of the diagram. The slanted stretches are kept as such because a rectangle around a
// line across the page would take in nearly every part of it.
//
// Objects say when their lines may have moved (their anchors, an anchor of a row at one of their
// ends, or an end itself changed); the rectangles are worked out again only when the index is next
// asked, once per object however often it moved in between.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "connector_shape.h"
#include "diagram_types.h"
#include "geometry.h"

class TConnectorIndex;
class TLinkBox;
class TMethod;

// A box or row with connector lines: its place in the index of the panel it stands on. Leaving the
// index is the last thing an object does as it dies.
class TConnectorSource {
 public:
  TConnectorSource() = default;
  TConnectorSource(const TConnectorSource&) = delete;
  TConnectorSource& operator=(const TConnectorSource&) = delete;

 protected:
  ~TConnectorSource();
  // Tells the index the object is in that its lines may have moved; false when it is in none yet.
  // Touches nothing but the object itself: a page showing moves the lines of every box several
  // times, and a visit to the index's entry (or to the owner for its panel) for each would be a
  // trip to memory.
  bool MarkLinesMoved();

 private:
  friend class TConnectorIndex;
  TConnectorIndex* index_ = nullptr;
  size_t slot_ = 0;
  bool dirty_ = false;
};

class TConnectorIndex {
 public:
  // surfaceMoved runs when the first line moves after the index was last asked: the surface must
  // be painted again, for the old stretch of a line may lie where nothing else is repainted.
  explicit TConnectorIndex(std::function<void()> surfaceMoved = {}) : surfaceMoved_(std::move(surfaceMoved)) {}
  TConnectorIndex(const TConnectorIndex&) = delete;
  TConnectorIndex& operator=(const TConnectorIndex&) = delete;
  ~TConnectorIndex();

  // The lines of the box or of the row's call may have moved.
  void Moved(TLinkBox& box);
  void Moved(TMethod& caller);

  struct TFound {
    TLinkBox* Box = nullptr;
    TMethod* Caller = nullptr;
  };
  // Appends every box and calling row whose lines may reach into the part, in no particular order.
  void Collect(const TRect& part, std::vector<TFound>& found);
  // Where an object's lines run, taken from the strokes the drawing draws (TConnectorShape): a
  // rectangle around every stroke, and for a box each line's long middle stretch with how far the
  // line's other strokes (its straight ends, its arrowhead) reach from that stretch's ends. Every
  // pixel of a box's line then lies within its reach, and a pixel more, of its stretch.
  struct TSegment {
    TPoint From;
    TPoint To;
    friend bool operator==(const TSegment&, const TSegment&) = default;
  };
  struct TLines {
    TRect Bounds;
    int Stretches = 0;
    std::array<TSegment, 2> Stretch{};
    std::array<int, 2> Reach{};
    friend bool operator==(const TLines&, const TLines&) = default;
  };
  // What the index holds for the box's or row's lines, brought up to date; none when the index does
  // not know the object.
  std::optional<TLines> Held(const TLinkBox& box);
  std::optional<TLines> Held(const TMethod& caller);

  // Where the lines run now, arrowheads and pen included; empty Bounds when there are none.
  static TLines LinesOf(const TLinkBox& box);
  static TLines LinesOf(const TMethod& caller);

 private:
  struct TEntry {
    TLines Lines;
    TConnectorSource* Source = nullptr;
    bool IsCall = false;
  };
  void Mark(TConnectorSource& source, bool isCall);
  void Remove(TConnectorSource& source);
  void Refresh();
  std::optional<TLines> Held(const TConnectorSource& source);
  friend class TConnectorSource;

  std::function<void()> surfaceMoved_;
  std::vector<TEntry> entries_;
  // Each entry's Bounds again, side by side: a paint of a small part reads them all, and most
  // lines lie elsewhere.
  std::vector<TRect> bounds_;
  // Slots of the objects marked since the last refresh. A slot listed may have been emptied or
  // refilled since; only entries whose object is still marked are worked out.
  std::vector<size_t> dirty_;
};
