#include "connector_index.h"

#include <algorithm>
#include <climits>
#include <initializer_list>

#include "diagram_types.h"
#include "link_box.h"
#include "method.h"
#include "row.h"

TConnectorSource::~TConnectorSource() {
  if (index_) index_->Remove(*this);
}

bool TConnectorSource::MarkLinesMoved() {
  if (!index_) return false;
  if (!dirty_) {
    dirty_ = true;
    // Once between two paints, not at every move: a page showing moves every line several times.
    if (index_->dirty_.empty() && index_->surfaceMoved_) index_->surfaceMoved_();
    index_->dirty_.push_back(slot_);
  }
  return true;
}

TConnectorIndex::~TConnectorIndex() {
  for (TEntry& entry : entries_) entry.Source->index_ = nullptr;
}

void TConnectorIndex::Moved(TLinkBox& box) { Mark(box, false); }
void TConnectorIndex::Moved(TMethod& caller) { Mark(caller, true); }

void TConnectorIndex::Mark(TConnectorSource& source, bool isCall) {
  if (!source.index_) {
    source.index_ = this;
    source.slot_ = entries_.size();
    source.dirty_ = false;
    entries_.push_back({TLines{}, &source, isCall});
    bounds_.push_back({});
  }
  source.MarkLinesMoved();
}

void TConnectorIndex::Remove(TConnectorSource& source) {
  const size_t slot = source.slot_;
  source.index_ = nullptr;
  if (slot + 1 != entries_.size()) {
    entries_[slot] = entries_.back();
    bounds_[slot] = bounds_.back();
    entries_[slot].Source->slot_ = slot;
    if (entries_[slot].Source->dirty_) dirty_.push_back(slot);
  }
  entries_.pop_back();
  bounds_.pop_back();
}

void TConnectorIndex::Refresh() {
  for (const size_t slot : dirty_) {
    if (slot >= entries_.size() || !entries_[slot].Source->dirty_) continue;
    TEntry& entry = entries_[slot];
    entry.Lines = entry.IsCall ? LinesOf(static_cast<const TMethod&>(*entry.Source))
                               : LinesOf(static_cast<const TLinkBox&>(*entry.Source));
    bounds_[slot] = entry.Lines.Bounds;
    entry.Source->dirty_ = false;
  }
  dirty_.clear();
}

namespace {
struct TWideRect {
  long long Left, Top, Right, Bottom;
};

// Whether the stretch from a to b has a point in the rectangle (edges included): its box meets the
// rectangle, and the rectangle's corners do not all lie strictly on one side of its line.
bool StretchMeets(TPoint a, TPoint b, const TWideRect& r) {
  if (std::max(a.X, b.X) < r.Left || std::min(a.X, b.X) > r.Right || std::max(a.Y, b.Y) < r.Top ||
      std::min(a.Y, b.Y) > r.Bottom)
    return false;
  const long long dx = static_cast<long long>(b.X) - a.X;
  const long long dy = static_cast<long long>(b.Y) - a.Y;
  auto side = [&](long long x, long long y) {
    const long long cross = dx * (y - a.Y) - dy * (x - a.X);
    return (cross > 0) - (cross < 0);
  };
  const int s1 = side(r.Left, r.Top);
  const int s2 = side(r.Right, r.Top);
  const int s3 = side(r.Left, r.Bottom);
  const int s4 = side(r.Right, r.Bottom);
  return !((s1 > 0 && s2 > 0 && s3 > 0 && s4 > 0) || (s1 < 0 && s2 < 0 && s3 < 0 && s4 < 0));
}
}  // namespace

void TConnectorIndex::Collect(const TRect& part, std::vector<TFound>& found) {
  Refresh();
  if (part.IsEmpty()) return;
  for (size_t slot = 0; slot < entries_.size(); ++slot) {
    if (bounds_[slot].IsEmpty() || !bounds_[slot].Intersects(part)) continue;
    const TEntry& entry = entries_[slot];
    if (entry.IsCall) {
      found.push_back({nullptr, static_cast<TMethod*>(entry.Source)});
      continue;
    }
    const TLines& lines = entry.Lines;
    for (int i = 0; i < lines.Stretches; ++i) {
      // The part grown by the line's reach, and a pixel for the course of the pen.
      const long long reach = lines.Reach[static_cast<size_t>(i)] + 1LL;
      const TWideRect near{part.Left - reach, part.Top - reach, part.Right + reach, part.Bottom + reach};
      const TSegment& stretch = lines.Stretch[static_cast<size_t>(i)];
      if (StretchMeets(stretch.From, stretch.To, near)) {
        found.push_back({static_cast<TLinkBox*>(entry.Source), nullptr});
        break;
      }
    }
  }
}

