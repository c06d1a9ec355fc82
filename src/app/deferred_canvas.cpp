#include "deferred_canvas.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
// The columns and rows of a grid of cells `size` pixels square, laid from the top-left corner of
// `area`, that the box (lying in the area) reaches into, first and last taken.
struct TCellSpan {
  int FirstColumn, LastColumn, FirstRow, LastRow;
};
TCellSpan CellsReached(const QRect& box, const QRect& area, int size) {
  return {(box.left() - area.left()) / size, (box.right() - area.left()) / size, (box.top() - area.top()) / size,
          (box.bottom() - area.top()) / size};
}

// The box from (x1, y1) to (x2, y2) given either way round, as the Qt canvas takes it.
void normalise(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
}

// The smallest rectangle holding every point.
QRect pointBounds(const std::vector<TPoint>& points) {
  int left = points.front().X, right = left, top = points.front().Y, bottom = top;
  for (const TPoint& point : points) {
    left = std::min(left, point.X);
    right = std::max(right, point.X);
    top = std::min(top, point.Y);
    bottom = std::max(bottom, point.Y);
  }
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

bool canPlot(const QImage& image) {
  switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: return true;
    default: return false;
  }
}
}  // namespace

DeferredCanvas::DeferredCanvas() = default;

void DeferredCanvas::setClip(const QRect& clip) {
  clip_ = clip;
  clipped_ = true;
}

DeferredCanvas::Op& DeferredCanvas::add(Kind kind, const QRect& bounds) {
  Op& op = ops_.emplace_back();
  op.kind = kind;
  op.penWidth = PenWidth();
  op.brush = BrushColor();
  op.pen = PenColor();
  op.font = FontColor();
  op.origin = origin_;
  op.clipped = clipped_;
  op.clip = clip_;
  op.bounds = clipped_ ? bounds & clip_ : bounds;
  return op;
}

void DeferredCanvas::fill(const QRect& box, TColor colour) {
  if (box.isEmpty()) return;
  const TColor brush = BrushColor();
  SetBrushColor(colour);
  Op& op = add(Kind::Fill, box);
  SetBrushColor(brush);
  keepOpaque(op);
}

void DeferredCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  normalise(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  // Outline and face together set every pixel of the box.
  Op& op = add(Kind::Rectangle, QRect(origin_ + QPoint(x1, y1), QSize(x2 - x1, y2 - y1)));
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  keepOpaque(op);
}

void DeferredCanvas::keepOpaque(Op& op) {
  op.opaque = true;
  op.cover = op.bounds;
  if (op.bounds.isEmpty()) {
    ops_.pop_back();
    return;
  }
  hideEarlierUnder(op);
}

void DeferredCanvas::hideEarlierUnder(const Op& op) {
  // What an opaque drawing covers whole is never seen: such drawings are let go of at once, so that
  // a picture drawn again and again over itself keeps nothing of the earlier ones, and a control's
  // background erase under its own box costs nothing further.
  if (!whole_.isEmpty() && op.cover.contains(whole_)) {
    Op last = op;
    clear();
    ops_.push_back(last);
    return;
  }
  if (ops_.size() >= 2) {
    const Op& before = ops_[ops_.size() - 2];
    if (before.kind == Kind::Fill && op.cover.contains(before.bounds)) ops_.erase(ops_.end() - 2);
  }
}

void DeferredCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
  normalise(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  // The corners stay as they were; a wide pen reaches past the box, and past it by up to a corner's
  // size where the box is too small for its corners.
  const int reach = 2 * std::max(1, PenWidth()) + std::max(std::abs(cornerWidth), std::abs(cornerHeight)) + 2;
  const QRect shape = QRect(origin_ + QPoint(x1, y1), QSize(x2 - x1, y2 - y1)).adjusted(-reach, -reach, reach, reach);
  Op& op = add(Kind::RoundRect, shape);
  op.cover = shape.adjusted(-kShapeMargin, -kShapeMargin, kShapeMargin, kShapeMargin);
  op.x1 = x1;
  op.y1 = y1;
  op.x2 = x2;
  op.y2 = y2;
  op.cornerWidth = cornerWidth;
  op.cornerHeight = cornerHeight;
  if (op.bounds.isEmpty()) ops_.pop_back();
}

void DeferredCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  const int reach = 2 * std::max(1, PenWidth()) + 2;
  const QRect shape = pointBounds(points).translated(origin_).adjusted(-reach, -reach, reach, reach);
  Op& op = add(Kind::Polygon, shape);
  op.cover = shape.adjusted(-kShapeMargin, -kShapeMargin, kShapeMargin, kShapeMargin);
  keepPoints(op, points);
}

void DeferredCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  const int reach = std::max(1, PenWidth());
  Op& op = add(Kind::Polyline, pointBounds(points).translated(origin_).adjusted(-reach, -reach, reach, reach));
  keepPoints(op, points);
}

void DeferredCanvas::keepPoints(Op& op, const std::vector<TPoint>& points) {
  if (op.bounds.isEmpty()) {
    ops_.pop_back();
    return;
  }
  op.first = static_cast<std::uint32_t>(points_.size());
  op.count = static_cast<std::uint32_t>(points.size());
  points_.insert(points_.end(), points.begin(), points.end());
}

void DeferredCanvas::TextOut(int x, int y, const std::string& text) {
  if (text.empty()) return;
  const QPoint topLeft = origin_ + QPoint(x, y);
  Op& op = add(Kind::Text, measure_.textInk(text).translated(topLeft));
  op.x1 = x;
  op.y1 = y;
  // The text stands on a cell filled with the brush.
  op.opaque = true;
  op.cover = QRect(topLeft, QSize(measure_.TextWidth(text), measure_.TextHeight(text)));
  if (op.clipped) op.cover &= op.clip;
  if (op.bounds.isEmpty()) {
    ops_.pop_back();
    return;
  }
  op.first = static_cast<std::uint32_t>(texts_.size());
  op.count = static_cast<std::uint32_t>(text.size());
  texts_ += text;
}

int DeferredCanvas::TextWidth(const std::string& text) { return measure_.TextWidth(text); }

int DeferredCanvas::TextHeight(const std::string& text) { return measure_.TextHeight(text); }

TRect DeferredCanvas::PaintedPart() const {
  if (paintedPart_.isNull()) return Canvas::PaintedPart();
  const QRect part = (clipped_ ? paintedPart_ & clip_ : paintedPart_).translated(-origin_);
  return {part.left(), part.top(), part.left() + part.width(), part.top() + part.height()};
}

void DeferredCanvas::clear() {
  ops_.clear();
  points_.clear();
  texts_.clear();
}

bool DeferredCanvas::covered(const QRect& rect) const {
  // Most drawings under others lie whole under one of them: that is found without the pixels.
  for (const std::uint32_t index : coverCells_[cellOf(rect.topLeft())]) {
    const QRect& cover = coverRects_[index];
    if (cover.left() <= rect.left() && cover.top() <= rect.top() && cover.right() >= rect.right() &&
        cover.bottom() >= rect.bottom())
      return true;
  }
  const int width = maskRect_.width();
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    const std::uint8_t* row =
        coverMask_.data() + static_cast<size_t>(y - maskRect_.top()) * width + (rect.left() - maskRect_.left());
    if (std::memchr(row, 0, static_cast<size_t>(rect.width()))) return false;
  }
  return true;
}

void DeferredCanvas::cover(const QRect& rect) {
  const int width = maskRect_.width();
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    std::uint8_t* row =
        coverMask_.data() + static_cast<size_t>(y - maskRect_.top()) * width + (rect.left() - maskRect_.left());
    std::memset(row, 1, static_cast<size_t>(rect.width()));
  }
  // The blocks the rectangle covers whole; a block cut by the visible part's right or bottom edge
  // counts as whole when its visible part is.
  const int firstBlockColumn = (rect.left() - maskRect_.left() + kBlockSize - 1) / kBlockSize;
  const int lastBlockColumn = rect.right() == maskRect_.right() ? blockColumns_ - 1
                                                                  : (rect.right() + 1 - maskRect_.left()) / kBlockSize - 1;
  const int firstBlockRow = (rect.top() - maskRect_.top() + kBlockSize - 1) / kBlockSize;
  const int lastBlockRow =
      rect.bottom() == maskRect_.bottom() ? blockRows_ - 1 : (rect.bottom() + 1 - maskRect_.top()) / kBlockSize - 1;
  if (firstBlockColumn <= lastBlockColumn)
    for (int y = firstBlockRow; y <= lastBlockRow; ++y)
      std::memset(blockCovered_.data() + static_cast<size_t>(y * blockColumns_ + firstBlockColumn), 1,
                  static_cast<size_t>(lastBlockColumn - firstBlockColumn + 1));
  const auto index = static_cast<std::uint32_t>(coverRects_.size());
  coverRects_.push_back(rect);
  const TCellSpan cells = CellsReached(rect, maskRect_, kCellSize);
  for (int y = cells.FirstRow; y <= cells.LastRow; ++y)
    for (int x = cells.FirstColumn; x <= cells.LastColumn; ++x)
      coverCells_[static_cast<size_t>(y * cellColumns_ + x)].push_back(index);
}

