#include "print_job.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "platform.h"
#include "text.h"

std::vector<TPrintSheet> PrintSheets(const TPrintJob& job, int pictureWidth, int pictureHeight, double sheetWidth,
                                     double sheetHeight) {
  const int across = std::clamp(job.Across, 1, TPrintJob::MostSheets);
  const int down = std::clamp(job.Down, 1, TPrintJob::MostSheets);
  // An overlap of half a sheet or more would show some of the picture on three sheets.
  const double overlap = std::clamp(static_cast<double>(job.OverlapMm), 0.0, std::min(sheetWidth, sheetHeight) / 2);
  const double overlapX = across > 1 ? overlap : 0;
  const double overlapY = down > 1 ? overlap : 0;
  const double width = std::max(1, pictureWidth);
  const double height = std::max(1, pictureHeight);
  // The sheets joined are one area, each next sheet a sheet less the overlap further on.
  const double stepX = sheetWidth - overlapX;
  const double stepY = sheetHeight - overlapY;
  const double areaWidth = stepX * (across - 1) + sheetWidth;
  const double areaHeight = stepY * (down - 1) + sheetHeight;
  const double scale = std::max(0.0, std::min(areaWidth / width, areaHeight / height));
  const double left = (areaWidth - width * scale) / 2;
  const double top = (areaHeight - height * scale) / 2;

  const double mark = TPrintJob::MarkLengthMm;
  std::vector<TPrintSheet> sheets;
  sheets.reserve(static_cast<size_t>(across * down));
  for (int row = 0; row < down; ++row) {
    for (int column = 0; column < across; ++column) {
      TPrintSheet& sheet = sheets.emplace_back();
      sheet.Column = column;
      sheet.Row = row;
      sheet.Scale = scale;
      sheet.OriginX = left - column * stepX;
      sheet.OriginY = top - row * stepY;
      if (scale > 0) {
        const auto part = [scale](double from, double to, double size, int& first, int& last) {
          first = static_cast<int>(std::clamp(std::floor(from / scale), 0.0, size));
          last = static_cast<int>(std::clamp(std::ceil(to / scale), 0.0, size));
          if (last <= first) first = last = 0;
        };
        part(-sheet.OriginX, sheetWidth - sheet.OriginX, width, sheet.PartLeft, sheet.PartRight);
        part(-sheet.OriginY, sheetHeight - sheet.OriginY, height, sheet.PartTop, sheet.PartBottom);
        if (sheet.PartRight == 0 || sheet.PartBottom == 0) sheet.PartLeft = sheet.PartTop = sheet.PartRight = sheet.PartBottom = 0;
      }
      // Without an overlap the sheets meet at their edges, which need no mark.
      const auto markX = [&](double x) {
        sheet.Marks.push_back({x, 0, x, mark});
        sheet.Marks.push_back({x, sheetHeight - mark, x, sheetHeight});
      };
      const auto markY = [&](double y) {
        sheet.Marks.push_back({0, y, mark, y});
        sheet.Marks.push_back({sheetWidth - mark, y, sheetWidth, y});
      };
      if (overlapX > 0 && column > 0) markX(overlapX / 2);
      if (overlapX > 0 && column < across - 1) markX(sheetWidth - overlapX / 2);
      if (overlapY > 0 && row > 0) markY(overlapY / 2);
      if (overlapY > 0 && row < down - 1) markY(sheetHeight - overlapY / 2);
    }
  }
  return sheets;
}

namespace {
const char* const kPageItems[] = {"The active page", "Every page"};
}  // namespace

TFormDialog PrintJobForm(const TPrintJob& proposed, int pageCount) {
  TFormDialog form;
  form.Caption = "Print";
  form.ListLabel = "Pages";
  form.Items.assign(std::begin(kPageItems), std::end(kPageItems));
  form.ItemIndex = proposed.Pages == TPrintPages::All ? 1 : 0;
  form.Numbers = {{"Sheets across", proposed.Across, 1, TPrintJob::MostSheets},
                  {"Sheets down", proposed.Down, 1, TPrintJob::MostSheets},
                  {"Overlap (mm)", proposed.OverlapMm, 0, TPrintJob::MostOverlapMm}};
  form.ResultLabel = "Sheets";
  const int pages = std::max(1, pageCount);
  form.Result = [pages](int item, const std::vector<int>& numbers) {
    if (numbers.size() != 3) return std::string();
    const int sheets = std::clamp(numbers[0], 1, TPrintJob::MostSheets) * std::clamp(numbers[1], 1, TPrintJob::MostSheets);
    const int count = (item == 1 ? pages : 1) * sheets;
    return IntToText(count) + (sheets == 1 ? " (each page fitted to one sheet)" : " (" + IntToText(sheets) + " for each page)");
  };
  form.Checks = {{"Landscape", proposed.Orientation == TSheetOrientation::Landscape}};
  return form;
}

TPrintJob PrintJobOf(const TFormAnswer& answer, const TPrintJob& proposed) {
  TPrintJob job = proposed;
  job.Pages = answer.ItemIndex == 1 ? TPrintPages::All : TPrintPages::Active;
  const auto number = [&answer](size_t at, int fallback, int least, int most) {
    return std::clamp(at < answer.Numbers.size() ? answer.Numbers[at] : fallback, least, most);
  };
  job.Across = number(0, proposed.Across, 1, TPrintJob::MostSheets);
  job.Down = number(1, proposed.Down, 1, TPrintJob::MostSheets);
  job.OverlapMm = number(2, proposed.OverlapMm, 0, TPrintJob::MostOverlapMm);
  if (!answer.Checks.empty())
    job.Orientation = answer.Checks[0] ? TSheetOrientation::Landscape : TSheetOrientation::Portrait;
  return job;
}
