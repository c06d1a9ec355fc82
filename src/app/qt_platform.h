// The diagram's platform on Qt: message, input, file and choice dialogs, the screen, and the link to
// the host widget that paints the panel and tracks its drags.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

#include "platform.h"
#include "qt_canvas.h"

class DiagramHost;
class QPrinter;
class QScreen;

// "Desc|*.ERD|Other|*.a;*.b" as a Qt file dialog filter, each pattern in upper and lower case too:
// "Desc (*.ERD *.erd);;Other (*.a *.A *.b *.B)". Empty for an empty filter.
QString qtFileFilter(const std::string& filter);
// The suffix a file dialog appends: DefaultExt without a leading "*." or "."; empty for wildcards.
QString qtDefaultSuffix(const std::string& defaultExt);

class QtPlatform : public Platform {
 public:
  QtPlatform();
  ~QtPlatform() override;

  // The window dialogs are centred on; may be none.
  void setMainWindow(QWidget* window) { mainWindow_ = window; }
  QWidget* mainWindow() const { return mainWindow_; }
  // The screen the main window stands on (the primary one without a main window): dialogs open
  // there, the page editor docks there, and its width is the screen width the commands use.
  QScreen* screen() const;
  // The widget that shows the panel; none while it does not exist.
  void setHost(DiagramHost* host);
  DiagramHost* host() const;

  std::optional<std::string> AskPassword(const std::string& caption, const std::string& prompt) override;
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultValue) override;
  bool AskYesNo(const std::string& text, const std::string& title) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
  std::string Choose(const ChoiceDialog& dialog) override;
  std::optional<TFormAnswer> AskForm(const TFormDialog& form) override;
  std::optional<std::string> EditText(const TTextDialog& dialog) override;

  std::unique_ptr<Bitmap> CreateBitmap() override;
  void SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                       const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) override;
  std::string SvgDrawing(int width, int height, const std::string& title,
                         const std::function<void(Canvas&)>& draw) override;
  void PutOnClipboard(const std::string& diagramText, int width, int height,
                      const std::function<void(Canvas&)>& draw) override;
  std::string ClipboardText() override;
  void PrintDrawing(const TPrintJob& job, int width, int height, const std::string& title, int pages,
                    const std::function<void(Canvas&, int page)>& draw) override;
  Canvas& MeasureCanvas() override { return measureCanvas_; }
  void Invalidate(Control& control) override;
  void BeginDrag(Control& control) override;

 private:
  // The input box; nothing when it is cancelled. echo is the field's QLineEdit::EchoMode.
  std::optional<std::string> askText(const std::string& caption, const std::string& prompt,
                                     const std::string& defaultValue, int echo);
  std::optional<std::string> runFileDialog(const FileDialogOptions& options, bool save);

  QPointer<QWidget> mainWindow_;
  QPointer<DiagramHost> host_;
  QtCanvas measureCanvas_;
  // Made at the first print and kept, so that the printer, paper and settings chosen stay chosen.
  std::unique_ptr<QPrinter> printer_;
};
