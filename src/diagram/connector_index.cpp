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
  }
  source.MarkLinesMoved();
}

void TConnectorIndex::Remove(TConnectorSource& source) {
  const size_t slot = source.slot_;
  source.index_ = nullptr;
  if (slot + 1 != entries_.size()) {
    entries_[slot] = entries_.back();
    entries_[slot].Source->slot_ = slot;
    if (entries_[slot].Source->dirty_) dirty_.push_back(slot);
  }
  entries_.pop_back();
}

void TConnectorIndex::Refresh() {
  for (const size_t slot : dirty_) {
    if (slot >= entries_.size() || !entries_[slot].Source->dirty_) continue;
    TEntry& entry = entries_[slot];
    entry.Lines = entry.IsCall ? LinesOf(static_cast<const TMethod&>(*entry.Source))
                               : LinesOf(static_cast<const TLinkBox&>(*entry.Source));
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
  // The part grown by the reach, so that a stretch passing near enough for its pen, its straight
  // ends or its arrowheads to show is taken.
  const TWideRect near{static_cast<long long>(part.Left) - TLines::ReachX, static_cast<long long>(part.Top) - TLines::ReachY,
                       static_cast<long long>(part.Right) + TLines::ReachX, static_cast<long long>(part.Bottom) + TLines::ReachY};
  for (const TEntry& entry : entries_) {
    const TLines& lines = entry.Lines;
    if (lines.Bounds.IsEmpty() || !lines.Bounds.Intersects(part)) continue;
    if (entry.IsCall) {
      found.push_back({nullptr, static_cast<TMethod*>(entry.Source)});
      continue;
    }
    for (int i = 0; i < lines.Stretches; ++i) {
      if (StretchMeets(lines.From[i], lines.To[i], near)) {
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
TRect Around(long long left, long long top, long long right, long long bottom) {
  using TLines = TConnectorIndex::TLines;
  auto fit = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
  return {fit(left - TLines::ReachX), fit(top - TLines::ReachY), fit(right + TLines::ReachX + 1),
          fit(bottom + TLines::ReachY + 1)};
}
}  // namespace

TConnectorIndex::TLines TConnectorIndex::LinesOf(const TLinkBox& box) {
  // The slanted stretch of each line joins the points 10 pixels out from the two sides; the
  // straight ends and arrowheads lie within the reach of its ends.
  TLines lines;
  long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
  for (const TRow* row : {box.SourceRow(), box.TargetRow()}) {
    if (!row) continue;
    const auto ends = ConnectorEnds(box.Anchors(), row->Anchors());
    if (!ends) continue;
    const int out = 10 * ends->Toward;
    const TPoint from{ends->Box.X + out, ends->Box.Y};
    const TPoint to{ends->Member.X - out, ends->Member.Y};
    lines.From[lines.Stretches] = from;
    lines.To[lines.Stretches] = to;
    ++lines.Stretches;
    left = std::min<long long>({left, from.X, to.X});
    right = std::max<long long>({right, from.X, to.X});
    top = std::min<long long>({top, from.Y, to.Y});
    bottom = std::max<long long>({bottom, from.Y, to.Y});
  }
  if (lines.Stretches > 0) lines.Bounds = Around(left, top, right, bottom);
  return lines;
}

TConnectorIndex::TLines TConnectorIndex::LinesOf(const TMethod& caller) {
  TLines lines;
  const TMethod* called = caller.CallMethod();
  if (!called || called->OwnerEntity() != caller.OwnerEntity()) return lines;
  // As the call line is drawn: out to the right of the rows by a spacing that grows with the
  // number of calls its entity had when the call was made.
  const long long spacing = 5LL * caller.CallMethodLineDistance();
  const long long offset = spacing > 1 ? 11 * spacing - 1 : 0;
  const TAnchorPoints& from = caller.Anchors();
  const TAnchorPoints& to = called->Anchors();
  lines.Bounds = Around(std::min(from.RightX, to.RightX) + offset, std::min(from.Y, to.Y),
                        std::max(from.RightX, to.RightX) + offset + 10, std::max(from.Y, to.Y));
  return lines;
}
