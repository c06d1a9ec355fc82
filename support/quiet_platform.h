// The platform the fuzz harnesses and the benchmarks of the core run the diagram on: no display,
// nobody to ask (answered as TUnattendedPlatform answers); text measures 7 pixels per character and
// 16 high; there is no picture to paint into.
#pragma once

#include <memory>
#include <string>

#include "canvas.h"
#include "unattended_platform.h"

class QuietCanvas : public Canvas {
 public:
  static constexpr int CharWidth = 7;
  static constexpr int LineHeight = 16;

  void Rectangle(int, int, int, int) override {}
  void RoundRect(int, int, int, int, int, int) override {}
  void Polygon(const std::vector<TPoint>&) override {}
  void Polyline(const std::vector<TPoint>&) override {}
  void TextOut(int, int, const std::string&) override {}
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string&) override { return LineHeight; }
};

class QuietPlatform : public TUnattendedPlatform {
 public:
  // Counted, not kept: a harness shows millions of them.
  void ShowMessage(const std::string&) override { ++Messages; }
  void ShowError(const std::string&) override { ++Errors; }
  std::unique_ptr<Bitmap> CreateBitmap() override { return nullptr; }
  Canvas& MeasureCanvas() override { return measure_; }

  // How many messages and error boxes were shown, so that a harness can tell a clean load.
  int Messages = 0;
  int Errors = 0;

 private:
  QuietCanvas measure_;
};
