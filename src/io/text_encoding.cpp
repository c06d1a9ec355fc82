#include "text_encoding.h"

namespace {
// Windows-1252 at 0x80..0x9F; the unassigned bytes 0x81, 0x8D, 0x8F, 0x90, 0x9D keep their number.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence that starts at i, or 0 when none does. The range
// the second byte must fall in excludes overlong forms, surrogates and values past U+10FFFF in one
// test.
size_t SequenceLength(std::string_view bytes, size_t i) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  const auto second = static_cast<unsigned char>(bytes[i + 1]);
  if (second < low || second > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if (!IsContinuation(static_cast<unsigned char>(bytes[i + k]))) return 0;
  return length;
}

void AppendWindows1252(std::string& out, char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x80)
    out += c;
  else if (byte < 0xA0)
    AppendUtf8(out, kWindows1252High[byte - 0x80]);
  else
    AppendUtf8(out, byte);  // 0xA0..0xFF are the Latin-1 characters of the same number
}
}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const size_t size = bytes.size();
  size_t i = 0;
  while (i < size) {
    // Plain ASCII, most of any diagram file, takes the short way.
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t length = SequenceLength(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  return text;
}

std::string DecodeFileText(std::string_view bytes) {
  // The mark goes whatever follows it: read as three letters, it would hide the first line.
  const std::string_view text = WithoutByteOrderMark(bytes);
  if (IsValidUtf8(text)) return std::string(text);
  const bool marked = text.size() != bytes.size();
  std::string decoded;
  decoded.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size();) {
    // A file marked as UTF-8 is UTF-8 with a stray byte or two (an edit on another system): its
    // characters stay, only the stray bytes are read as Windows-1252.
    const size_t length = marked ? SequenceLength(text, i) : 0;
    if (length > 0) {
      decoded.append(text.substr(i, length));
      i += length;
    } else {
      AppendWindows1252(decoded, text[i]);
      ++i;
    }
  }
  return decoded;
}

std::string_view NextLine(std::string_view& text) {
  // The line ends at the first CR or LF, found by one pass over the line itself: a search for
  // either character through the library tests every character in a call of its own (most of the
  // time spent splitting a large file), and a search for one of them first would run to the end of
  // a file that has none of it, once per line.
  const char* const begin = text.data();
  const char* const stop = begin + text.size();
  const char* at = begin;
  while (at != stop && *at != '\n' && *at != '\r') ++at;
  const size_t end = at == stop ? std::string_view::npos : static_cast<size_t>(at - begin);
  if (end == std::string_view::npos) {
    const std::string_view line = text;
    text = {};
    return line;
  }
  const std::string_view line = text.substr(0, end);
  const size_t next = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2 : end + 1;
  text.remove_prefix(next);
  return line;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) lines.push_back(NextLine(text));
  return lines;
}
