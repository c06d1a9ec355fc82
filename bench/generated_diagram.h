// The diagrams every benchmark works on, generated from a fixed seed: N entities with 4 property
// rows and 2 method rows each, N/2 relations linking property rows and N/4 events linking method
// rows of entities chosen at random, on three pages, every object placed on two of them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "canvas.h"
#include "platform.h"

class TOOAPanel;

// The pages of a generated diagram; the first is the active page after building.
extern const std::vector<std::string> kGeneratedPages;

// Builds the generated diagram of entityCount entities on an empty panel (2048 by 2048) and shows
// its first page. The same count always gives the same diagram.
void BuildGeneratedDiagram(TOOAPanel& panel, int entityCount);

// Writes the generated diagram of entityCount entities as a diagram file; fileName is taken as the
// diagram file writer takes it (".ERD" is put on). Returns the name written.
std::string WriteGeneratedDiagram(int entityCount, const std::string& fileName);

// Measures text as the headless tests do (7 pixels a character, 16 high) and draws nowhere.
class CountingCanvas : public Canvas {
 public:
  void Rectangle(int, int, int, int) override {}
  void RoundRect(int, int, int, int, int, int) override {}
  void Polygon(const std::vector<TPoint>&) override {}
  void Polyline(const std::vector<TPoint>&) override {}
  void TextOut(int, int, const std::string&) override {}
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string&) override { return 16; }
};

// Takes every proposal and shows nothing, for benchmarks of the core without Qt: loading a
// generated diagram asks no questions.
class QuietPlatform : public Platform {
 public:
  std::string InputBox(const std::string&, const std::string&, const std::string& proposal) override {
    return proposal;
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  void ShowMessage(const std::string&) override {}
  void ShowError(const std::string&) override {}
  std::optional<std::string> OpenFileDialog(const FileDialogOptions&) override { return std::nullopt; }
  std::optional<std::string> SaveFileDialog(const FileDialogOptions&) override { return std::nullopt; }
  std::string Choose(const ChoiceDialog&) override { return {}; }
  int ScreenWidth() override { return 1280; }
  int ShowPageEditor(Control&) override { return 0; }
  void RefreshPageEditor() override {}
  void SetMainWindowWidth(int) override {}
  std::unique_ptr<Bitmap> CreateBitmap() override { return nullptr; }
  Canvas& MeasureCanvas() override { return canvas_; }
  void Invalidate(Control&) override {}
  void BeginDrag(Control&) override {}

 private:
  CountingCanvas canvas_;
};
