// A platform for headless tests: every question is answered from a script, and every question and
// dialog is recorded with its caption, prompt and proposal so that tests can check the exact texts.
// A question the script does not expect fails the test and is answered as Cancel would.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control_host.h"
#include "editor_window.h"
#include "platform.h"
#include "recording_canvas.h"

struct PlatformCall {
  std::string Kind;  // "InputBox", "YesNo", "Message", "Error", "Open", "Save", "Choose", "Form", "Drawing", "Text"
  std::string Caption;
  std::string Text;     // prompt or message text; a form's worked-out line as it opened
  std::string Default;  // proposal of an input box; a form's worked-out line as it was answered
  FileDialogOptions File;
  ChoiceDialog Choice;
  TFormDialog Form = {};
};

class ScriptedPlatform : public Platform {
 public:
  // Script: answers are used in order, each by the next question of its kind.
  ScriptedPlatform& Type(std::string answer);  // an input box answered with this text
  ScriptedPlatform& Cancel();                  // an input box cancelled
  ScriptedPlatform& Yes();
  ScriptedPlatform& No();
  ScriptedPlatform& PickFile(std::string path);
  // A save dialog closed on this name with the filter of this index chosen.
  ScriptedPlatform& PickFile(std::string path, size_t filter);
  ScriptedPlatform& CancelFile();
  ScriptedPlatform& Choose(std::string item);  // the list shows this text when the dialog closes
  ScriptedPlatform& KeepChoice();              // the dialog closed with its preselection
  ScriptedPlatform& CloseChoice();             // closed without its button (Escape, the title bar)
  ScriptedPlatform& Fill(TFormAnswer answer);  // a form closed by OK showing these
  ScriptedPlatform& CancelForm();              // a form closed by Cancel, Escape or the title bar
  // OK pressed on this text; while the check finds problems (recorded as "Problems", "line: message"
  // a line) the dialog stays open for the next answer.
  ScriptedPlatform& EditTo(std::string text);
  ScriptedPlatform& CancelText();  // the text dialog closed by Cancel, Escape or the title bar
  bool ScriptDone() const { return script_.empty(); }
  // The recorded calls of one kind.
  std::vector<PlatformCall> CallsOf(const std::string& kind) const;

  std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue) override;
  bool AskYesNo(const std::string& text, const std::string& title) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowNotice(const std::string& text) override;
  std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) override;
  std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) override;
  std::string Choose(const ChoiceDialog& dialog) override;
  std::optional<TFormAnswer> AskForm(const TFormDialog& form) override;
  std::optional<std::string> EditText(const TTextDialog& dialog) override;
  // Recorded as "Drawing" with the file name as its text, "WIDTHxHEIGHT svg" (or pdf, and " N pages"
  // when not one) as its default; every page is drawn on Drawing.
  void SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                       const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) override;
  // Recorded as "Print", "WIDTHxHEIGHT N pages" its text, the job in Prints; every page drawn on Drawing.
  void PrintDrawing(const TPrintJob& job, int width, int height, const std::string& title, int pages,
                    const std::function<void(Canvas&, int page)>& draw) override;
  std::vector<TPrintJob> Prints;
  // Recorded as "Drawing" with the title as its text and "WIDTHxHEIGHT svg" as its default; drawn on
  // Drawing. The document has what a real one has around its drawing: an XML declaration, a doctype,
  // the title, and an id with a reference to it.
  std::string SvgDrawing(int width, int height, const std::string& title, const std::function<void(Canvas&)>& draw) override;
  std::unique_ptr<Bitmap> CreateBitmap() override {
    auto bitmap = std::make_unique<RecordingBitmap>();
    Bitmaps.push_back(bitmap.get());
    return bitmap;
  }
  Canvas& MeasureCanvas() override {
    if (BeforeMeasure) BeforeMeasure();
    return Measure;
  }
  // Runs before every measuring (a test makes painting fail by throwing from it).
  std::function<void()> BeforeMeasure;
  void Invalidate(Control&) override { ++Invalidations; }
  void BeginDrag(Control& control) override {
    Drags.push_back(&control);
    if (Host) Host->BeginDrag(control);
  }

  std::vector<PlatformCall> Calls;
  RecordingCanvas Measure;
  RecordingCanvas Drawing;
  // The bitmaps handed out, as long as their panels live.
  std::vector<RecordingBitmap*> Bitmaps;
  int Invalidations = 0;
  std::vector<Control*> Drags;
  // The host of the controls, when a test drives them through one: drags start there.
  TControlHost* Host = nullptr;

 private:
  struct Answer {
    std::string Kind;  // "Input", "Cancel", "Yes", "No", "File", "NoFile", "Choose", "KeepChoice", "CloseChoice",
                       // "Form", "CancelForm", "EditText", "CancelText"
    std::string Text;
    TFormAnswer Form = {};
    size_t Filter = 0;
  };
  std::optional<Answer> Next(std::initializer_list<const char*> kinds, const std::string& question);
  std::deque<Answer> script_;
};

// The editor's window for headless tests: a screen 1280 wide, a page editor 247 wide that is counted
// as it is shown and reloaded, and the main window's width as last set.
class ScriptedEditorWindow : public TEditorWindow {
 public:
  int ScreenWidth() override { return 1280; }
  int ShowPageEditor(TOOAPanel&) override {
    ++EditorShows;
    return 247;
  }
  void RefreshPageEditor() override { ++EditorRefreshes; }
  void DestroyPageEditor(TOOAPanel&) override {}
  void SetMainWindowWidth(int width) override { MainWindowWidth = width; }
  void ZoomView(TZoomCommand command) override { Zooms.push_back(command); }

  std::vector<TZoomCommand> Zooms;
  int EditorShows = 0;
  int EditorRefreshes = 0;
  int MainWindowWidth = 0;
};
