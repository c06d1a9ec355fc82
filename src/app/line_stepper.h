// How a one-pixel line is stepped from its first point towards its last, the last itself left out:
// as many steps as its longer side, each one pixel along the longer side and, where the error term
// says, one along the shorter (the classic rule). Both Qt canvases set a line's pixels by it, so
// that they set the same ones. Where the stepping stands after k steps has a closed form (the
// longer side moved k pixels, the shorter by the exact line's offset rounded, halves upwards), so a
// walk may start anywhere along the line and the runs of a line can be told without walking it.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "geometry.h"

class TLineStepper {
 public:
  TLineStepper(TPoint from, TPoint to)
      : from_(from),
        adx_(std::abs(to.X - from.X)),
        ady_(std::abs(to.Y - from.Y)),
        sx_(from.X < to.X ? 1 : -1),
        sy_(from.Y < to.Y ? 1 : -1),
        steps_(std::max(adx_, ady_)),
        x_(from.X),
        y_(from.Y),
        err_(adx_ - ady_) {}

  static bool IsSlanted(TPoint from, TPoint to) { return from.X != to.X && from.Y != to.Y; }

  int Steps() const { return steps_; }
  int DirectionX() const { return sx_; }
  int DirectionY() const { return sy_; }
  // Where the stepping stands now.
  int X() const { return x_; }
  int Y() const { return y_; }

  // Where the stepping stands after k steps (0 to Steps()), without walking there.
  TPoint At(long long k) const {
    if (steps_ == 0) return from_;
    if (adx_ >= ady_)
      return {from_.X + sx_ * static_cast<int>(k), from_.Y + sy_ * static_cast<int>((2 * k * ady_ + adx_) / (2LL * adx_))};
    return {from_.X + sx_ * static_cast<int>((2 * k * adx_ + ady_) / (2LL * ady_)), from_.Y + sy_ * static_cast<int>(k)};
  }
  // Stands where k steps put it, with the error term the walk would have there.
  void JumpTo(long long k) {
    const TPoint at = At(k);
    x_ = at.X;
    y_ = at.Y;
    // Each step along x adds -ady, each along y adds adx.
    err_ = static_cast<int>(adx_ - ady_ - std::abs(static_cast<long long>(at.X) - from_.X) * ady_ +
                            std::abs(static_cast<long long>(at.Y) - from_.Y) * adx_);
  }
  // One step on; movedX and movedY tell whether it moved along each side (0 or 1).
  void Step(int& movedX, int& movedY) {
    const int e2 = 2 * err_;
    movedX = e2 >= -ady_;
    movedY = e2 <= adx_;
    err_ += movedY * adx_ - movedX * ady_;
    x_ += movedX * sx_;
    y_ += movedY * sy_;
  }

  // Calls visit(start, end) for each run of runSteps steps in order: where the run's first step
  // stands and where the next run's does (the line's last point for the last run). The closed form
  // moved on a run at a time, without a division per run.
  template <class Visit>
  void ForEachRun(int runSteps, TPoint last, Visit visit) const {
    const bool alongX = adx_ >= ady_;
    const long long major = alongX ? adx_ : ady_;
    const long long minor = alongX ? ady_ : adx_;
    const long long divisor = 2 * major;
    const long long wholeStep = 2 * runSteps * minor / divisor;
    const long long partStep = 2 * runSteps * minor % divisor;
    long long minorAt = major / divisor;  // k = 0: (0 + major) / (2 major)
    long long remainder = major % divisor;
    auto point = [&](long long k, long long minorOffset) {
      return alongX ? TPoint{from_.X + sx_ * static_cast<int>(k), from_.Y + sy_ * static_cast<int>(minorOffset)}
                    : TPoint{from_.X + sx_ * static_cast<int>(minorOffset), from_.Y + sy_ * static_cast<int>(k)};
    };
    const int runs = Runs(runSteps);
    for (int run = 0; run < runs; ++run) {
      const long long k = static_cast<long long>(run) * runSteps;
      const TPoint start = point(k, minorAt);
      minorAt += wholeStep;
      remainder += partStep;
      if (remainder >= divisor) {
        ++minorAt;
        remainder -= divisor;
      }
      visit(start, k + runSteps <= steps_ ? point(k + runSteps, minorAt) : last);
    }
  }
  int Runs(int runSteps) const { return (steps_ + runSteps - 1) / runSteps; }

 private:
  TPoint from_;
  int adx_, ady_, sx_, sy_, steps_;
  int x_, y_, err_;
};
