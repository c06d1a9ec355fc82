#include "platform.h"

#include <vector>

#include "text.h"
#include "toolkit_error.h"

void Platform::SaveDrawingFile(const std::string& fileName, TDrawingFormat, int, int, const std::string&, int,
                               const std::function<void(Canvas&, int)>&) {
  throw EToolkitError("Cannot create file \"" + fileName + "\". No drawing can be written here");
}

void Platform::PrintDrawing(const TPrintJob&, int, int, const std::string&, int, const std::function<void(Canvas&, int)>&) {
  throw EToolkitError("Nothing can be printed here");
}

std::string Platform::SvgDrawing(int, int, const std::string&, const std::function<void(Canvas&)>&) {
  throw EToolkitError("No drawing can be made here");
}

void Platform::PutOnClipboard(const std::string& diagramText, int, int, const std::function<void(Canvas&)>&) {
  clipboard_ = diagramText;
}

std::string Platform::ClipboardText() { return clipboard_; }

ChoiceDialog PickOneDialog(const std::string& caption, const std::string& label, std::vector<std::string> items,
                           const std::string& button) {
  ChoiceDialog dialog;
  dialog.Caption = caption;
  dialog.Width = 320;
  dialog.Height = 105;
  dialog.Label = label;
  dialog.LabelLeft = 22;
  dialog.LabelTop = 16;
  dialog.ListLeft = 142;
  dialog.ListTop = 12;
  dialog.ListWidth = 160;
  dialog.Items = std::move(items);
  dialog.ItemIndex = 0;
  dialog.CloseCaption = button;
  dialog.CloseLeft = 120;
  dialog.CloseTop = 56;
  dialog.AnswerOnlyByButton = true;
  return dialog;
}

std::optional<std::string> AskNewName(Platform& platform, const std::string& caption, const std::string& prompt,
                                      const std::string& current) {
  std::string answer = platform.InputBox(caption, prompt, current);
  if (IsBlank(answer)) return std::nullopt;
  return answer;
}

bool RunShowingErrors(Platform& platform, const std::function<void()>& action, const std::function<void()>& beforeBox) {
  std::string message;
  try {
    action();
    return true;
  } catch (const std::exception& error) {
    message = error.what();
  } catch (...) {
    message = "An unexpected error occurred.";
  }
  if (beforeBox) beforeBox();
  platform.ShowError(message);
  return false;
}

std::string NameForFilter(const std::string& fileName, const std::string& filter, size_t chosen) {
  const auto split = [](std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (size_t from = 0;;) {
      const size_t at = text.find(separator, from);
      parts.push_back(text.substr(from, at == std::string_view::npos ? at : at - from));
      if (at == std::string_view::npos) return parts;
      from = at + 1;
    }
  };
  // The extensions of each pair's patterns ("*.png;*.PNG" holds two), in the pairs' order.
  const std::vector<std::string_view> parts = split(filter, '|');
  std::vector<std::vector<std::string_view>> extensions;
  for (size_t pattern = 1; pattern < parts.size(); pattern += 2) {
    std::vector<std::string_view>& own = extensions.emplace_back();
    for (const std::string_view raw : split(parts[pattern], ';'))
      if (const std::string_view one = TrimView(raw); one.size() > 2 && one.substr(0, 2) == "*.") own.push_back(one.substr(1));
  }
  const size_t dot = fileName.find_last_of("./");
  if (dot != std::string::npos && fileName[dot] == '.')
    for (const auto& own : extensions)
      for (const std::string_view known : own)
        if (SameText(std::string_view(fileName).substr(dot), known)) return fileName;
  if (chosen >= extensions.size() || extensions[chosen].empty()) return fileName;
  return fileName + std::string(extensions[chosen].front());
}
