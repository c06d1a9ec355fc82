#include "drawing_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kPixelsPerInch);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(width * kPointsPerPixel, height * kPointsPerPixel), QPageSize::Point),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    writer.setTitle(QString::fromStdString(title));
    writer.setCreator(QStringLiteral("Quorvane"));
    QPainter painter;
    if (!painter.begin(&writer)) throw EToolkitError("Cannot create file \"" + fileName + "\". The PDF writer failed");
    for (int page = 0; page < std::max(1, pages); ++page) {
      if (page > 0) writer.newPage();
      QtCanvas canvas(painter);
      canvas.setVectorMode(true);
      draw(canvas, page);
    }
    painter.end();
  }
  WriteBytes(fileName, bytes);
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
