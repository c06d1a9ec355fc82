#include "unattended_platform.h"

std::string TUnattendedPlatform::InputBox(const std::string&, const std::string&, const std::string& defaultValue) {
  return defaultValue;
}

bool TUnattendedPlatform::AskYesNo(const std::string&, const std::string&) { return false; }

void TUnattendedPlatform::ShowMessage(const std::string& text) {
  messages_.push_back(text);
  Tell(text);
}

void TUnattendedPlatform::ShowError(const std::string& text) {
  messages_.push_back(text);
  Tell(text);
}

void TUnattendedPlatform::Tell(const std::string&) {}

std::optional<std::string> TUnattendedPlatform::OpenFileDialog(const FileDialogOptions&) { return std::nullopt; }
std::optional<std::string> TUnattendedPlatform::SaveFileDialog(const FileDialogOptions&) { return std::nullopt; }

std::string TUnattendedPlatform::Choose(const ChoiceDialog& dialog) {
  // Nobody presses a button: a dialog that answers only through it answers nothing.
  if (dialog.AnswerOnlyByButton) return {};
  if (dialog.ItemIndex < 0 || static_cast<size_t>(dialog.ItemIndex) >= dialog.Items.size()) return {};
  return dialog.Items[static_cast<size_t>(dialog.ItemIndex)];
}

std::optional<TFormAnswer> TUnattendedPlatform::AskForm(const TFormDialog&) { return std::nullopt; }
