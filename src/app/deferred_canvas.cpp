#include "deferred_canvas.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
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
  op.opaque = true;
  op.cover = op.bounds;
  if (op.bounds.isEmpty()) {
    ops_.pop_back();
    return;
  }
  hideEarlierUnder(op);
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
  op.first = static_cast<std::uint32_t>(points_.size());
  op.count = static_cast<std::uint32_t>(points.size());
  if (op.bounds.isEmpty()) {
    ops_.pop_back();
    return;
  }
  points_.insert(points_.end(), points.begin(), points.end());
}

void DeferredCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  const int reach = std::max(1, PenWidth());
  Op& op = add(Kind::Polyline, pointBounds(points).translated(origin_).adjusted(-reach, -reach, reach, reach));
  op.first = static_cast<std::uint32_t>(points_.size());
  op.count = static_cast<std::uint32_t>(points.size());
  if (op.bounds.isEmpty()) {
    ops_.pop_back();
    return;
  }
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
  const auto index = static_cast<std::uint32_t>(coverRects_.size());
  coverRects_.push_back(rect);
  const int firstColumn = (rect.left() - maskRect_.left()) / kCellSize;
  const int lastColumn = (rect.right() - maskRect_.left()) / kCellSize;
  const int firstRow = (rect.top() - maskRect_.top()) / kCellSize;
  const int lastRow = (rect.bottom() - maskRect_.top()) / kCellSize;
  for (int y = firstRow; y <= lastRow; ++y)
    for (int x = firstColumn; x <= lastColumn; ++x)
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
  for (auto op = ops_.rbegin(); op != ops_.rend(); ++op) {
    const QRect bounds = op->bounds & picture;
    op->drawn = !bounds.isEmpty();
    // Lines cover nothing, cost little to set and seldom lie wholly under boxes: they are not
    // looked at.
    if (!op->drawn || op->kind == Kind::Polyline) continue;
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
bool SegmentComesNear(TPoint a, TPoint b, const QRect& rect) {
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
  return keep(-dx, a.X - (rect.left() - 1.0)) && keep(dx, (rect.right() + 1.0) - a.X) &&
         keep(-dy, a.Y - (rect.top() - 1.0)) && keep(dy, (rect.bottom() + 1.0) - a.Y);
}
}  // namespace

void DeferredCanvas::plotPolyline(uchar* bits, const QImage& image, const Op& op, QPoint imageOrigin) const {
  const QRect picture(imageOrigin, image.size());
  const QRect limit = (op.clipped ? op.clip & picture : picture).translated(-imageOrigin);
  if (limit.isEmpty()) return;
  const QRgb colour = toQColor(op.pen).rgb();
  const qsizetype stride = image.bytesPerLine();
  auto row = [&](int y) { return reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride); };
  const QPoint shift = op.origin - imageOrigin;
  for (std::uint32_t i = op.first + 1; i < op.first + op.count; ++i) {
    // Each segment leaves out its end point, as the Qt canvas draws it.
    const TPoint a{points_[i - 1].X + shift.x(), points_[i - 1].Y + shift.y()};
    const TPoint b{points_[i].X + shift.x(), points_[i].Y + shift.y()};
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
    if (!SegmentComesNear(a, b, limit)) continue;
    const auto columns = static_cast<unsigned>(limit.width());
    const auto rows = static_cast<unsigned>(limit.height());
    while (x != b.X || y != b.Y) {
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
