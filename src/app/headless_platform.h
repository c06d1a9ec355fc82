// The platform for work without a display: every question gets the answer Cancel would give, every
// Yes/No box No, every choice dialog its preselection (nothing where only its button answers);
// messages and errors go to standard error and are remembered, so that the command line can fail
// on them. Pictures and drawings are written by Qt's writers.
#pragma once

#include <string>
#include <vector>

#include "platform.h"
#include "qt_canvas.h"

class HeadlessPlatform : public Platform {
 public:
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultValue) override;
  bool AskYesNo(const std::string& text, const std::string& title) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
  std::string Choose(const ChoiceDialog& dialog) override;
  std::optional<TFormAnswer> AskForm(const TFormDialog&) override { return std::nullopt; }
  std::unique_ptr<Bitmap> CreateBitmap() override;
  void SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                       const std::string& title, const std::function<void(Canvas&)>& draw) override;
  Canvas& MeasureCanvas() override { return measure_; }
  void Invalidate(Control&) override {}
  void BeginDrag(Control&) override {}

  // Every message and error shown so far, in order.
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  QtCanvas measure_;
  std::vector<std::string> messages_;
};
