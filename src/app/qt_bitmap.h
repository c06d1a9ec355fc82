// The panel's off-screen picture on Qt: a QImage drawn through a canvas that keeps the drawing and
// turns into pixels only what stays in sight, written as a Windows bitmap (24 bits per pixel) or
// PNG by Qt's image writers.
#pragma once

#include <QImage>

#include "bitmap.h"
#include "deferred_canvas.h"

class QtBitmap : public Bitmap {
 public:
  QtBitmap();
  ~QtBitmap() override;

  int Width() const override { return size_.width(); }
  int Height() const override { return size_.height(); }
  void SetSize(int width, int height) override;
  void SetScale(int scale) override;
  Canvas& GetCanvas() override { return canvas_; }
  void SaveToFile(const std::string& fileName, TPictureFormat format) override;
  // The picture as drawn so far.
  const QImage& image();

 private:
  // Turns what was drawn since into pixels.
  void finishDrawing();

  // The drawing's size, and the picture's pixels to each of its pixels.
  QSize size_;
  int scale_ = 1;
  // Made when first drawn into: a panel that is never exported needs no picture of its size.
  QImage image_;
  DeferredCanvas canvas_;
};
