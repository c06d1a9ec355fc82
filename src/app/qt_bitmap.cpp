#include "qt_bitmap.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include "file_access.h"
#include "toolkit_error.h"

QtBitmap::QtBitmap() = default;

QtBitmap::~QtBitmap() { endPainting(); }

void QtBitmap::endPainting() {
  if (!painter_) return;
  canvas_.setPainter(nullptr);
  painter_.reset();
}

void QtBitmap::SetSize(int width, int height) {
  if (width == image_.width() && height == image_.height()) return;
  endPainting();
  // Pixels without alpha: the bitmap writer then writes 24 bits per pixel.
  image_ = QImage(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
  image_.fill(Qt::white);
}

Canvas& QtBitmap::GetCanvas() {
  if (!painter_ && !image_.isNull()) {
    painter_ = std::make_unique<QPainter>(&image_);
    canvas_.setPainter(painter_.get());
  }
  return canvas_;
}

const QImage& QtBitmap::image() {
  endPainting();
  return image_;
}

void QtBitmap::SaveToFile(const std::string& fileName, TPictureFormat format) {
  endPainting();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format == TPictureFormat::Png ? "png" : "bmp");
  if (!writer.write(image_))
    throw EToolkitError("Cannot create file \"" + FullFileName(fileName) + "\". " + writer.errorString().toStdString());
  // The picture is complete in memory before the file is touched, and replaces it in one step.
  WriteFileAtomically(fileName, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}
