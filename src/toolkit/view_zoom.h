// How far the view of a surface is zoomed, and the mapping between the window's pixels and the
// surface's that follows from it. The factor is a whole number per mille (1000 shows every surface
// pixel as one window pixel), so that both directions of the mapping are exact whole-number
// arithmetic: a press always finds the surface pixel drawn under it, and 100 % is the identity.
#pragma once

#include <array>

#include "geometry.h"

// The zoom commands of the surface menu and the keys.
enum class TZoomCommand { In, Out, Actual, WholePage };

class TViewZoom {
 public:
  static constexpr int Actual = 1000;
  static constexpr int Least = 100;
  static constexpr int Most = 8000;
  // The steps the keys and the menu go through.
  static constexpr std::array<int, 11> Steps{100, 250, 500, 750, 1000, 1250, 1500, 2000, 3000, 4000, 8000};
  // A notch of the wheel (120 eighths of a degree) zooms by this factor; finer steps by its power.
  static constexpr double WheelFactor = 1.2;

  TViewZoom() = default;
  explicit TViewZoom(int perMille) : perMille_(Clamp(perMille)) {}

  // The zoom into the pixels of a device that has ratio of them to each pixel of the window (a
  // high-density screen) or of the picture (one written at a scale): not bounded by the view's
  // steps. At ratio 1 the zoom itself.
  TViewZoom OnDevice(double ratio) const;

  int PerMille() const { return perMille_; }
  double Factor() const { return perMille_ / 1000.0; }
  bool IsActual() const { return perMille_ == Actual; }
  friend bool operator==(const TViewZoom&, const TViewZoom&) = default;

  // The window pixel at which the surface coordinate's pixel starts (rounded to the nearest).
  int ToWindow(int surface) const;
  // The surface pixel a window pixel shows: the last one starting at or before it.
  int ToSurface(int window) const;
  TPoint ToSurface(TPoint window) const { return {ToSurface(window.X), ToSurface(window.Y)}; }
  // A surface rectangle's edges in the window: neighbouring rectangles stay neighbours.
  TRect ToWindow(const TRect& surface) const;
  // Every surface pixel that shows in the window rectangle.
  TRect ToSurfaceCovering(const TRect& window) const;
  // A length (a pen's width, a corner's size) in window pixels, at least one where it was.
  int LengthToWindow(int length) const;

  static int Clamp(int perMille);
  // The next step beyond the zoom, in or out; the zoom itself at the end of the steps.
  static int StepIn(int perMille);
  static int StepOut(int perMille);
  // The largest zoom at which a surface of the size shows whole in a view of the size.
  static int Fitting(int viewWidth, int viewHeight, int surfaceWidth, int surfaceHeight);
  // The zoom, as an exact factor, after the wheel turned by the eighths of a degree (120 a notch;
  // touchpads and fine wheels send less, which adds up).
  static double AfterWheel(double factor, int eighths);

 private:
  struct TUnbounded {};
  TViewZoom(int perMille, TUnbounded) : perMille_(perMille) {}

  int perMille_ = Actual;
};
