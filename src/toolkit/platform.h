// Everything a control asks or shows the user, and the few services of the window that hosts it.
// The editor implements it with real dialogs; tests answer from a script; the command line answers
// every question with its proposal.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bitmap.h"
#include "print_job.h"

class Canvas;
class Control;

// A file dialog. Filter is "Description|pattern" pairs joined by "|".
struct FileDialogOptions {
  std::string Filter;
  std::string DefaultExt;
  std::string FileName;
  std::string InitialDir;
  // A save dialog whose filters are formats: the name chosen gets the chosen filter's extension
  // unless it ends in one of the filters' (see NameForFilter).
  bool SuffixFromFilter = false;
  // The dialog's caption; the platform's own when empty.
  std::string Title = {};
};

// The name of a file saved through the filter chosen (its index among the filter's pairs): kept
// when it ends in one of the filters' extensions (letter case ignored), else with the chosen
// filter's extension added.
std::string NameForFilter(const std::string& fileName, const std::string& filter, size_t chosen);

// The small fixed-size choice dialog: a label, a selection-only drop-down list and a close button.
// Items stand in the order given (sorted by the caller where the list is sorted); ItemIndex is the
// preselected item or -1. There is no cancel: the list's text when the dialog closes is the answer,
// unless AnswerOnlyByButton is set.
struct ChoiceDialog {
  std::string Caption;
  int Width = 0;
  int Height = 0;
  int FontSize = 10;
  std::string Label;
  int LabelLeft = 0;
  int LabelTop = 0;
  int ListLeft = 0;
  int ListTop = 0;
  int ListWidth = 0;
  std::vector<std::string> Items;
  int ItemIndex = -1;
  int CloseLeft = 0;
  int CloseTop = 0;
  std::string CloseCaption = "Close";
  // The list's text is the answer only when the button closes the dialog; closed any other way
  // (Escape, the title bar) it answers nothing. For a choice that destroys, which a user who opened
  // it by mistake must be able to back out of.
  bool AnswerOnlyByButton = false;
};

// A small modal form: a selection-only list and whole-number fields, each under its label, a line
// worked out from what the fields show, kept up to date while the user edits them, and check boxes
// below; OK and Cancel. The fields hold their values within Min and Max.
struct TFormDialog {
  struct TNumber {
    std::string Label;
    int Value = 0;
    int Min = 0;
    int Max = 0;
  };
  struct TCheck {
    std::string Label;
    bool Checked = false;
  };
  std::string Caption;
  std::string ListLabel;
  std::vector<std::string> Items;
  int ItemIndex = 0;
  std::vector<TNumber> Numbers;
  std::string ResultLabel;
  // The worked-out line for the item and the numbers the fields show.
  std::function<std::string(int item, const std::vector<int>& numbers)> Result;
  std::vector<TCheck> Checks;
};

// What a form showed when OK closed it.
struct TFormAnswer {
  int ItemIndex = 0;
  std::vector<int> Numbers;
  std::vector<bool> Checks;
  friend bool operator==(const TFormAnswer&, const TFormAnswer&) = default;
};

// A problem of a text, on its line (counted from 1).
struct TTextProblem {
  int Line = 0;
  std::string Message;
  friend bool operator==(const TTextProblem&, const TTextProblem&) = default;
};

// A modal dialog of a text of many lines, edited in a fixed-pitch font under a label; OK and Cancel.
// OK hands the text to Check: while it finds problems the dialog stays open, marks their lines and
// lists them, so that nothing is taken until the text can be read whole.
struct TTextDialog {
  std::string Caption;
  std::string Label;
  std::string Text;  // lines ended by "\n"
  std::function<std::vector<TTextProblem>(const std::string& text)> Check;
};

// The vector picture formats a drawing can be written in.
enum class TDrawingFormat { Svg, Pdf };

class Platform {
 public:
  virtual ~Platform() = default;

