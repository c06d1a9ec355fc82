// The platform for work without a display: answered as TUnattendedPlatform answers; messages and
// errors also go to standard error. Text is measured, and pictures and drawings are written, by Qt.
#pragma once

#include <string>

#include "qt_canvas.h"
#include "unattended_platform.h"

class HeadlessPlatform : public TUnattendedPlatform {
 public:
  std::unique_ptr<Bitmap> CreateBitmap() override;
  void SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                       const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) override;
  std::string SvgDrawing(int width, int height, const std::string& title,
                         const std::function<void(Canvas&)>& draw) override;
  Canvas& MeasureCanvas() override { return measure_; }

 protected:
  void Tell(const std::string& text) override;

 private:
  QtCanvas measure_;
};
