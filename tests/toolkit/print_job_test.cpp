// The picture laid on the printer's sheets: its scale and place, the part each sheet shows, the
// overlap neighbours share, the join marks (both of a join on one line of the picture), blank sheets.
#include <gtest/gtest.h>

#include <vector>

#include "print_job.h"

TEST(PrintSheets, LayThePictureOnTheSheetsWithOverlapsAndJoinMarks) {
  // The sheet's printable area, the first sheet's place, the pixels neighbours share, marks, blank sheets.
  struct Case { int across, down, overlap; double width, height, scale, originX, originY; int shared; size_t marks; int blank; };
  const Case cases[] = {
      {1, 1, 10, 200, 287, 200.0 / 2048, 0, 43.5, 0, 0, 0},         // fitted, centred down the sheet
      {2, 2, 10, 287, 200, 390.0 / 2048, 87, 0, 54, 16, 0},
      {2, 1, 0, 287, 200, 200.0 / 2048, 187, 0, 0, 0, 0},           // edge to edge: no marks
      {1, 2, 50, 60, 80, 60.0 / 2048, 0, 35, 1024, 4, 0},           // the overlap held at half a sheet
      {10, 1, 10, 200, 287, 287.0 / 2048, 811.5, 0, 72, 36, 8},     // the outer sheets blank
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.across << " by " << c.down);
    const std::vector<TPrintSheet> sheets =
        PrintSheets({TPrintPages::Active, c.across, c.down, c.overlap, TSheetOrientation::Portrait}, 2048, 2048, c.width, c.height);
    ASSERT_EQ(sheets.size(), static_cast<size_t>(c.across * c.down));
    EXPECT_NEAR(sheets[0].Scale, c.scale, 1e-12);
    EXPECT_NEAR(sheets[0].OriginX, c.originX, 1e-9);
    EXPECT_NEAR(sheets[0].OriginY, c.originY, 1e-9);
    size_t marks = 0;
    int blank = 0;
    // A join's marks, this sheet's in its far half and the next one's in its near half, on one line.
    const auto joins = [&](const TPrintSheet& sheet, const TPrintSheet& next, bool across) {
      EXPECT_EQ(across ? sheet.PartRight - next.PartLeft : sheet.PartBottom - next.PartTop, c.shared);
      const auto at = [across](const TSheetLine& m) { return across ? (m.X1 == m.X2 ? m.X1 : -1) : (m.Y1 == m.Y2 ? m.Y1 : -1); };
      const double half = (across ? c.width : c.height) / 2;
      for (const TSheetLine& mine : sheet.Marks)
        for (const TSheetLine& theirs : next.Marks)
          if (at(mine) > half && at(theirs) >= 0 && at(theirs) < half) {
            EXPECT_NEAR(at(mine) - (across ? sheet.OriginX : sheet.OriginY), at(theirs) - (across ? next.OriginX : next.OriginY), 1e-9);
          }
    };
    for (size_t at = 0; at < sheets.size(); ++at) {
      marks += sheets[at].Marks.size();
      blank += sheets[at].PartRight == 0 ? 1 : 0;
      const size_t right = at + 1, below = at + static_cast<size_t>(c.across);
      if (sheets[at].Column + 1 < c.across && sheets[at].PartRight > 0 && sheets[right].PartRight > 0)
        joins(sheets[at], sheets[right], true);
      if (below < sheets.size()) joins(sheets[at], sheets[below], false);
    }
    EXPECT_EQ(marks, c.marks);
    EXPECT_EQ(blank, c.blank);
  }
}