size_t DeferredCanvas::cellOf(QPoint point) const {
  // Points of the visible part only: the offsets are never negative.
  const int column = (point.x() - maskRect_.left()) / kCellSize;
  const int row = (point.y() - maskRect_.top()) / kCellSize;
  return static_cast<size_t>(row * cellColumns_ + column);
}

void DeferredCanvas::leaveOutCovered(const QRect& picture) {
  maskRect_ = picture;
  coverMask_.assign(static_cast<size_t>(picture.width()) * static_cast<size_t>(picture.height()), 0);
  coverRects_.clear();
  cellColumns_ = (picture.width() + kCellSize - 1) / kCellSize;
  const int cellRows = (picture.height() + kCellSize - 1) / kCellSize;
  coverCells_.resize(static_cast<size_t>(cellColumns_ * cellRows));
  for (auto& cell : coverCells_) cell.clear();
  blockColumns_ = (picture.width() + kBlockSize - 1) / kBlockSize;
  blockRows_ = (picture.height() + kBlockSize - 1) / kBlockSize;
  blockCovered_.assign(static_cast<size_t>(blockColumns_) * static_cast<size_t>(blockRows_), 0);
  coveredRuns_.clear();
  for (auto op = ops_.rbegin(); op != ops_.rend(); ++op) {
    const QRect bounds = op->bounds & picture;
    op->drawn = !bounds.isEmpty();
    op->runs = kNoRuns;
    if (!op->drawn) continue;
    // Lines cover nothing and seldom lie wholly under boxes: what is looked at is which runs of
    // their slanted segments do, for the lines set straight into the pixels.
    if (op->kind == Kind::Polyline) {
      if (op->penWidth <= 1) markCoveredRuns(*op);
      continue;
    }
    if (covered(bounds)) {
      op->drawn = false;
      continue;
    }
    if (op->opaque) {
      const QRect cover = op->cover & picture;
      if (!cover.isEmpty()) this->cover(cover);
    }
  }
}

namespace {
// Whether the straight segment from a to b passes within a pixel of the rectangle. A stepped line
// sets only pixels less than a pixel from its segment, so one whose segment stays farther off sets
// none in it: a small repaint then skips the long slanted lines that only cross its corner's
// neighbourhood, rather than stepping along all of them.
// Where it does, the part of the segment that does lies between the fractions from and to of it.
bool SegmentComesNear(TPoint a, TPoint b, const QRect& rect, double* fromOut = nullptr, double* toOut = nullptr) {
  double from = 0;
  double to = 1;
  const double dx = b.X - a.X;
  const double dy = b.Y - a.Y;
  // Each edge of the rectangle, widened by a pixel, cuts the part of the segment on its far side.
  auto keep = [&](double towards, double room) {
    if (towards == 0) return room >= 0;
    const double t = room / towards;
    if (towards < 0)
      from = std::max(from, t);
    else
      to = std::min(to, t);
    return from <= to;
  };
  if (!(keep(-dx, a.X - (rect.left() - 1.0)) && keep(dx, (rect.right() + 1.0) - a.X) &&
        keep(-dy, a.Y - (rect.top() - 1.0)) && keep(dy, (rect.bottom() + 1.0) - a.Y)))
    return false;
  if (fromOut) *fromOut = from;
  if (toOut) *toOut = to;
  return true;
}

// A slanted segment as the lines step it: from a towards b in as many steps as the longer side,
// the end left out. After k steps the longer side has moved k pixels and the shorter one by the
// exact line's offset rounded, halves upwards; that is where the stepping stands without walking.
struct TSlantedSegment {
  TSlantedSegment(TPoint from, TPoint to)
      : a(from),
        adx(std::abs(to.X - from.X)),
        ady(std::abs(to.Y - from.Y)),
        sx(from.X < to.X ? 1 : -1),
        sy(from.Y < to.Y ? 1 : -1),
        steps(std::max(adx, ady)) {}

