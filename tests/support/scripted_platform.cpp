#include "scripted_platform.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "text.h"

ScriptedPlatform& ScriptedPlatform::Type(std::string answer) {
  script_.push_back({"Input", std::move(answer)});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::Cancel() {
  script_.push_back({"Cancel", {}});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::Yes() {
  script_.push_back({"Yes", {}});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::No() {
  script_.push_back({"No", {}});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::PickFile(std::string path) {
  script_.push_back({"File", std::move(path)});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::PickFile(std::string path, size_t filter) {
  script_.push_back({"File", std::move(path), {}, filter});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::CancelFile() {
  script_.push_back({"NoFile", {}});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::Choose(std::string item) {
  script_.push_back({"Choose", std::move(item)});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::KeepChoice() {
  script_.push_back({"KeepChoice", {}});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::CloseChoice() {
  script_.push_back({"CloseChoice", {}});
  return *this;
}

std::vector<PlatformCall> ScriptedPlatform::CallsOf(const std::string& kind) const {
  std::vector<PlatformCall> calls;
  for (const auto& call : Calls)
    if (call.Kind == kind) calls.push_back(call);
  return calls;
}

std::optional<ScriptedPlatform::Answer> ScriptedPlatform::Next(std::initializer_list<const char*> kinds,
                                                               const std::string& question) {
  if (script_.empty()) {
    ADD_FAILURE() << "unexpected question: " << question;
    return std::nullopt;
  }
  Answer answer = script_.front();
  for (const char* kind : kinds)
    if (answer.Kind == kind) {
      script_.pop_front();
      return answer;
    }
  ADD_FAILURE() << "question " << question << " met the scripted answer " << answer.Kind;
  return std::nullopt;
}

std::string ScriptedPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultValue) {
  Calls.push_back({"InputBox", caption, prompt, defaultValue, {}, {}});
  const auto answer = Next({"Input", "Cancel"}, "input box " + caption);
  if (!answer || answer->Kind == "Cancel") return defaultValue;
  return answer->Text;
}

bool ScriptedPlatform::AskYesNo(const std::string& text, const std::string& title) {
  Calls.push_back({"YesNo", title, text, {}, {}, {}});
  const auto answer = Next({"Yes", "No"}, "Yes/No box " + text);
  return answer && answer->Kind == "Yes";
}

void ScriptedPlatform::ShowMessage(const std::string& text) { Calls.push_back({"Message", {}, text, {}, {}, {}}); }
void ScriptedPlatform::ShowError(const std::string& text) { Calls.push_back({"Error", {}, text, {}, {}, {}}); }
void ScriptedPlatform::ShowNotice(const std::string& text) { Calls.push_back({"Notice", {}, text, {}, {}, {}}); }

ScriptedPlatform& ScriptedPlatform::Fill(TFormAnswer answer) {
  script_.push_back({"Form", {}, std::move(answer)});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::CancelForm() {
  script_.push_back({"CancelForm", {}});
  return *this;
}

std::optional<TFormAnswer> ScriptedPlatform::AskForm(const TFormDialog& form) {
  std::vector<int> shown;
  for (const auto& number : form.Numbers) shown.push_back(number.Value);
  const std::string opened = form.Result ? form.Result(form.ItemIndex, shown) : std::string();
  Calls.push_back({"Form", form.Caption, opened, {}, {}, {}, form});
  const auto answer = Next({"Form", "CancelForm"}, "form " + form.Caption);
  if (!answer || answer->Kind == "CancelForm") return std::nullopt;
  TFormAnswer filled = answer->Form;
  // A form answered without its check boxes shows them as they opened.
  if (filled.Checks.empty())
    for (const auto& check : form.Checks) filled.Checks.push_back(check.Checked);
  if (form.Result) Calls.back().Default = form.Result(filled.ItemIndex, filled.Numbers);
  return filled;
}

ScriptedPlatform& ScriptedPlatform::EditTo(std::string text) {
  script_.push_back({"EditText", std::move(text)});
  return *this;
}
ScriptedPlatform& ScriptedPlatform::CancelText() {
  script_.push_back({"CancelText", {}});
  return *this;
}

std::optional<std::string> ScriptedPlatform::EditText(const TTextDialog& dialog) {
  Calls.push_back({"Text", dialog.Caption, dialog.Text, dialog.Label, {}, {}});
  for (;;) {
    const auto answer = Next({"EditText", "CancelText"}, "text dialog " + dialog.Caption);
    if (!answer || answer->Kind == "CancelText") return std::nullopt;
    std::string listed;
    for (const auto& problem : dialog.Check(answer->Text)) listed += IntToText(problem.Line) + ": " + problem.Message + "\n";
    if (listed.empty()) return answer->Text;
    Calls.push_back({"Problems", dialog.Caption, listed, {}, {}, {}});
  }
}

std::optional<std::string> ScriptedPlatform::OpenFileDialog(const FileDialogOptions& options) {
  Calls.push_back({"Open", {}, {}, {}, options, {}});
  const auto answer = Next({"File", "NoFile"}, "open dialog");
  if (!answer || answer->Kind == "NoFile") return std::nullopt;
  return answer->Text;
}

std::optional<std::string> ScriptedPlatform::SaveFileDialog(const FileDialogOptions& options) {
  Calls.push_back({"Save", {}, {}, {}, options, {}});
  const auto answer = Next({"File", "NoFile"}, "save dialog");
  if (!answer || answer->Kind == "NoFile") return std::nullopt;
  return options.SuffixFromFilter ? NameForFilter(answer->Text, options.Filter, answer->Filter) : answer->Text;
}

std::string ScriptedPlatform::Choose(const ChoiceDialog& dialog) {
  Calls.push_back({"Choose", dialog.Caption, {}, {}, {}, dialog});
  const std::string preselected =
      dialog.ItemIndex >= 0 && dialog.ItemIndex < static_cast<int>(dialog.Items.size())
          ? dialog.Items[static_cast<size_t>(dialog.ItemIndex)]
          : std::string();
  const auto answer = Next({"Choose", "KeepChoice", "CloseChoice"}, "choice dialog " + dialog.Caption);
  if (answer && answer->Kind == "CloseChoice") return dialog.AnswerOnlyByButton ? std::string() : preselected;
  if (!answer || answer->Kind == "KeepChoice") return preselected;
  if (std::find(dialog.Items.begin(), dialog.Items.end(), answer->Text) == dialog.Items.end())
    ADD_FAILURE() << "the list of " << dialog.Caption << " cannot show " << answer->Text;
  return answer->Text;
}

std::string ScriptedPlatform::SvgDrawing(int width, int height, const std::string& title,
                                         const std::function<void(Canvas&)>& draw) {
  const std::string shape = IntToText(width) + "x" + IntToText(height);
  Calls.push_back({"Drawing", "", title, shape + " svg", {}, {}});
  Drawing.Clear();
  draw(Drawing);
  std::string text;
  for (const char c : title) text += c == '<' ? std::string("&lt;") : c == '&' ? std::string("&amp;") : std::string(1, c);
  return "<?xml version=\"1.0\"?>\n<!DOCTYPE svg>\n<svg viewBox=\"0 0 " + IntToText(width) + " " + IntToText(height) +
         "\" xmlns=\"http://www.w3.org/2000/svg\"><title>" + text +
         "</title><defs><clipPath id=\"clip\"><rect width=\"9\" height=\"9\"/></clipPath></defs>"
         "<g clip-path=\"url(#clip)\"><rect width=\"4\" height=\"4\"/></g></svg>\n";
}

void ScriptedPlatform::SaveDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                                       const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw) {
  std::string shape = IntToText(width) + "x" + IntToText(height) + (format == TDrawingFormat::Svg ? " svg" : " pdf");
  if (pages != 1) shape.append(" ").append(IntToText(pages)).append(" pages");
  Calls.push_back({"Drawing", title, fileName, shape, {}, {}});
  Drawing.Clear();
  for (int page = 0; page < pages; ++page) draw(Drawing, page);
}


void ScriptedPlatform::PrintDrawing(const TPrintJob& job, int width, int height, const std::string& title, int pages,
                                    const std::function<void(Canvas&, int page)>& draw) {
  Calls.push_back({"Print", title, IntToText(width) + "x" + IntToText(height) + " " + IntToText(pages) + " pages", {}, {}, {}});
  Prints.push_back(job);
  Drawing.Clear();
  for (int page = 0; page < pages; ++page) draw(Drawing, page);
}
