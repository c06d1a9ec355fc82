// Points and rectangles in pixels; a rectangle covers Left..Right-1 and Top..Bottom-1.
#pragma once

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  // The other lies wholly within this one.
  bool Encloses(const TRect& other) const {
    return other.Left >= Left && other.Right <= Right && other.Top >= Top && other.Bottom <= Bottom;
  }
  bool Intersects(const TRect& other) const {
    return Left < other.Right && other.Left < Right && Top < other.Bottom && other.Top < Bottom;
  }
  friend bool operator==(const TRect&, const TRect&) = default;
};

// The part two rectangles share; empty when they do not meet.
inline TRect Intersection(const TRect& a, const TRect& b) {
  const TRect shared{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
                     a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
  return shared.IsEmpty() ? TRect{} : shared;
}

// The smallest rectangle holding both.
inline TRect Union(const TRect& a, const TRect& b) {
  return {a.Left < b.Left ? a.Left : b.Left, a.Top < b.Top ? a.Top : b.Top, a.Right > b.Right ? a.Right : b.Right,
          a.Bottom > b.Bottom ? a.Bottom : b.Bottom};
}
