// The panel's off-screen picture on Qt: a QImage painted through the diagram canvas and written as
// a Windows bitmap (24 bits per pixel) or PNG by Qt's image writers.
#pragma once

#include <QImage>
#include <QPainter>

#include <memory>

#include "bitmap.h"
#include "qt_canvas.h"

class QtBitmap : public Bitmap {
 public:
  QtBitmap();
  ~QtBitmap() override;

  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  void SetSize(int width, int height) override;
  Canvas& GetCanvas() override;
  void SaveToFile(const std::string& fileName, TPictureFormat format) override;
  // The picture as painted so far.
  const QImage& image();

 private:
  void endPainting();

  QImage image_;
  std::unique_ptr<QPainter> painter_;
  QtCanvas canvas_;
};
