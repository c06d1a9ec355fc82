#include "platform.h"

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
