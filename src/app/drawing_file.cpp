#include "drawing_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QSvgGenerator>

#include <string_view>

#include "file_access.h"
#include "qt_canvas.h"

void WriteDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                      const std::string& title, const std::function<void(Canvas&)>& draw) {
  switch (format) {
    case TDrawingFormat::Svg: {
      QByteArray bytes;
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      QSvgGenerator generator;
      generator.setOutputDevice(&buffer);
      generator.setSize(QSize(width, height));
      generator.setViewBox(QRect(0, 0, width, height));
      generator.setTitle(QString::fromStdString(title));
      {
        QPainter painter(&generator);
        QtCanvas canvas(painter);
        canvas.setVectorMode(true);
        draw(canvas);
      }
      WriteFileAtomically(fileName, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
      return;
    }
  }
}
