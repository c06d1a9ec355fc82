// The picture laid on the printer's sheets: the scale, the part each sheet shows, the overlap of
// neighbours and the join marks, which must meet on the same line of the picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform.h"
#include "print_job.h"

namespace {
// The picture's x (or y) that a point of a sheet shows.
double PictureX(const TPrintSheet& sheet, double x) { return (x - sheet.OriginX) / sheet.Scale; }
double PictureY(const TPrintSheet& sheet, double y) { return (y - sheet.OriginY) / sheet.Scale; }
}  // namespace

TEST(PrintSheets, LayThePictureOnTheSheetsWithOverlapsAndJoinMarks) {
  struct Case {
    const char* name;
    TPrintJob job;
    double sheetWidth, sheetHeight;
    double scale;             // millimetres per picture pixel
    double originX, originY;  // of the first sheet
    int overlapPixels;        // between neighbours' parts, as whole pixels rounded outward
    std::vector<int> marks;   // per sheet, where no sheet is blank
    int blank;                // sheets that show nothing
  } cases[] = {
      {"fitted, centred down the sheet", {TPrintPages::Active, 1, 1, 10, TSheetOrientation::Portrait}, 200, 287,
       200.0 / 2048, 0, 43.5, 0, {0}, 0},
      {"two across, the height bounds it", {TPrintPages::Active, 2, 1, 10, TSheetOrientation::Portrait}, 200, 287,
       287.0 / 2048, 51.5, 0, 72, {2, 2}, 0},
      {"two by two", {TPrintPages::Active, 2, 2, 10, TSheetOrientation::Landscape}, 287, 200, 390.0 / 2048, 87, 0,
       54, {4, 4, 4, 4}, 0},
      {"no overlap: edge to edge, no marks", {TPrintPages::Active, 2, 1, 0, TSheetOrientation::Landscape}, 287, 200,
       200.0 / 2048, 187, 0, 0, {0, 0}, 0},
      {"an overlap of more than half a sheet is held at half", {TPrintPages::Active, 1, 2, 50, TSheetOrientation::Portrait},
       60, 80, 60.0 / 2048, 0, 35, 1024, {2, 2}, 0},
      {"ten across a square picture: the outer sheets blank", {TPrintPages::Active, 10, 1, 10, TSheetOrientation::Portrait},
       200, 287, 287.0 / 2048, 811.5, 0, 72, {}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<TPrintSheet> sheets = PrintSheets(c.job, 2048, 2048, c.sheetWidth, c.sheetHeight);
    ASSERT_EQ(sheets.size(), static_cast<size_t>(c.job.Across * c.job.Down));
    EXPECT_NEAR(sheets[0].Scale, c.scale, 1e-12);
    EXPECT_NEAR(sheets[0].OriginX, c.originX, 1e-9);
    EXPECT_NEAR(sheets[0].OriginY, c.originY, 1e-9);
    int blank = 0;
    for (size_t at = 0; at < sheets.size(); ++at) {
      const TPrintSheet& sheet = sheets[at];
      EXPECT_EQ(sheet.Column, static_cast<int>(at) % c.job.Across) << at;
      EXPECT_EQ(sheet.Row, static_cast<int>(at) / c.job.Across) << at;
      if (sheet.PartRight == 0) ++blank;
      if (c.blank == 0) {
        EXPECT_EQ(sheet.Marks.size(), static_cast<size_t>(c.marks[at])) << at;
      }
      // The neighbour to the right and below shows the overlap again, and both marks of a join lie
      // on one line of the picture.
      const auto joins = [&](const TPrintSheet& next, bool acrossJoin) {
        if (next.PartRight == 0 || sheet.PartRight == 0) return;
        const int shared = acrossJoin ? sheet.PartRight - next.PartLeft : sheet.PartBottom - next.PartTop;
        EXPECT_EQ(shared, c.overlapPixels) << at;
        // A join's mark on this sheet lies in its far half, the neighbour's in its near half.
        const double half = acrossJoin ? c.sheetWidth / 2 : c.sheetHeight / 2;
        const auto line = [acrossJoin](const TSheetLine& mark) { return acrossJoin ? mark.X1 : mark.Y1; };
        const auto straight = [acrossJoin](const TSheetLine& mark) { return acrossJoin ? mark.X1 == mark.X2 : mark.Y1 == mark.Y2; };
        for (const TSheetLine& mine : sheet.Marks) {
          for (const TSheetLine& theirs : next.Marks) {
            if (!straight(mine) || !straight(theirs) || line(mine) < half || line(theirs) > half) continue;
            const double here = acrossJoin ? PictureX(sheet, line(mine)) : PictureY(sheet, line(mine));
            const double there = acrossJoin ? PictureX(next, line(theirs)) : PictureY(next, line(theirs));
            EXPECT_NEAR(here, there, 1e-9) << at;
          }
        }
      };
      if (sheet.Column + 1 < c.job.Across) joins(sheets[at + 1], true);
      if (sheet.Row + 1 < c.job.Down) joins(sheets[at + static_cast<size_t>(c.job.Across)], false);
    }
    EXPECT_EQ(blank, c.blank);
    // Together the sheets show the whole picture.
    int right = 0;
    for (const TPrintSheet& sheet : sheets) {
      if (sheet.PartRight == 0 || sheet.Row > 0) continue;
      EXPECT_LE(sheet.PartLeft, right);
      right = std::max(right, sheet.PartRight);
    }
    EXPECT_EQ(right, 2048);
  }
}

// The print form proposes the last job and counts the sheets; its answer is held within range.
TEST(PrintSheets, FormProposesTheJobAndCountsItsSheets) {
  const TPrintJob last{TPrintPages::All, 2, 3, 12, TSheetOrientation::Landscape};
  const TFormDialog form = PrintJobForm(last, 4);
  EXPECT_EQ(form.ItemIndex, 1);
  ASSERT_EQ(form.Numbers.size(), 3u);
  EXPECT_EQ(form.Numbers[2].Value, 12);
  EXPECT_TRUE(form.Checks.at(0).Checked);
  EXPECT_EQ(form.Result(1, {2, 3, 12}), "24 (6 for each page)");
  EXPECT_EQ(form.Result(0, {1, 1, 0}), "1 (each page fitted to one sheet)");
  EXPECT_EQ(PrintJobOf({0, {0, 99, -5}, {false}}, last),
            (TPrintJob{TPrintPages::Active, 1, TPrintJob::MostSheets, 0, TSheetOrientation::Portrait}));
}
