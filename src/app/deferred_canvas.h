// A canvas that keeps what the diagram draws on it and draws it onto a picture afterwards, leaving
// out every drawing that later drawing covers whole. On a crowded page most boxes lie under other
// boxes; the diagram still runs all of its drawing (painting has side effects it relies on), but
// only what stays in sight is turned into pixels. The picture is the same, pixel for pixel, as the
// drawing done straight onto it with the diagram's Qt canvas.
//
// The drawing may be zoomed: it is given in picture coordinates and kept in those of the pixels it
// becomes (the window's), edges rounded so that boxes side by side stay side by side, pens and
// corners scaled, texts set at the scale. At 100 % the two are one. Leaving out what is covered and
// setting lines straight into the pixels then work alike at every zoom.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "control_host.h"
#include "cover_map.h"
#include "qt_canvas.h"
#include "view_zoom.h"

class DeferredCanvas : public THostCanvas {
 public:
  DeferredCanvas();

  // The host's view of the same: picture coordinates are the host's.
  void SetOrigin(TPoint origin) override { setOrigin(QPoint(origin.X, origin.Y)); }
  void SetClip(const TRect& clip) override { setClip(QRect(clip.Left, clip.Top, clip.Width(), clip.Height())); }
  void ClearClip() override { clearClip(); }
  void Fill(const TRect& box, TColor colour) override {
    fill(QRect(box.Left, box.Top, box.Width(), box.Height()), colour);
  }

  // How far the picture is zoomed into the pixels it becomes; picture coordinates (origins, clips,
  // the painted part, the drawing) stay unzoomed.
  void setZoom(TViewZoom zoom);
  const TViewZoom& zoom() const { return zoom_; }
  // Where the canvas's (0, 0) lies on the picture.
  QPoint origin() const { return origin_; }
  void setOrigin(QPoint origin) { origin_ = origin; }
  // The part of the picture that drawing from now on may touch, in picture coordinates; without
  // one, the whole picture.
  void setClip(const QRect& clip);
  void clearClip() { clipped_ = false; }
  // The part of the picture this paint shows, in picture coordinates: what PaintedPart tells the
  // drawing (with the clip, from the canvas's origin). Without one, the whole plane.
  void setPaintedPart(const QRect& part) { paintedPart_ = part; }
  TRect PaintedPart() const override;
  // Fills the box (picture coordinates, within the clip) with the colour, as a host erases the
  // background of a control before it paints.
  void fill(const QRect& box, TColor colour);
  // The whole picture in pixels, when known: a drawing that covers it whole makes everything kept
  // before it unseen, and it is let go of at once.
  void setWholePicture(const QRect& whole) { whole_ = whole; }

  void Rectangle(int x1, int y1, int x2, int y2) override;
  void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;

  bool isEmpty() const { return ops_.empty(); }
  // From here on, rectangles are in pixels (the zoomed picture's coordinates).
  // The part of the whole picture an image must span for the drawing of the visible part to come
  // out as on the whole picture: Qt draws a shape's outline differently where the edge of the image
  // cuts it, so every shape Qt draws in sight must lie in the image as far as it lies in the whole
  // (or, zoomed and large, is drawn apart).
  QRect pictureFor(const QRect& visible, const QRect& whole) const;
  // Draws everything kept that reaches into the visible part, in order, onto the image, whose
  // top-left pixel stands at imageOrigin of the picture. Then forgets it all.
  void drawOnto(QImage& image, QPoint imageOrigin, const QRect& visible);
  // Forgets everything kept, undrawn.
  void clear();