std::optional<TConnectorIndex::TLines> TConnectorIndex::Held(const TConnectorSource& source) {
  if (source.index_ != this) return std::nullopt;
  Refresh();
  return entries_[source.slot_].Lines;
}

std::optional<TConnectorIndex::TLines> TConnectorIndex::Held(const TLinkBox& box) {
  return Held(static_cast<const TConnectorSource&>(box));
}

std::optional<TConnectorIndex::TLines> TConnectorIndex::Held(const TMethod& caller) {
  return Held(static_cast<const TConnectorSource&>(caller));
}

namespace {
struct TExtent {
  long long Left = LLONG_MAX, Top = LLONG_MAX, Right = LLONG_MIN, Bottom = LLONG_MIN;
  void Add(TPoint point) {
    Left = std::min<long long>(Left, point.X);
    Top = std::min<long long>(Top, point.Y);
    Right = std::max<long long>(Right, point.X);
    Bottom = std::max<long long>(Bottom, point.Y);
  }
  // A pixel around the points: a pen's pixel may lie half a pixel off a stroke's exact course.
  TRect Around() const {
    if (Left > Right) return {};
    auto fit = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
    return {fit(Left - 1), fit(Top - 1), fit(Right + 2), fit(Bottom + 2)};
  }
};

void AddStrokes(TExtent& extent, const TConnectorShape& shape) {
  for (int s = 0; s < shape.Count; ++s) {
    const TStroke& stroke = shape.Strokes[static_cast<size_t>(s)];
    for (int p = 0; p < stroke.Count; ++p) extent.Add(stroke.Points[static_cast<size_t>(p)]);
  }
}

long long Apart(TPoint a, TPoint b) {
  return std::max(std::llabs(static_cast<long long>(a.X) - b.X), std::llabs(static_cast<long long>(a.Y) - b.Y));
}
}  // namespace

TConnectorIndex::TLines TConnectorIndex::LinesOf(const TLinkBox& box) {
  TLines lines;
  TExtent extent;
  for (const TRow* row : {box.SourceRow(), box.TargetRow()}) {
    if (!row) continue;
    const auto shape = box.LineShapeTo(*row);
    if (!shape) continue;
    AddStrokes(extent, *shape);
    // The line's own stretch is the middle of its first stroke: the long way from the box's side to
    // the row's; everything else of the line stands near one of its ends.
    const TStroke& line = shape->Strokes[0];
    const TSegment stretch{line.Points[1], line.Points[2]};
    long long reach = 0;
    for (int s = 0; s < shape->Count; ++s) {
      const TStroke& stroke = shape->Strokes[static_cast<size_t>(s)];
      for (int p = 0; p < stroke.Count; ++p) {
        const TPoint point = stroke.Points[static_cast<size_t>(p)];
        reach = std::max(reach, std::min(Apart(point, stretch.From), Apart(point, stretch.To)));
      }
    }
    lines.Stretch[static_cast<size_t>(lines.Stretches)] = stretch;
    lines.Reach[static_cast<size_t>(lines.Stretches)] = static_cast<int>(std::min<long long>(reach, INT_MAX - 1));
    ++lines.Stretches;
  }
  lines.Bounds = extent.Around();
  return lines;
}

TConnectorIndex::TLines TConnectorIndex::LinesOf(const TMethod& caller) {
  TLines lines;
  const TMethod* called = caller.CallMethod();
  if (!called || called->OwnerEntity() != caller.OwnerEntity()) return lines;
  // A bracket runs along its rectangle's sides: the rectangle is where it lies.
  TExtent extent;
  AddStrokes(extent, CallLineShape(caller.Anchors(), called->Anchors(), 5LL * caller.CallMethodLineDistance()));
  lines.Bounds = extent.Around();
  return lines;
}
