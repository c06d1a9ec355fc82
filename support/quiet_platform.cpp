#include "quiet_platform.h"

#include "text.h"

int QuietCanvas::TextWidth(const std::string& text) { return CharWidth * CharacterCount(text); }

std::string QuietPlatform::Choose(const ChoiceDialog& dialog) {
  // Nobody presses a button: a dialog that answers only through it answers nothing.
  if (dialog.AnswerOnlyByButton) return {};
  if (dialog.ItemIndex < 0 || static_cast<size_t>(dialog.ItemIndex) >= dialog.Items.size()) return {};
  return dialog.Items[static_cast<size_t>(dialog.ItemIndex)];
}
