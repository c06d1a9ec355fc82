#include "platform.h"

#include <vector>

#include "text.h"
#include "toolkit_error.h"

void Platform::SaveDrawingFile(const std::string& fileName, TDrawingFormat, int, int, const std::string&,
                               const std::function<void(Canvas&)>&) {
  throw EToolkitError("Cannot create file \"" + fileName + "\". No drawing can be written here");
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
  // The extensions of each pair's patterns ("*.png;*.PNG" holds two), in the pairs' order.
  std::vector<std::vector<std::string>> extensions;
  size_t start = 0;
  for (size_t part = 0;; ++part) {
    const size_t end = filter.find('|', start);
    const std::string text = filter.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part % 2 == 1) {
      std::vector<std::string>& own = extensions.emplace_back();
      for (size_t from = 0; from <= text.size();) {
        const size_t semicolon = text.find(';', from);
        const std::string pattern = Trim(text.substr(from, semicolon == std::string::npos ? std::string::npos : semicolon - from));
        if (pattern.rfind("*.", 0) == 0 && pattern.size() > 2) own.push_back(pattern.substr(1));
        if (semicolon == std::string::npos) break;
        from = semicolon + 1;
      }
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  const size_t dot = fileName.find_last_of("./");
  if (dot != std::string::npos && fileName[dot] == '.') {
    const std::string extension = fileName.substr(dot);
    for (const auto& own : extensions)
      for (const std::string& known : own)
        if (SameText(extension, known)) return fileName;
  }
  if (chosen >= extensions.size() || extensions[chosen].empty()) return fileName;
  return fileName + extensions[chosen].front();
}