  static bool IsSlanted(TPoint from, TPoint to) { return from.X != to.X && from.Y != to.Y; }
  int Runs(int runSteps) const { return (steps + runSteps - 1) / runSteps; }
  TPoint At(long long k) const {
    if (adx >= ady) return {a.X + sx * static_cast<int>(k), a.Y + sy * static_cast<int>((2 * k * ady + adx) / (2LL * adx))};
    return {a.X + sx * static_cast<int>((2 * k * adx + ady) / (2LL * ady)), a.Y + sy * static_cast<int>(k)};
  }
  // The stepping's error term once it stands at p: each step along x adds -ady, along y adds adx.
  int ErrorAt(TPoint p) const {
    const long long alongX = std::abs(p.X - a.X);
    const long long alongY = std::abs(p.Y - a.Y);
    return static_cast<int>(adx - ady - alongX * ady + alongY * adx);
  }

  TPoint a;
  int adx, ady, sx, sy, steps;
};
}  // namespace

void DeferredCanvas::markCoveredRuns(Op& op) {
  op.runs = static_cast<std::uint32_t>(coveredRuns_.size());
  bool anyCovered = false;
  for (std::uint32_t i = op.first + 1; i < op.first + op.count; ++i) {
    const TPoint a{points_[i - 1].X + op.origin.x(), points_[i - 1].Y + op.origin.y()};
    const TPoint b{points_[i].X + op.origin.x(), points_[i].Y + op.origin.y()};
    if (!TSlantedSegment::IsSlanted(a, b)) continue;
    const TSlantedSegment segment(a, b);
    const int runs = segment.Runs(kRunSteps);
    // Only a segment wholly in sight is walked without looking at each pixel first, and only such a
    // walk leaves runs out: the others keep their places here, uncovered.
    if (!maskRect_.contains(a.X, a.Y) || !maskRect_.contains(b.X, b.Y)) {
      coveredRuns_.resize(coveredRuns_.size() + static_cast<size_t>(runs), 0);
      continue;
    }
    // Where the stepping stands at the start of each run, moved on a run at a time: the longer
    // side kRunSteps pixels, the shorter one by whole and remainder of the rounded offset.
    const bool alongX = segment.adx >= segment.ady;
    const long long major = alongX ? segment.adx : segment.ady;
    const long long minor = alongX ? segment.ady : segment.adx;
    const long long divisor = 2 * major;
    const long long wholeStep = 2 * kRunSteps * minor / divisor;
    const long long partStep = 2 * kRunSteps * minor % divisor;
    long long minorAt = major / divisor;  // k = 0: (0 + major) / (2 major)
    long long remainder = major % divisor;
    auto point = [&](long long k, long long minorOffset) {
      return alongX ? TPoint{a.X + segment.sx * static_cast<int>(k), a.Y + segment.sy * static_cast<int>(minorOffset)}
                    : TPoint{a.X + segment.sx * static_cast<int>(minorOffset), a.Y + segment.sy * static_cast<int>(k)};
    };
    for (int run = 0; run < runs; ++run) {
      const long long k = static_cast<long long>(run) * kRunSteps;
      const TPoint start = point(k, minorAt);
      minorAt += wholeStep;
      remainder += partStep;
      if (remainder >= divisor) {
        ++minorAt;
        remainder -= divisor;
      }
      // The run's pixels lie between its start and the next run's start (the segment's end for the
      // last run), both ends taken.
      const TPoint next = k + kRunSteps <= segment.steps ? point(k + kRunSteps, minorAt) : b;
      const bool covered = blocksCovered(QPoint(start.X, start.Y), QPoint(next.X, next.Y));
      coveredRuns_.push_back(covered);
      anyCovered |= covered;
    }
  }
  if (!anyCovered) {
    coveredRuns_.resize(op.runs);
    op.runs = kNoRuns;
  }
}

