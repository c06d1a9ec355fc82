#include "drawing_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QTransform>
#include <QSvgGenerator>

#include <algorithm>
#include <string_view>

#include "file_access.h"
#include "qt_canvas.h"
#include "svg_text_canvas.h"
#include "toolkit_error.h"

namespace {
// The pixels of the screen the drawing is measured in, and the points of a PDF page.
constexpr int kPixelsPerInch = 96;
constexpr double kPointsPerPixel = 72.0 / kPixelsPerInch;
// The join marks' pen on a sheet: a fine line that still shows on every printer.
constexpr double kMarkWidthMm = 0.25;

void WriteBytes(const std::string& fileName, const QByteArray& bytes) {
  WriteFileAtomically(fileName, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QByteArray SvgBytes(int width, int height, const std::string& title, const std::function<void(Canvas&, int page)>& draw) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(width, height));
  generator.setResolution(kPixelsPerInch);
  generator.setViewBox(QRect(0, 0, width, height));
  // The generator writes the title into the document as it stands: a diagram or page name holding
  // "<" or "&" made the file no SVG at all.
  QString text = QString::fromStdString(title);
  for (QChar& c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
  generator.setTitle(text.toHtmlEscaped());
  {
    QPainter painter(&generator);
    QtCanvas canvas(painter);
    canvas.setVectorMode(true);
    draw(canvas, 0);
  }
  return bytes;
}

void WritePdf(const std::string& fileName, int pages, int width, int height, const std::string& title,
              const std::function<void(Canvas&, int page)>& draw) {
  const QPageLayout layout(QPageSize(QSizeF(width * kPointsPerPixel, height * kPointsPerPixel), QPageSize::Point),
                           QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point);
  // A page of the PDF is one sheet the drawing's size, which shows it whole.
  TPrintSheet whole;
  whole.PartRight = width;
  whole.PartBottom = height;
  WritePdfFile(fileName, layout, kPixelsPerInch, title, [&](QPainter& painter, QPagedPaintDevice& writer) {
    PaintDrawingSheets(painter, writer, {whole}, 1, width, height, pages, draw);
  });
}
}  // namespace

std::string SvgDrawingText(int width, int height, const std::string& title, const std::function<void(Canvas&)>& draw) {
  SvgTextCanvas canvas(width, height, title);
  draw(canvas);
  return std::move(canvas).document();
}

void WriteDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                      const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) {
  switch (format) {
    case TDrawingFormat::Svg:
      if (pages != 1) throw EToolkitError("Cannot create file \"" + fileName + "\". An SVG drawing holds one page");
      WriteBytes(fileName, SvgBytes(width, height, title, draw));
      return;
    case TDrawingFormat::Pdf:
      WritePdf(fileName, pages, width, height, title, draw);
      return;
  }
}

void PaintDrawingSheets(QPainter& painter, QPagedPaintDevice& device, const std::vector<TPrintSheet>& sheets,
                        double unitPixels, int width, int height, int pages,
                        const std::function<void(Canvas&, int page)>& draw) {
  bool first = true;
  for (int page = 0; page < std::max(1, pages); ++page) {
    for (const TPrintSheet& sheet : sheets) {
      if (!first) device.newPage();
      first = false;
      const double scale = unitPixels * sheet.Scale;
      const bool laid = scale != 1 || sheet.OriginX != 0 || sheet.OriginY != 0;
      const bool cut = sheet.PartLeft != 0 || sheet.PartTop != 0 || sheet.PartRight != width || sheet.PartBottom != height;
      painter.save();
      if (laid) painter.setTransform(QTransform(scale, 0, 0, scale, unitPixels * sheet.OriginX, unitPixels * sheet.OriginY));
      if (cut) painter.setClipRect(QRect(sheet.PartLeft, sheet.PartTop, sheet.PartRight - sheet.PartLeft, sheet.PartBottom - sheet.PartTop));
      // A sheet that shows nothing of the picture stays blank.
      if (!cut || sheet.PartRight > sheet.PartLeft) {
        QtCanvas canvas(painter);
        canvas.setVectorMode(true);
        draw(canvas, page);
      }
      painter.restore();
      if (sheet.Marks.empty()) continue;
      painter.save();
      painter.setPen(QPen(Qt::black, kMarkWidthMm * unitPixels));
      for (const TSheetLine& mark : sheet.Marks)
        painter.drawLine(QLineF(mark.X1 * unitPixels, mark.Y1 * unitPixels, mark.X2 * unitPixels, mark.Y2 * unitPixels));
      painter.restore();
    }
  }
}

void WritePdfFile(const std::string& fileName, const QPageLayout& layout, int resolution, const std::string& title,
                  const std::function<void(QPainter&, QPagedPaintDevice&)>& paint) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(resolution);
    writer.setPageLayout(layout);
    writer.setTitle(QString::fromStdString(title));
    writer.setCreator(QStringLiteral("Quorvane"));
    QPainter painter;
    if (!painter.begin(&writer)) throw EToolkitError("Cannot create file \"" + fileName + "\". The PDF writer failed");
    paint(painter, writer);
    painter.end();
  }
  WriteBytes(fileName, bytes);
}
