#include "text.h"

#include <charconv>

#include "toolkit_error.h"

namespace {
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::string_view TrimView(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsTrimmed(text[begin])) ++begin;
  while (end > begin && IsTrimmed(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

bool IsBlank(std::string_view text) {
  for (char c : text)
    if (!IsTrimmed(c)) return false;
  return true;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperAscii(c);
  return result;
}

bool TryTextToInt(std::string_view text, int& value) {
  // Blanks before the number and a plus sign are taken, as the numbers of files and dialogs may
  // have them; anything after the digits is not.
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return false;
  text.remove_prefix(start);
  if (text.starts_with('+')) {
    text.remove_prefix(1);
    if (text.starts_with('-')) return false;
  }
  int parsed = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, parsed);
  if (error != std::errc() || stop != end) return false;
  value = parsed;
  return true;
}

int TextToIntDef(std::string_view text, int defaultValue) {
  int value = 0;
  return TryTextToInt(text, value) ? value : defaultValue;
}

int TextToInt(std::string_view text) {
  int value = 0;
  if (!TryTextToInt(text, value))
    throw EToolkitError("'" + std::string(text) + "' is not a valid integer value");
  return value;
}

std::string IntToText(long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool IsValidIdent(std::string_view text) {
  if (text.empty()) return false;
  auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!isAlpha(text[0])) return false;
  for (char c : text.substr(1))
    if (!isAlpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

int CharacterCount(std::string_view text) {
  int count = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}

std::string OneLineText(std::string_view value) {
  std::string out;
  for (const char c : value) {
    if (c == '%') out += "%25";
    else if (c == '\n') out += "%0A";
    else if (c == '\r') out += "%0D";
    else out += c;
  }
  return out;
}

std::string FromOneLineText(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string_view code = value.substr(i, 3);
    if (code == "%25") out += '%';
    else if (code == "%0A") out += '\n';
    else if (code == "%0D") out += '\r';
    else {
      out += value[i];
      continue;
    }
    i += 2;
  }
  return out;
}
