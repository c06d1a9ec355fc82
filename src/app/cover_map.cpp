#include "cover_map.h"

#include <algorithm>
#include <cstring>

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
}  // namespace

void TCoverMap::Reset(const QRect& picture) {
  picture_ = picture;
  mask_.assign(static_cast<size_t>(picture.width()) * static_cast<size_t>(picture.height()), 0);
  rects_.clear();
  cellColumns_ = (picture.width() + kCellSize - 1) / kCellSize;
  const int cellRows = (picture.height() + kCellSize - 1) / kCellSize;
  cells_.resize(static_cast<size_t>(cellColumns_ * cellRows));
  for (auto& cell : cells_) cell.clear();
  blockColumns_ = (picture.width() + kBlockSize - 1) / kBlockSize;
  blockRows_ = (picture.height() + kBlockSize - 1) / kBlockSize;
  blocks_.assign(static_cast<size_t>(blockColumns_) * static_cast<size_t>(blockRows_), 0);
}

size_t TCoverMap::CellOf(QPoint point) const {
  // Points of the picture only: the offsets are never negative.
  const int column = (point.x() - picture_.left()) / kCellSize;
  const int row = (point.y() - picture_.top()) / kCellSize;
  return static_cast<size_t>(row * cellColumns_ + column);
}

bool TCoverMap::Covered(const QRect& rect) const {
  for (const std::uint32_t index : cells_[CellOf(rect.topLeft())]) {
    const QRect& cover = rects_[index];
    if (cover.left() <= rect.left() && cover.top() <= rect.top() && cover.right() >= rect.right() &&
        cover.bottom() >= rect.bottom())
      return true;
  }
  const int width = picture_.width();
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    const std::uint8_t* row =
        mask_.data() + static_cast<size_t>(y - picture_.top()) * width + (rect.left() - picture_.left());
    if (std::memchr(row, 0, static_cast<size_t>(rect.width()))) return false;
  }
  return true;
}

void TCoverMap::Cover(const QRect& rect) {
  const int width = picture_.width();
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    std::uint8_t* row = mask_.data() + static_cast<size_t>(y - picture_.top()) * width + (rect.left() - picture_.left());
    std::memset(row, 1, static_cast<size_t>(rect.width()));
  }
  const int firstBlockColumn = (rect.left() - picture_.left() + kBlockSize - 1) / kBlockSize;
  const int lastBlockColumn =
      rect.right() == picture_.right() ? blockColumns_ - 1 : (rect.right() + 1 - picture_.left()) / kBlockSize - 1;
  const int firstBlockRow = (rect.top() - picture_.top() + kBlockSize - 1) / kBlockSize;
  const int lastBlockRow =
      rect.bottom() == picture_.bottom() ? blockRows_ - 1 : (rect.bottom() + 1 - picture_.top()) / kBlockSize - 1;
  if (firstBlockColumn <= lastBlockColumn)
    for (int y = firstBlockRow; y <= lastBlockRow; ++y)
      std::memset(blocks_.data() + static_cast<size_t>(y * blockColumns_ + firstBlockColumn), 1,
                  static_cast<size_t>(lastBlockColumn - firstBlockColumn + 1));
  const auto index = static_cast<std::uint32_t>(rects_.size());
  rects_.push_back(rect);
  const TCellSpan cells = CellsReached(rect, picture_, kCellSize);
  for (int y = cells.FirstRow; y <= cells.LastRow; ++y)
    for (int x = cells.FirstColumn; x <= cells.LastColumn; ++x)
      cells_[static_cast<size_t>(y * cellColumns_ + x)].push_back(index);
}

bool TCoverMap::BlocksCovered(QPoint from, QPoint to) const {
  // The box with both points in it (QRect::normalized leaves a box one pixel the wrong way round).
  const QRect box(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                  QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())));
  if (!picture_.contains(box)) return false;
  const TCellSpan blocks = CellsReached(box, picture_, kBlockSize);
  for (int y = blocks.FirstRow; y <= blocks.LastRow; ++y)
    for (int x = blocks.FirstColumn; x <= blocks.LastColumn; ++x)
      if (!blocks_[static_cast<size_t>(y * blockColumns_ + x)]) return false;
  return true;
}
