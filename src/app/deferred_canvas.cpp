#include "deferred_canvas.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include "line_stepper.h"

namespace {
// The smallest rectangle holding every point from the first on.
QRect pointBounds(const std::vector<TPoint>& points, size_t first) {
  int left = points[first].X, right = left, top = points[first].Y, bottom = top;
  for (size_t i = first; i < points.size(); ++i) {
    const TPoint& point = points[i];
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

void DeferredCanvas::setZoom(TViewZoom zoom) {
  zoom_ = zoom;
  if (clipped_) pixelClip_ = pixelRect(clip_);
}

void DeferredCanvas::setClip(const QRect& clip) {
  clip_ = clip;
  pixelClip_ = pixelRect(clip);
  clipped_ = true;
}

QPoint DeferredCanvas::pixel(int x, int y) const {
  return QPoint(zoom_.ToWindow(origin_.x() + x), zoom_.ToWindow(origin_.y() + y));
}

QRect DeferredCanvas::pixelBox(int x1, int y1, int x2, int y2) const {
  const QPoint from = pixel(x1, y1);
  const QPoint to = pixel(x2, y2);
  return QRect(from, QSize(to.x() - from.x(), to.y() - from.y()));
}

QRect DeferredCanvas::pixelRect(const QRect& rect) const {
  if (zoom_.IsActual()) return rect;
  const TRect box = zoom_.ToWindow(TRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
  return QRect(box.Left, box.Top, box.Width(), box.Height());
}

void DeferredCanvas::setCorners(Op& op, const QRect& box) {
  op.x1 = box.left();
  op.y1 = box.top();
  op.x2 = box.left() + box.width();
  op.y2 = box.top() + box.height();
}

DeferredCanvas::Op& DeferredCanvas::add(Kind kind, const QRect& bounds) {
  Op& op = ops_.emplace_back();
  op.kind = kind;
  op.penWidth = pixelPen();
  op.brush = BrushColor();
  op.pen = PenColor();
  op.font = FontColor();
  op.clipped = clipped_;
  op.clip = pixelClip_;
  op.bounds = clipped_ ? bounds & pixelClip_ : bounds;
  return op;
}

void DeferredCanvas::fill(const QRect& box, TColor colour) {
  if (box.isEmpty()) return;
  const TColor brush = BrushColor();
  SetBrushColor(colour);
  Op& op = add(Kind::Fill, pixelRect(box));
  SetBrushColor(brush);
  keepOpaque(op);
}

void DeferredCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  normaliseCorners(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  // Outline and face together set every pixel of the box.
  const QRect box = pixelBox(x1, y1, x2, y2);
  if (box.isEmpty()) return;
  Op& op = add(Kind::Rectangle, box);
  setCorners(op, box);
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
  normaliseCorners(x1, y1, x2, y2);
  if (x2 <= x1 || y2 <= y1) return;
  const QRect box = pixelBox(x1, y1, x2, y2);
  if (box.isEmpty()) return;
  const int cornerPixelsWide = zoom_.LengthToWindow(cornerWidth);
  const int cornerPixelsHigh = zoom_.LengthToWindow(cornerHeight);
  // The corners stay as they were; a wide pen reaches past the box, and past it by up to a corner's
  // size where the box is too small for its corners.
  const int reach = 2 * pixelPen() + std::max(std::abs(cornerPixelsWide), std::abs(cornerPixelsHigh)) + 2;
  const QRect shape = box.adjusted(-reach, -reach, reach, reach);
  Op& op = add(Kind::RoundRect, shape);
  op.cover = shape.adjusted(-kShapeMargin, -kShapeMargin, kShapeMargin, kShapeMargin);
  setCorners(op, box);
  op.cornerWidth = cornerPixelsWide;
  op.cornerHeight = cornerPixelsHigh;
  if (op.bounds.isEmpty()) ops_.pop_back();
}

void DeferredCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  const size_t first = points_.size();
  keepPixels(points);
  const int reach = 2 * pixelPen() + 2;
  const QRect shape = pointBounds(points_, first).adjusted(-reach, -reach, reach, reach);
  Op& op = add(Kind::Polygon, shape);
  op.cover = shape.adjusted(-kShapeMargin, -kShapeMargin, kShapeMargin, kShapeMargin);
  keepPoints(op, first);
}

void DeferredCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  const size_t first = points_.size();
  keepPixels(points);
  const int reach = pixelPen();
  Op& op = add(Kind::Polyline, pointBounds(points_, first).adjusted(-reach, -reach, reach, reach));
  keepPoints(op, first);
}

void DeferredCanvas::keepPixels(const std::vector<TPoint>& points) {
  points_.reserve(points_.size() + points.size());
  for (const TPoint& point : points) {
    const QPoint at = pixel(point.X, point.Y);
    points_.push_back({at.x(), at.y()});
  }
}

void DeferredCanvas::keepPoints(Op& op, size_t first) {
  if (op.bounds.isEmpty()) {
    ops_.pop_back();
    points_.resize(first);
    return;
  }
  op.first = static_cast<std::uint32_t>(first);
  op.count = static_cast<std::uint32_t>(points_.size() - first);
}

void DeferredCanvas::TextOut(int x, int y, const std::string& text) {
  if (text.empty()) return;
  const QRect cell = pixelBox(x, y, x + measure_.TextWidth(text), y + measure_.TextHeight(text));
  QRect ink = measure_.textInk(text).translated(origin_ + QPoint(x, y));
  if (!zoom_.IsActual()) {
    // Letters set at another size round to pixels a little otherwise than the ink measured at 100 %.
    const int margin = 2 + zoom_.LengthToWindow(1);
    ink = pixelRect(ink).adjusted(-margin, -margin, margin, margin);
  }
  Op& op = add(Kind::Text, ink);
  setCorners(op, cell);
  // The text stands on a cell filled with the brush.
  op.opaque = true;
  op.cover = cell;
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

void DeferredCanvas::leaveOutCovered(const QRect& picture) {
  coverMap_.Reset(picture);
  coveredRuns_.clear();
  for (auto op = ops_.rbegin(); op != ops_.rend(); ++op) {
    const QRect bounds = op->bounds & picture;
    op->drawn = !bounds.isEmpty();
    op->runs = kNoRuns;
    if (!op->drawn) continue;
    // Lines cover nothing and seldom lie wholly under boxes: what is looked at is which runs of
    // their slanted segments do, for the lines set straight into the pixels.
    if (op->kind == Kind::Polyline) {
      markCoveredRuns(*op);
      continue;
    }
    if (coverMap_.Covered(bounds)) {
      op->drawn = false;
      continue;
    }
    if (op->opaque) {
      const QRect cover = op->cover & picture;
      if (!cover.isEmpty()) coverMap_.Cover(cover);
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

}  // namespace

void DeferredCanvas::markCoveredRuns(Op& op) {
  op.runs = static_cast<std::uint32_t>(coveredRuns_.size());
  bool anyCovered = false;
  // A wide pen sets a square of its width about every step (a device of many pixels to each of the
  // view's draws every line so): the run's squares must lie in the blocks too.
  const int pen = std::max(1, op.penWidth);
  const int before = (pen - 1) / 2;
  const int after = pen - 1 - before;
  const QRect sight = coverMap_.Picture().adjusted(before, before, -after, -after);
  for (std::uint32_t i = op.first + 1; i < op.first + op.count; ++i) {
    const TPoint a = points_[i - 1];
    const TPoint b = points_[i];
    if (!TLineStepper::IsSlanted(a, b)) continue;
    const TLineStepper line(a, b);
    // A one-pixel line leaves runs out only where its segment lies wholly in sight (only such a walk
    // is not looked at pixel by pixel): the others keep their places here, uncovered. A wide pen's
    // walk looks at each run, and a long line crossing the edge of the part painted, on a device of
    // many pixels to each of the view's, is most of what it draws: runs out of sight stay uncovered.
    if (!sight.contains(a.X, a.Y) || !sight.contains(b.X, b.Y)) {
      const size_t first = coveredRuns_.size();
      coveredRuns_.resize(first + static_cast<size_t>(line.Runs(kRunSteps)), 0);
      double from = 0;
      double to = 1;
      if (pen == 1 || !SegmentComesNear(a, b, sight, &from, &to)) continue;
      // Only the runs near the part in sight are looked at: the rest lie out of it.
      const long long steps = line.Steps();
      const long long firstRun = std::max<long long>(0, static_cast<long long>(from * steps) / kRunSteps - 1);
      const long long lastRun = std::min<long long>(line.Runs(kRunSteps), static_cast<long long>(to * steps) / kRunSteps + 2);
      for (long long run = firstRun; run < lastRun; ++run) {
        const TPoint start = line.At(run * kRunSteps);
        const TPoint next = (run + 1) * kRunSteps <= steps ? line.At((run + 1) * kRunSteps) : b;
        const QPoint least(std::min(start.X, next.X) - before, std::min(start.Y, next.Y) - before);
        const QPoint most(std::max(start.X, next.X) + after, std::max(start.Y, next.Y) + after);
        const bool covered = coverMap_.BlocksCovered(least, most);
        coveredRuns_[first + static_cast<size_t>(run)] = covered;
        anyCovered |= covered;
      }
      continue;
    }
    // A run's pixels lie between its start and the next run's start, both ends taken.
    line.ForEachRun(kRunSteps, b, [&](TPoint start, TPoint next) {
      const QPoint least(std::min(start.X, next.X) - before, std::min(start.Y, next.Y) - before);
      const QPoint most(std::max(start.X, next.X) + after, std::max(start.Y, next.Y) + after);
      const bool covered = coverMap_.BlocksCovered(least, most);
      coveredRuns_.push_back(covered);
      anyCovered |= covered;
    });
  }
  if (!anyCovered) {
    coveredRuns_.resize(op.runs);
    op.runs = kNoRuns;
  }
}

void DeferredCanvas::plotPolyline(uchar* bits, const QImage& image, const Op& op, QPoint imageOrigin) const {
  const QRect picture(imageOrigin, image.size());
  const QRect limit = (op.clipped ? op.clip & picture : picture).translated(-imageOrigin);
  if (limit.isEmpty()) return;
  const QRgb colour = toQColor(op.pen).rgb();
  const qsizetype stride = image.bytesPerLine();
  auto row = [&](int y) { return reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride); };
  const QPoint shift = -imageOrigin;
  // A wide pen sets a square of its width at every step, and widens straight stretches about their
  // middle, as the Qt canvas does; the squares and stretches are set as far as they lie in the limit.
  const int pen = std::max(1, op.penWidth);
  const int half = (pen - 1) / 2;
  auto fillBox = [&](int left, int top, int right, int bottom) {
    left = std::max(left, limit.left());
    right = std::min(right, limit.right());
    top = std::max(top, limit.top());
    bottom = std::min(bottom, limit.bottom());
    for (int y = top; y <= bottom; ++y) {
      QRgb* line = row(y);
      for (int x = left; x <= right; ++x) line[x] = colour;
    }
  };
  std::uint32_t nextRuns = op.runs;
  for (std::uint32_t i = op.first + 1; i < op.first + op.count; ++i) {
    // Each segment leaves out its end point, as the Qt canvas draws it.
    const TPoint a{points_[i - 1].X + shift.x(), points_[i - 1].Y + shift.y()};
    const TPoint b{points_[i].X + shift.x(), points_[i].Y + shift.y()};
    // The covered runs of slanted segments stand one segment after the other.
    std::uint32_t runs = kNoRuns;
    if (nextRuns != kNoRuns && TLineStepper::IsSlanted(a, b)) {
      runs = nextRuns;
      nextRuns += static_cast<std::uint32_t>(TLineStepper(a, b).Runs(kRunSteps));
    }
    if (a == b) continue;
    if (pen > 1) {
      if (a.Y == b.Y || a.X == b.X) {
        const int from = a.Y == b.Y ? (a.X < b.X ? a.X : b.X + 1) : (a.Y < b.Y ? a.Y : b.Y + 1);
        const int length = std::abs(b.X - a.X) + std::abs(b.Y - a.Y);
        if (a.Y == b.Y)
          fillBox(from, a.Y - half, from + length - 1, a.Y - half + pen - 1);
        else
          fillBox(a.X - half, from, a.X - half + pen - 1, from + length - 1);
        continue;
      }
      double from = 0;
      double to = 1;
      if (!SegmentComesNear(a, b, limit.adjusted(-pen, -pen, pen, pen), &from, &to)) continue;
      TLineStepper line(a, b);
      const long long firstStep = std::clamp<long long>(static_cast<long long>(from * line.Steps()) - 1, 0, line.Steps());
      const long long lastStep = std::clamp<long long>(static_cast<long long>(to * line.Steps()) + 2, 0, line.Steps());
      line.JumpTo(firstStep);
      int movedX = 0;
      int movedY = 0;
      // Squares wholly in the image are set without cutting them to it first.
      const QRect inside = limit.adjusted(half, half, -(pen - 1 - half), -(pen - 1 - half));
      const auto insideColumns = static_cast<unsigned>(std::max(0, inside.width()));
      const auto insideRows = static_cast<unsigned>(std::max(0, inside.height()));
      // Runs that later drawings cover are jumped over, as for a one-pixel line.
      const std::uint8_t* covered = runs == kNoRuns ? nullptr : coveredRuns_.data() + runs;
      for (long long step = firstStep; step < lastStep;) {
        if (covered && covered[step / kRunSteps]) {
          long long run = step / kRunSteps;
          while (run * kRunSteps < lastStep && covered[run]) ++run;
          step = run * kRunSteps;
          if (step >= lastStep) break;
          line.JumpTo(step);
          continue;
        }
        const int left = line.X() - half;
        const int top = line.Y() - half;
        if (static_cast<unsigned>(line.X() - inside.left()) < insideColumns &&
            static_cast<unsigned>(line.Y() - inside.top()) < insideRows) {
          for (int y = top; y < top + pen; ++y) std::fill_n(row(y) + left, pen, colour);
        } else {
          fillBox(left, top, left + pen - 1, top + pen - 1);
        }
        line.Step(movedX, movedY);
        ++step;
      }
      continue;
    }
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
    TLineStepper line(a, b);
    int movedX = 0;
    int movedY = 0;
    if (limit.contains(a.X, a.Y) && limit.contains(b.X, b.Y)) {
      // Wholly in the image: no pixel needs looking at first, and the walk moves through the pixels
      // themselves.
      const qsizetype down = line.DirectionY() * (stride / static_cast<qsizetype>(sizeof(QRgb)));
      const int across = line.DirectionX();
      QRgb* pixel = row(a.Y) + a.X;
      auto walk = [&](int steps) {
        for (int step = 0; step < steps; ++step) {
          *pixel = colour;
          line.Step(movedX, movedY);
          pixel += movedX * across + movedY * down;
        }
      };
      if (runs == kNoRuns) {
        walk(line.Steps());
        continue;
      }
      // Run by run, jumping over those that later drawings cover: after a jump the stepping goes on
      // from where it would have stood.
      const std::uint8_t* covered = coveredRuns_.data() + runs;
      const int count = line.Runs(kRunSteps);
      for (int run = 0; run < count;) {
        if (covered[run]) {
          while (run < count && covered[run]) ++run;
          if (run == count) break;
          line.JumpTo(static_cast<long long>(run) * kRunSteps);
          pixel = row(line.Y()) + line.X();
        }
        walk(std::min(kRunSteps, line.Steps() - run * kRunSteps));
        ++run;
      }
      continue;
    }
    double from = 0;
    double to = 1;
    if (!SegmentComesNear(a, b, limit, &from, &to)) continue;
    // A pixel lies less than a pixel from the exact point of its step, so steps whose exact point
    // stays a pixel off the image set nothing in it: the walk starts and ends where the segment
    // comes near, a step to spare each way.
    const long long firstStep = std::clamp<long long>(static_cast<long long>(from * line.Steps()) - 1, 0, line.Steps());
    const long long lastStep = std::clamp<long long>(static_cast<long long>(to * line.Steps()) + 2, 0, line.Steps());
    line.JumpTo(firstStep);
    const auto columns = static_cast<unsigned>(limit.width());
    const auto rows = static_cast<unsigned>(limit.height());
    for (long long step = firstStep; step < lastStep; ++step) {
      if (static_cast<unsigned>(line.X() - limit.left()) < columns && static_cast<unsigned>(line.Y() - limit.top()) < rows)
        row(line.Y())[line.X()] = colour;
      line.Step(movedX, movedY);
    }
  }
}

QRect DeferredCanvas::shapeRoom(const Op& op) const { return whole_.isEmpty() ? op.cover : op.cover & whole_; }

bool DeferredCanvas::drawnApart(const Op& op) const {
  const QRect room = shapeRoom(op);
  return !zoom_.IsActual() && (room.width() > kLargestShapeInPicture || room.height() > kLargestShapeInPicture);
}

QRect DeferredCanvas::pictureFor(const QRect& visible, const QRect& whole) const {
  const QRect sight = visible & whole;
  QRect picture = sight;
  for (const Op& op : ops_)
    if ((op.kind == Kind::RoundRect || op.kind == Kind::Polygon) && op.bounds.intersects(sight) && !drawnApart(op))
      picture |= op.cover & whole;
    // Qt sets smoothed letters that begin left of or above the picture a little otherwise than on the
    // whole picture, so a zoomed text is drawn whole too.
    else if (op.kind == Kind::Text && !zoom_.IsActual() && op.bounds.intersects(sight))
      picture |= op.bounds & whole;
  return picture;
}

void DeferredCanvas::drawApart(QPainter& target, const Op& op, QPoint imageOrigin) {
  // Drawn whole on a transparent picture of its own, then set where it shows: an outline Qt draws
  // without antialiasing sets each pixel fully or not at all, so the pixels are those it would set
  // on the whole picture.
  const QRect room = shapeRoom(op);
  if (scratch_.width() < room.width() || scratch_.height() < room.height())
    scratch_ = QImage(std::max(scratch_.width(), room.width()), std::max(scratch_.height(), room.height()),
                      QImage::Format_ARGB32_Premultiplied);
  {
    QPainter painter(&scratch_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(), room.size()), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QtCanvas canvas(painter);
    canvas.SetBrushColor(op.brush);
    canvas.SetPenColor(op.pen);
    canvas.SetPenWidth(op.penWidth);
    canvas.setOrigin(-room.topLeft());
    if (op.kind == Kind::RoundRect)
      canvas.RoundRect(op.x1, op.y1, op.x2, op.y2, op.cornerWidth, op.cornerHeight);
    else
      canvas.Polygon(std::vector<TPoint>(points_.begin() + op.first, points_.begin() + op.first + op.count));
  }
  target.drawImage(room.topLeft() - imageOrigin, scratch_, QRect(QPoint(), room.size()));
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
      if (op.kind == Kind::Polyline && bits) {
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
      canvas.setOrigin(-imageOrigin);
      switch (op.kind) {
        case Kind::Fill: painter.fillRect(op.bounds.translated(-imageOrigin), toQColor(op.brush)); break;
        case Kind::Rectangle: canvas.Rectangle(op.x1, op.y1, op.x2, op.y2); break;
        case Kind::RoundRect:
          if (drawnApart(op))
            drawApart(painter, op, imageOrigin);
          else
            canvas.RoundRect(op.x1, op.y1, op.x2, op.y2, op.cornerWidth, op.cornerHeight);
          break;
        case Kind::Polygon:
          if (drawnApart(op))
            drawApart(painter, op, imageOrigin);
          else
            canvas.Polygon(std::vector<TPoint>(points_.begin() + op.first, points_.begin() + op.first + op.count));
          break;
        case Kind::Polyline:
          canvas.Polyline(std::vector<TPoint>(points_.begin() + op.first, points_.begin() + op.first + op.count));
          break;
        case Kind::Text:
          if (zoom_.IsActual())
            canvas.TextOut(op.x1, op.y1, texts_.substr(op.first, op.count));
          else
            canvas.drawScaledText(QRect(op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1), zoom_.Factor(),
                                  texts_.substr(op.first, op.count));
          break;
      }
    }
  }
  clear();
}
