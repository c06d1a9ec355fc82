#include "drawing_print.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <exception>

#include "drawing_file.h"
#include "toolkit_error.h"

namespace {
constexpr double kMillimetresPerInch = 25.4;
}  // namespace

void PrintDrawingOn(QPrinter& printer, const TPrintJob& job, int width, int height, int pages,
                    const std::function<void(Canvas&, int page)>& draw) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    const QString file = printer.outputFileName();
    throw EToolkitError(file.isEmpty() ? std::string("The printer cannot print")
                                       : "Cannot create file \"" + file.toStdString() + "\"");
  }
  // The painter's units are the printer's pixels, from the top left of the printable area.
  const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  const double unitPixels = printer.resolution() / kMillimetresPerInch;
  PaintDrawingSheets(painter, printer, PrintSheets(job, width, height, area.width(), area.height()), unitPixels, width,
                     height, pages, draw);
  painter.end();
}

void PreviewAndPrint(QPrinter& printer, QWidget* parent, const TPrintJob& job, int width, int height,
                     const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) {
  printer.setDocName(QString::fromStdString(title));
  printer.setPageOrientation(job.Orientation == TSheetOrientation::Landscape ? QPageLayout::Landscape
                                                                              : QPageLayout::Portrait);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName(QStringLiteral("PrintPreview"));
  preview.setWindowTitle(QStringLiteral("Print"));
  // The preview paints again whenever the user changes the page's size or orientation, and once
  // more on the printer itself; an error cannot pass through Qt's signal, so the first is kept.
  std::string failure;
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
    if (!failure.empty()) return;
    try {
      PrintDrawingOn(*target, job, width, height, pages, draw);
    } catch (const std::exception& error) {
      failure = error.what();
    }
  });
  preview.exec();
  if (!failure.empty()) throw EToolkitError(failure);
}
