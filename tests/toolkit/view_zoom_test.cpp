// The view's zoom: the mapping between window and surface pixels, the keys' steps, the fit of the
// whole surface and the wheel.
#include "view_zoom.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

// Every zoom: a window pixel shows the last surface pixel starting at or before it, so that a press
// finds what is drawn under it; zoomed in, surface pixels come back whole; rectangles side by side
// stay side by side; the keys' steps, the fit of the whole surface and the wheel's bounds.
TEST(ViewZoom, WindowAndSurfaceMapBothWaysAtEveryZoom) {
  for (const int perMille : {100, 378, 500, 750, 999, 1000, 1250, 1728, 2000, 8000}) {
    const TViewZoom zoom(perMille);
    for (int w = -40; w < 400; ++w) {
      const int d = zoom.ToSurface(w);
      ASSERT_LE(zoom.ToWindow(d), w) << perMille << " at " << w;
      ASSERT_GT(zoom.ToWindow(d + 1), w) << perMille << " at " << w;
      if (perMille >= 1000) {
        ASSERT_EQ(zoom.ToSurface(zoom.ToWindow(w)), w) << perMille;
      }
    }
    EXPECT_EQ(zoom.ToWindow(TRect{10, 20, 30, 40}).Right, zoom.ToWindow(TRect{30, 40, 50, 60}).Left);
    EXPECT_GE(zoom.LengthToWindow(1), 1);
  }
  EXPECT_EQ(TViewZoom(50).PerMille(), TViewZoom::Least);
  EXPECT_EQ(TViewZoom(9000).PerMille(), TViewZoom::Most);
  const std::vector<std::tuple<int, int, int>> steps = {
      {100, 250, 100}, {1000, 1250, 750}, {1100, 1250, 1000}, {8000, 8000, 4000}, {378, 500, 250}};
  for (const auto& [from, in, out] : steps) {
    EXPECT_EQ(TViewZoom::StepIn(from), in) << from;
    EXPECT_EQ(TViewZoom::StepOut(from), out) << from;
  }
  EXPECT_EQ(TViewZoom::Fitting(776, 1000, 2048, 2048), 378);
  EXPECT_LE(TViewZoom(TViewZoom::Fitting(776, 1000, 2048, 2048)).ToWindow(2048), 776);
  EXPECT_EQ(TViewZoom::Fitting(10, 10, 2048, 2048), TViewZoom::Least);
  EXPECT_DOUBLE_EQ(TViewZoom::AfterWheel(7.9, 240), 8.0);
  EXPECT_NEAR(TViewZoom::AfterWheel(TViewZoom::AfterWheel(1.0, 60), 60), 1.2, 1e-12);
}
