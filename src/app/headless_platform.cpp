#include "headless_platform.h"

#include <iostream>

#include "drawing_file.h"
#include "qt_bitmap.h"

std::string HeadlessPlatform::InputBox(const std::string&, const std::string&, const std::string& defaultValue) {
  return defaultValue;
}

bool HeadlessPlatform::AskYesNo(const std::string&, const std::string&) { return false; }

void HeadlessPlatform::ShowMessage(const std::string& text) {
  messages_.push_back(text);
  std::cerr << "quorvane: " << text << '\n';
}

void HeadlessPlatform::ShowError(const std::string& text) {
  messages_.push_back(text);
  std::cerr << "quorvane: " << text << '\n';
}

std::optional<std::string> HeadlessPlatform::OpenFileDialog(const FileDialogOptions&) { return std::nullopt; }
std::optional<std::string> HeadlessPlatform::SaveFileDialog(const FileDialogOptions&) { return std::nullopt; }

std::string HeadlessPlatform::Choose(const ChoiceDialog& dialog) {
  // Nobody presses a button: a dialog that answers only through it answers nothing.
  if (dialog.AnswerOnlyByButton) return {};
  if (dialog.ItemIndex < 0 || dialog.ItemIndex >= static_cast<int>(dialog.Items.size())) return {};
  return dialog.Items[static_cast<size_t>(dialog.ItemIndex)];
}


std::unique_ptr<Bitmap> HeadlessPlatform::CreateBitmap() { return std::make_unique<QtBitmap>(); }

void HeadlessPlatform::SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                                       const std::string& title, const std::function<void(Canvas&)>& draw) {
  WriteDrawingFile(fileName, format, width, height, title, draw);
}
