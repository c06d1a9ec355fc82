// What a print of the diagram asks for (which pages, how many sheets each, their overlap and
// orientation) and how one picture is laid on the printer's sheets: the part of it each sheet shows
// and the marks that join the sheets. Plain numbers: the window's printer only says how large a
// sheet's printable area is.
#pragma once

#include <optional>
#include <vector>

struct TFormAnswer;
struct TFormDialog;

enum class TPrintPages { Active, All };
enum class TSheetOrientation { Portrait, Landscape };

struct TPrintJob {
  static constexpr int MostSheets = 10;      // across and down
  static constexpr int MostOverlapMm = 50;
  static constexpr double MarkLengthMm = 5;  // the join marks' length at a sheet's edge

  TPrintPages Pages = TPrintPages::Active;
  // Sheets across and down each page is spread over; 1 by 1 fits the page on one sheet.
  int Across = 1;
  int Down = 1;
  // How much of the picture two neighbouring sheets both show, in millimetres of the sheets.
  int OverlapMm = 10;
  TSheetOrientation Orientation = TSheetOrientation::Portrait;
  friend bool operator==(const TPrintJob&, const TPrintJob&) = default;
};

// A line on a sheet, in millimetres from the top left of its printable area.
struct TSheetLine {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  friend bool operator==(const TSheetLine&, const TSheetLine&) = default;
};

// One sheet of a page: a picture point (x, y) lands on it at (OriginX + x * Scale, OriginY + y *
// Scale) millimetres; whatever lands outside its printable area is cut off.
struct TPrintSheet {
  int Column = 0;
  int Row = 0;
  double Scale = 1;  // millimetres per picture pixel, the same on every sheet of a job
  double OriginX = 0;
  double OriginY = 0;
  // The picture's pixels the sheet shows, whole pixels rounded outward; empty for a sheet that
  // shows none (the picture centred on many sheets leaves some blank).
  int PartLeft = 0, PartTop = 0, PartRight = 0, PartBottom = 0;
  // Short lines across the sheet's edges where the neighbouring sheet is laid on it: the middle of
  // the overlap, the same line of the picture on both sheets, so that one sheet trimmed along its
  // marks and laid on the other's marks joins the picture whatever margins the printer keeps.
  std::vector<TSheetLine> Marks;
};

// The sheets of one page of a picture of pictureWidth by pictureHeight pixels, row by row, on sheets
// whose printable area is sheetWidth by sheetHeight millimetres: the picture as large as it fits on
// the job's sheets joined with their overlap, centred on them. The overlap is held below half a
// sheet and is none where there is one sheet that way.
std::vector<TPrintSheet> PrintSheets(const TPrintJob& job, int pictureWidth, int pictureHeight, double sheetWidth,
                                     double sheetHeight);

// The print command's own questions, which the printer's dialog does not ask: the pages, the sheets
// across and down, the overlap, the orientation; the line under them counts the sheets for a
// diagram of pageCount pages.
TFormDialog PrintJobForm(const TPrintJob& proposed, int pageCount);
// The job the form's answer asks for, every number held within its range.
TPrintJob PrintJobOf(const TFormAnswer& answer, const TPrintJob& proposed);