 private:
  enum class Kind : std::uint8_t { Fill, Rectangle, RoundRect, Polygon, Polyline, Text };
  struct Op {
    Kind kind;
    bool drawn = true;
    bool opaque = false;
    bool clipped = false;
    // In pixels, as everything below: the drawing is kept where it lands in the zoomed picture.
    int penWidth = 1;
    TColor brush = 0;
    TColor pen = 0;
    TColor font = 0;
    QRect clip;
    // Every pixel the drawing may set lies in bounds; when opaque, it sets every pixel of cover. For
    // a shape Qt draws, cover is where the shape lies, clip or not, with room around it: the part of
    // an image that must hold the shape for Qt to draw it as on the whole picture.
    QRect bounds;
    QRect cover;
    // A rectangle's or rounded rectangle's corners, a text's cell, a corner's size.
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, cornerWidth = 0, cornerHeight = 0;
    // Points of a polygon or polyline in points_, or the text's bytes in texts_.
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    // A one-pixel polyline's runs in coveredRuns_, or kNoRuns.
    std::uint32_t runs = kNoRuns;
  };
  static constexpr std::uint32_t kNoRuns = ~std::uint32_t{0};

  // Qt cuts a shape's edges at the edges of the image it draws on, and the pixels along a cut edge
  // come out a little differently all along it: an image that draws a shape holds this much around
  // it, or reaches the whole picture's edge where the shape does.
  static constexpr int kShapeMargin = 64;
  // Zoomed in, a shape in sight may be many times larger than the part shown: past this size it is
  // drawn on a picture of its own rather than widening the picture of the part.
  static constexpr int kLargestShapeInPicture = 512;
  // Where a shape must be drawn whole: its room within the whole picture, when known.
  QRect shapeRoom(const Op& op) const;
  bool drawnApart(const Op& op) const;
  void drawApart(QPainter& target, const Op& op, QPoint imageOrigin);

  // Where a point or the corner of a box (given from the origin) lands in the pixels.
  QPoint pixel(int x, int y) const;
  QRect pixelBox(int x1, int y1, int x2, int y2) const;
  // A picture rectangle's pixels, edges rounded as every corner is.
  QRect pixelRect(const QRect& rect) const;
  // The pen's width in pixels, at least one.
  int pixelPen() const { return zoom_.LengthToWindow(std::max(1, PenWidth())); }
  Op& add(Kind kind, const QRect& bounds);
  // The drawing's box (a rectangle's, a rounded rectangle's, a text's cell) kept as its corners.
  static void setCorners(Op& op, const QRect& box);
  // The drawing just added sets every pixel of its bounds: kept as covering them, or let go of when
  // it has none to set.
  void keepOpaque(Op& op);
  // Keeps the points where they land in the pixels, after those kept before.
  void keepPixels(const std::vector<TPoint>& points);
  // The polygon or polyline just added keeps its points from the first on, or is let go of with them
  // when it has nothing to set.
  void keepPoints(Op& op, size_t first);
  // Lets go of what the opaque drawing just kept covers whole.
  void hideEarlierUnder(const Op& op);
  // Decides which drawings stay in sight: from the last to the first, each one whose pixels all lie
  // under the opaque drawings after it is left out.
  void leaveOutCovered(const QRect& picture);
  // A polyline set straight into the image's pixels, the same pixels the Qt canvas sets (a square of
  // the pen's width at every step of a wide one), leaving out the runs of a one-pixel line that later
  // opaque drawings cover.
  void plotPolyline(uchar* bits, const QImage& image, const Op& op, QPoint imageOrigin) const;
  // Marks the runs of the polyline's slanted segments that lie wholly in blocks the opaque drawings
  // after it cover: on a crowded page most of a line lies under boxes drawn later.
  void markCoveredRuns(Op& op);

  QtCanvas measure_;
  TViewZoom zoom_;
  QPoint origin_;
  QRect clip_;
  QRect pixelClip_;
  bool clipped_ = false;
  QRect paintedPart_;
  QRect whole_;
  std::vector<Op> ops_;
  std::vector<TPoint> points_;
  // The texts, one after the other.
  std::string texts_;
  // While drawing: what the opaque drawings after the one at hand cover; and for the slanted
  // segments of one-pixel lines, one byte per run of kRunSteps steps, set where the run lies in
  // blocks wholly covered only. Leaving such runs out makes a crowded page's paint measurably
  // shorter (docs/performance.md).
  TCoverMap coverMap_;
  static constexpr int kRunSteps = 8;
  std::vector<std::uint8_t> coveredRuns_;
  // Where shapes drawn apart are drawn.
  QImage scratch_;
};
