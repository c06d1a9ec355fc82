// Text helpers with the exact semantics the diagram relies on: trimming, letter-case-blind
// comparison, decimal integers in and out, identifier checks.
#pragma once

#include <string>
#include <string_view>

// Drops leading and trailing blanks and control characters (every byte up to and including 32).
std::string Trim(std::string_view text);
// The same without a copy: a view into the given text.
std::string_view TrimView(std::string_view text);
// True when the text is empty or holds nothing but blanks and control characters.
bool IsBlank(std::string_view text);
// Compares ASCII letters without regard to case; every other byte must match exactly.
bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view text);
// The letter a to z as A to Z; every other byte as it is.
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
// A decimal integer: leading blanks, an optional sign, digits, nothing after; 32-bit range.
bool TryTextToInt(std::string_view text, int& value);
int TextToIntDef(std::string_view text, int defaultValue);
// As TextToIntDef, but raises "'X' is not a valid integer value".
int TextToInt(std::string_view text);
std::string IntToText(long long value);
// A letter or "_" first, then letters, digits and "_" (ASCII).
bool IsValidIdent(std::string_view text);
// Number of characters in UTF-8 text (continuation bytes do not count).
int CharacterCount(std::string_view text);

// A value kept on one line of a file of the program's own (a file name may hold any character):
// "%", line feed and carriage return written as %25, %0A and %0D, and read back.
std::string OneLineText(std::string_view value);
std::string FromOneLineText(std::string_view value);

inline bool IsAsciiAlnum(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The parts joined in one go, for texts written piece by piece (scripts, documents): no temporary
// per "+", and none of the false -Wrestrict warnings GCC 12 gives for a literal added to a
// temporary string.
template <class... Parts>
void Append(std::string& out, const Parts&... parts) {
  (out.append(std::string_view(parts)), ...);
}
template <class... Parts>
std::string Cat(const Parts&... parts) {
  std::string joined;
  Append(joined, parts...);
  return joined;
}
