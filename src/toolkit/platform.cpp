#include "platform.h"

#include "text.h"

std::optional<std::string> AskNewName(Platform& platform, const std::string& caption, const std::string& prompt,
                                      const std::string& current) {
  std::string answer = platform.InputBox(caption, prompt, current);
  if (IsBlank(answer)) return std::nullopt;
  return answer;
}