bool DeferredCanvas::blocksCovered(QPoint from, QPoint to) const {
  // The box with both points in it (QRect::normalized leaves a box one pixel the wrong way round).
  const QRect box(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                  QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
  if (!maskRect_.contains(box)) return false;
  const TCellSpan blocks = CellsReached(box, maskRect_, kBlockSize);
  for (int y = blocks.FirstRow; y <= blocks.LastRow; ++y)
    for (int x = blocks.FirstColumn; x <= blocks.LastColumn; ++x)
      if (!blockCovered_[static_cast<size_t>(y * blockColumns_ + x)]) return false;
  return true;
}

void DeferredCanvas::plotPolyline(uchar* bits, const QImage& image, const Op& op, QPoint imageOrigin) const {
  const QRect picture(imageOrigin, image.size());
  const QRect limit = (op.clipped ? op.clip & picture : picture).translated(-imageOrigin);
  if (limit.isEmpty()) return;
  const QRgb colour = toQColor(op.pen).rgb();
  const qsizetype stride = image.bytesPerLine();
  auto row = [&](int y) { return reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride); };
  const QPoint shift = op.origin - imageOrigin;
  std::uint32_t nextRuns = op.runs;
  for (std::uint32_t i = op.first + 1; i < op.first + op.count; ++i) {
    // Each segment leaves out its end point, as the Qt canvas draws it.
    const TPoint a{points_[i - 1].X + shift.x(), points_[i - 1].Y + shift.y()};
    const TPoint b{points_[i].X + shift.x(), points_[i].Y + shift.y()};
    // The covered runs of slanted segments stand one segment after the other.
    std::uint32_t runs = kNoRuns;
    if (nextRuns != kNoRuns && TSlantedSegment::IsSlanted(a, b)) {
      runs = nextRuns;
      nextRuns += static_cast<std::uint32_t>(TSlantedSegment(a, b).Runs(kRunSteps));
    }
    if (a == b) continue;
    if (!QRect(QPoint(std::min(a.X, b.X), std::min(a.Y, b.Y)), QPoint(std::max(a.X, b.X), std::max(a.Y, b.Y)))
             .intersects(limit))
      continue;
    if (a.Y == b.Y) {
      if (a.Y < limit.top() || a.Y > limit.bottom()) continue;
      const int from = std::max(a.X < b.X ? a.X : b.X + 1, limit.left());
      const int to = std::min((a.X < b.X ? a.X : b.X + 1) + std::abs(b.X - a.X) - 1, limit.right());
      QRgb* line = row(a.Y);
      for (int x = from; x <= to; ++x) line[x] = colour;
      continue;
    }
    if (a.X == b.X) {
      if (a.X < limit.left() || a.X > limit.right()) continue;
      const int from = std::max(a.Y < b.Y ? a.Y : b.Y + 1, limit.top());
      const int to = std::min((a.Y < b.Y ? a.Y : b.Y + 1) + std::abs(b.Y - a.Y) - 1, limit.bottom());
      for (int y = from; y <= to; ++y) row(y)[a.X] = colour;
      continue;
    }
    const int dx = std::abs(b.X - a.X);
    const int dy = -std::abs(b.Y - a.Y);
    const int sx = a.X < b.X ? 1 : -1;
    const int sy = a.Y < b.Y ? 1 : -1;
    int err = dx + dy;
    int x = a.X;
    int y = a.Y;
    if (limit.contains(a.X, a.Y) && limit.contains(b.X, b.Y)) {
      // Wholly in the image: no pixel needs looking at first, and the walk moves through the pixels
      // themselves (a place in the image is one pixel, so reaching the end's pixel is reaching the end).
      const qsizetype down = sy * (stride / static_cast<qsizetype>(sizeof(QRgb)));
      QRgb* pixel = row(y) + x;
      if (runs != kNoRuns) {
        // Run by run, jumping over those that later drawings cover: after a jump the stepping
        // goes on from where it would have stood.
        const TSlantedSegment segment(a, b);
        const std::uint8_t* covered = coveredRuns_.data() + runs;
        const int count = segment.Runs(kRunSteps);
        for (int run = 0; run < count;) {
          if (covered[run]) {
            while (run < count && covered[run]) ++run;
            if (run == count) break;
            const TPoint at = segment.At(static_cast<long long>(run) * kRunSteps);
            err = segment.ErrorAt(at);
            pixel = row(at.Y) + at.X;
          }
          const int stepsHere = std::min(kRunSteps, segment.steps - run * kRunSteps);
          for (int step = 0; step < stepsHere; ++step) {
            *pixel = colour;
            const int e2 = 2 * err;
            const int stepX = e2 >= dy;
            const int stepY = e2 <= dx;
            err += stepX * dy + stepY * dx;
            pixel += stepX * sx + stepY * down;
          }
          ++run;
        }
        continue;
      }
      QRgb* const end = row(b.Y) + b.X;
      while (pixel != end) {
        *pixel = colour;
        const int e2 = 2 * err;
        const int stepX = e2 >= dy;
        const int stepY = e2 <= dx;
        err += stepX * dy + stepY * dx;
        pixel += stepX * sx + stepY * down;
      }
      continue;
    }
    double from = 0;
    double to = 1;
    if (!SegmentComesNear(a, b, limit, &from, &to)) continue;
    // A pixel lies less than a pixel from the exact point of its step, so steps whose exact point
    // stays a pixel off the image set nothing in it: the walk starts and ends where the segment
    // comes near, a step to spare each way.
    const TSlantedSegment segment(a, b);
    const long long firstStep = std::clamp<long long>(static_cast<long long>(from * segment.steps) - 1, 0, segment.steps);
    const long long lastStep = std::clamp<long long>(static_cast<long long>(to * segment.steps) + 2, 0, segment.steps);
    const TPoint start = segment.At(firstStep);
    x = start.X;
    y = start.Y;
    err = segment.ErrorAt(start);
    const auto columns = static_cast<unsigned>(limit.width());
    const auto rows = static_cast<unsigned>(limit.height());
    for (long long step = firstStep; step < lastStep; ++step) {
      if (static_cast<unsigned>(x - limit.left()) < columns && static_cast<unsigned>(y - limit.top()) < rows)
        row(y)[x] = colour;
      const int e2 = 2 * err;
      const int stepX = e2 >= dy;
      const int stepY = e2 <= dx;
      err += stepX * dy + stepY * dx;
      x += stepX * sx;
      y += stepY * sy;
    }
  }
}

