#include "drawing_print.h"

#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <exception>
#include <vector>

#include "drawing_file.h"
#include "toolkit_error.h"

namespace {
constexpr double kMillimetresPerInch = 25.4;
}  // namespace

void PrintDrawingOn(QPrinter& printer, const TPrintJob& job, int width, int height, int pages,
                    const std::function<void(Canvas&, int page)>& draw) {
  // The painter's units are the printer's pixels, from the top left of the printable area.
  const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  const double unitPixels = printer.resolution() / kMillimetresPerInch;
  const std::vector<TPrintSheet> sheets = PrintSheets(job, width, height, area.width(), area.height());
  const auto paint = [&](QPainter& painter, QPagedPaintDevice& device) {
    PaintDrawingSheets(painter, device, sheets, unitPixels, width, height, pages, draw);
  };
  // Printed into a PDF file (not to a printer, nor for the preview, which paints on an engine of its
  // own), the sheets replace the file only once all of them are written, as every file of the editor.
  const QString file = printer.outputFileName();
  if (printer.outputFormat() == QPrinter::PdfFormat && !file.isEmpty() && printer.paintEngine() &&
      printer.paintEngine()->type() == QPaintEngine::Pdf) {
    WritePdfFile(file.toStdString(), printer.pageLayout(), printer.resolution(), printer.docName().toStdString(), paint);
    return;
  }
  QPainter painter;
  if (!painter.begin(&printer)) throw EToolkitError("The printer cannot print");
  paint(painter, printer);
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
    } catch (...) {
      failure = "An unexpected error occurred.";
    }
  });
  preview.exec();
  if (!failure.empty()) throw EToolkitError(failure);
}
