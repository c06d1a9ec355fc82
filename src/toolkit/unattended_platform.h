// The platform of work nobody watches (the command line, reading a recovery copy to check it, the
// fuzz harnesses and benchmarks): every input box is answered with its proposal, as Cancel would,
// every Yes/No box with No, every choice dialog with its preselection (nothing where only its button
// answers), every form and file dialog with Cancel. Messages and errors are kept in order, so that a
// job can fail on them, and handed to Tell, where a job shows them. Measuring and pictures are the
// derived platform's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform.h"

class TUnattendedPlatform : public Platform {
 public:
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultValue) override;
  bool AskYesNo(const std::string& text, const std::string& title) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  // Told, and not kept among the messages: a job goes on after a notice.
  void ShowNotice(const std::string& text) override { Tell(text); }
  std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
  std::string Choose(const ChoiceDialog& dialog) override;
  std::optional<TFormAnswer> AskForm(const TFormDialog& form) override;
  void Invalidate(Control&) override {}
  void BeginDrag(Control&) override {}

  // Every message and error shown so far, in order.
  const std::vector<std::string>& Messages() const { return messages_; }

 protected:
  // Where a message or error goes besides the record; nowhere unless a job says.
  virtual void Tell(const std::string& text);

 private:
  std::vector<std::string> messages_;
};
