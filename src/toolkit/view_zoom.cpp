#include "view_zoom.h"

#include <algorithm>
#include <cmath>

namespace {
long long FloorDiv(long long a, long long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int Saturate(long long value) {
  return static_cast<int>(std::clamp<long long>(value, -(1LL << 30), 1LL << 30));
}
}  // namespace

TViewZoom TViewZoom::OnDevice(double ratio) const {
  if (ratio == 1.0 || !(ratio > 0)) return *this;
  // Bounded only so that the window's coordinates stay far within an int: a whole surface at the
  // view's largest zoom on a device of 16 pixels to each.
  const double perMille = std::clamp(std::round(perMille_ * ratio), 1.0, 16.0 * Most);
  return TViewZoom(static_cast<int>(perMille), TUnbounded{});
}

int TViewZoom::ToWindow(int surface) const {
  if (perMille_ == Actual) return surface;
  return Saturate(FloorDiv(static_cast<long long>(surface) * perMille_ + Actual / 2, Actual));
}

int TViewZoom::ToSurface(int window) const {
  if (perMille_ == Actual) return window;
  // The last surface pixel d with ToWindow(d) <= window: d * zoom + 500 < 1000 * (window + 1).
  return Saturate(FloorDiv(static_cast<long long>(window) * Actual + Actual / 2 - 1, perMille_));
}

TRect TViewZoom::ToWindow(const TRect& surface) const {
  return {ToWindow(surface.Left), ToWindow(surface.Top), ToWindow(surface.Right), ToWindow(surface.Bottom)};
}

TRect TViewZoom::ToSurfaceCovering(const TRect& window) const {
  if (window.IsEmpty()) return {};
  return {ToSurface(window.Left), ToSurface(window.Top), ToSurface(window.Right - 1) + 1, ToSurface(window.Bottom - 1) + 1};
}

int TViewZoom::LengthToWindow(int length) const {
  if (perMille_ == Actual || length == 0) return length;
  const long long scaled = (static_cast<long long>(length < 0 ? -length : length) * perMille_ + Actual / 2) / Actual;
  const int whole = Saturate(std::max<long long>(1, scaled));
  return length < 0 ? -whole : whole;
}

int TViewZoom::Clamp(int perMille) { return std::clamp(perMille, Least, Most); }

int TViewZoom::StepIn(int perMille) {
  for (const int step : Steps)
    if (step > perMille) return step;
  return Clamp(perMille);
}

int TViewZoom::StepOut(int perMille) {
  for (auto step = Steps.rbegin(); step != Steps.rend(); ++step)
    if (*step < perMille) return *step;
  return Clamp(perMille);
}

int TViewZoom::Fitting(int viewWidth, int viewHeight, int surfaceWidth, int surfaceHeight) {
  if (surfaceWidth <= 0 || surfaceHeight <= 0) return Actual;
  // Rounded down, so that the surface's last pixel still stands inside the view.
  const long long across = static_cast<long long>(std::max(0, viewWidth)) * Actual / surfaceWidth;
  const long long down = static_cast<long long>(std::max(0, viewHeight)) * Actual / surfaceHeight;
  return Clamp(static_cast<int>(std::min({across, down, static_cast<long long>(Most)})));
}

double TViewZoom::AfterWheel(double factor, int eighths) {
  const double turned = factor * std::pow(WheelFactor, eighths / 120.0);
  return std::clamp(turned, Least / 1000.0, Most / 1000.0);
}