  // Returns the answer as typed, or defaultValue when the box is cancelled.
  virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                               const std::string& defaultValue) = 0;
  // A Yes/No message box; true only for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The standard error box for errors raised by services (see EToolkitError).
  virtual void ShowError(const std::string& text) = 0;
  // Something the user must know that is no failure of the command (a file read that was cut
  // short): a plain message box; work without a display shows it and goes on.
  virtual void ShowNotice(const std::string& text) { ShowMessage(text); }
  virtual std::optional<std::string> OpenFileDialog(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> SaveFileDialog(const FileDialogOptions& options) = 0;
  // Shows the dialog modally and returns the text its list shows when it is closed.
  virtual std::string Choose(const ChoiceDialog& dialog) = 0;
  // Shows the form modally: what it showed when OK closed it; nothing for Cancel, Escape or the
  // window's close button.
  virtual std::optional<TFormAnswer> AskForm(const TFormDialog& form) = 0;
  // Shows the text dialog modally: the text OK closed it with (in which Check found no problem);
  // nothing for Cancel, Escape or the window's close button. Work nobody watches cancels it.
  virtual std::optional<std::string> EditText(const TTextDialog& dialog) {
    (void)dialog;
    return std::nullopt;
  }
  // A password, typed unseen; nothing when cancelled. Work nobody watches has none to give.
  virtual std::optional<std::string> AskPassword(const std::string& caption, const std::string& prompt) {
    (void)caption;
    (void)prompt;
    return std::nullopt;
  }

  // A new off-screen picture of no size, painted with the same font as the screen.
  virtual std::unique_ptr<Bitmap> CreateBitmap() = 0;
  // Writes a drawing of width by height as a vector picture, with the same font as the screen;
  // draw paints each of its pages (numbered from 0) on the canvas it is given. A PDF holds as many
  // pages as asked, one after the other; an SVG only one. The file is replaced only when the whole
  // picture was written; EToolkitError "Cannot create file ..." when it cannot be. A platform
  // without picture writers refuses every drawing that way.
  virtual void SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                               const std::string& title, int pages,
                               const std::function<void(Canvas&, int page)>& draw);
  // Prints a drawing of width by height pixels, of as many pages as asked, each on one sheet or
  // spread over the job's sheets; draw paints each page (numbered from 0) as SaveDrawingFile does,
  // and may be asked again for every page while the user looks at the sheets. The window shows its
  // printer's dialogs first: nothing is printed when the user cancels there. A platform without a
  // printer refuses with EToolkitError.
  virtual void PrintDrawing(const TPrintJob& job, int width, int height, const std::string& title, int pages,
                            const std::function<void(Canvas&, int page)>& draw);
  // The same drawing of one page as the text of an SVG document, made in memory: for a document
  // that holds the drawing inside it. A platform without picture writers refuses it with
  // EToolkitError.
  virtual std::string SvgDrawing(int width, int height, const std::string& title, const std::function<void(Canvas&)>& draw);

  // The clipboard: diagram text (none when empty) with a picture of width by height that draw
  // paints. A desktop offers the text under the diagram's own type and as plain text, and the
  // picture as PNG and SVG, to every program; a platform without a desktop keeps only the text, for
  // this program alone.
  virtual void PutOnClipboard(const std::string& diagramText, int width, int height,
                              const std::function<void(Canvas&)>& draw);
  // What a paste may read: the clipboard's text under the diagram's own type, else its plain text;
  // empty when it holds neither.
  virtual std::string ClipboardText();

  // Measures text with the real font and draws nowhere; used whenever a control paints outside the
  // host's paint, so that painting's side effects (sizes, visibility) happen at once.
  virtual Canvas& MeasureCanvas() = 0;
  // Asks the host to paint the control later.
  virtual void Invalidate(Control& control) = 0;
  // The control starts being dragged now; the host ends the drag at the next button release.
  virtual void BeginDrag(Control& control) = 0;

 private:
  std::string clipboard_;  // the text a platform without a desktop keeps
};

// A dialog that offers the items in one list, the first one chosen, and takes an answer only from its
// button (named `button`): Escape or the title bar backs out. Laid out as the editor's small choices.
ChoiceDialog PickOneDialog(const std::string& caption, const std::string& label, std::vector<std::string> items,
                           const std::string& button);

// The rename question of every object: an input box proposing the current name. The answer as
// typed when it is not blank; nothing when it is (a cancelled box proposes the current name back).
std::optional<std::string> AskNewName(Platform& platform, const std::string& caption, const std::string& prompt,
                                      const std::string& current);

// Runs the action; an error it raises is shown in the platform's error box (after beforeBox, when
// given) and the program goes on. True when the action ran to its end. The one guard of every
// command the user starts, in whichever window.
bool RunShowingErrors(Platform& platform, const std::function<void()>& action,
                      const std::function<void()>& beforeBox = {});
