// Which pixels of the part of a picture in sight the opaque drawings after the one at hand cover,
// for the deferred canvas's pass from the last drawing back: one byte a pixel, the drawings'
// rectangles listed by the cells of a grid they reach into (most drawings under others lie whole
// under one of them, which is found without the pixels), and the 8 by 8 blocks one drawing alone
// covers whole (so that a line's runs can be told covered cheaply).
#pragma once

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

class TCoverMap {
 public:
  static constexpr int kBlockSize = 8;

  // Nothing covered, for the part of the picture in sight.
  void Reset(const QRect& picture);
  const QRect& Picture() const { return picture_; }
  // Whether every pixel of the rectangle (lying in the picture) is covered.
  bool Covered(const QRect& rect) const;
  // The rectangle (lying in the picture) is covered from now on.
  void Cover(const QRect& rect);
  // Whether the blocks the box of the two points reaches into are all covered whole; false for a
  // box reaching out of the picture.
  bool BlocksCovered(QPoint from, QPoint to) const;

 private:
  static constexpr int kCellSize = 64;
  size_t CellOf(QPoint point) const;

  QRect picture_;
  std::vector<std::uint8_t> mask_;
  std::vector<QRect> rects_;
  std::vector<std::vector<std::uint32_t>> cells_;
  int cellColumns_ = 0;
  // A block cut by the picture's right or bottom edge counts as whole when its part in sight is.
  std::vector<std::uint8_t> blocks_;
  int blockColumns_ = 0;
  int blockRows_ = 0;
};
