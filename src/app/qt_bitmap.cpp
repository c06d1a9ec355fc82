#include "qt_bitmap.h"

#include <algorithm>

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include "file_access.h"
#include "toolkit_error.h"

QtBitmap::QtBitmap() = default;

QtBitmap::~QtBitmap() = default;

void QtBitmap::finishDrawing() {
  if (image_.size() != size_ * scale_) {
    // Pixels without alpha: the bitmap writer then writes 24 bits per pixel.
    image_ = QImage(size_ * scale_, QImage::Format_RGB32);
    image_.fill(Qt::white);
  }
  canvas_.drawOnto(image_, QPoint(), image_.rect());
}

void QtBitmap::SetSize(int width, int height) {
  const QSize size(std::max(0, width), std::max(0, height));
  if (size == size_) return;
  size_ = size;
  // What was drawn for the old size is gone with it, and the picture is white again.
  canvas_.clear();
  image_ = QImage();
  canvas_.setWholePicture(QRect(QPoint(), size_ * scale_));
}

void QtBitmap::SetScale(int scale) {
  scale = std::clamp(scale, 1, kMostBitmapScale);
  if (scale == scale_) return;
  scale_ = scale;
  // Drawn in the picture's own pixels: lines as wide as the scale, texts set at it.
  canvas_.setZoom(TViewZoom().OnDevice(scale_));
  canvas_.clear();
  image_ = QImage();
  canvas_.setWholePicture(QRect(QPoint(), size_ * scale_));
}

const QImage& QtBitmap::image() {
  finishDrawing();
  return image_;
}

void QtBitmap::SaveToFile(const std::string& fileName, TPictureFormat format) {
  finishDrawing();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format == TPictureFormat::Png ? "png" : "bmp");
  if (!writer.write(image_))
    throw EToolkitError("Cannot create file \"" + FullFileName(fileName) + "\". " + writer.errorString().toStdString());
  // The picture is complete in memory before the file is touched, and replaces it in one step.
  WriteFileAtomically(fileName, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}
