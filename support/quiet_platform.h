// The platform the fuzz harnesses and the benchmarks of the core run the diagram on: no display,
// nobody to ask. Every input box is answered with its proposal, every Yes/No box with No, every
// choice dialog with its preselection (nothing where only its button answers), every form with
// Cancel; text measures 7
// pixels per character and 16 high; there is no picture to paint into.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "canvas.h"
#include "platform.h"

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

class QuietPlatform : public Platform {
 public:
  std::string InputBox(const std::string&, const std::string&, const std::string& defaultValue) override {
    return defaultValue;
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  void ShowMessage(const std::string&) override { ++Messages; }
  void ShowError(const std::string&) override { ++Errors; }
  std::optional<std::string> OpenFileDialog(const FileDialogOptions&) override { return std::nullopt; }
  std::optional<std::string> SaveFileDialog(const FileDialogOptions&) override { return std::nullopt; }
  std::string Choose(const ChoiceDialog& dialog) override;
  std::optional<TFormAnswer> AskForm(const TFormDialog&) override { return std::nullopt; }
  std::unique_ptr<Bitmap> CreateBitmap() override { return nullptr; }
  Canvas& MeasureCanvas() override { return measure_; }
  void Invalidate(Control&) override {}
  void BeginDrag(Control&) override {}

  // How many messages and error boxes were shown, so that a harness can tell a clean load.
  int Messages = 0;
  int Errors = 0;

 private:
  QuietCanvas measure_;
};