QRect DeferredCanvas::pictureFor(const QRect& visible, const QRect& whole) const {
  const QRect sight = visible & whole;
  QRect picture = sight;
  for (const Op& op : ops_)
    if ((op.kind == Kind::RoundRect || op.kind == Kind::Polygon) && op.bounds.intersects(sight))
      picture |= op.cover & whole;
  return picture;
}

void DeferredCanvas::drawOnto(QImage& image, QPoint imageOrigin, const QRect& visible) {
  const QRect sight = visible & QRect(imageOrigin, image.size());
  if (ops_.empty() || sight.isEmpty()) {
    clear();
    return;
  }
  leaveOutCovered(sight);
  // Lines are set straight into the pixels, taken before painting begins so that the painter and
  // the lines share one buffer.
  uchar* const bits = canPlot(image) ? image.bits() : nullptr;
  {
    QPainter painter(&image);
    QtCanvas canvas(painter);
    bool clipping = false;
    QRect clip;
    for (const Op& op : ops_) {
      if (!op.drawn) continue;
      if (op.kind == Kind::Polyline && bits && op.penWidth <= 1) {
        plotPolyline(bits, image, op, imageOrigin);
        continue;
      }
      if (op.clipped) {
        const QRect wanted = op.clip.translated(-imageOrigin);
        if (!clipping || wanted != clip) {
          painter.setClipRect(wanted);
          clip = wanted;
          clipping = true;
        }
      } else if (clipping) {
        painter.setClipping(false);
        clipping = false;
      }
      canvas.SetBrushColor(op.brush);
      canvas.SetPenColor(op.pen);
      canvas.SetPenWidth(op.penWidth);
      canvas.SetFontColor(op.font);
      canvas.setOrigin(op.origin - imageOrigin);
      switch (op.kind) {
        case Kind::Fill: painter.fillRect(op.bounds.translated(-imageOrigin), toQColor(op.brush)); break;
        case Kind::Rectangle: canvas.Rectangle(op.x1, op.y1, op.x2, op.y2); break;
        case Kind::RoundRect:
          canvas.RoundRect(op.x1, op.y1, op.x2, op.y2, op.cornerWidth, op.cornerHeight);
          break;
        case Kind::Polygon:
          canvas.Polygon(std::vector<TPoint>(points_.begin() + op.first, points_.begin() + op.first + op.count));
          break;
        case Kind::Polyline:
          canvas.Polyline(std::vector<TPoint>(points_.begin() + op.first, points_.begin() + op.first + op.count));
          break;
        case Kind::Text: canvas.TextOut(op.x1, op.y1, texts_.substr(op.first, op.count)); break;
      }
    }
  }
  clear();
}
