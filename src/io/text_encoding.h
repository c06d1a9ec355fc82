// Text of diagram files as it comes from disk: bytes to UTF-8 (files made on Windows arrive in
// Windows-1252), and the split into lines at CR LF, a lone CR or a lone LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// True when the bytes are well-formed UTF-8: shortest forms only, no surrogates, nothing above
// U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
// Without a UTF-8 byte-order mark at its start, whatever follows it. UTF-8 stays as it is. Text
// that is not UTF-8 throughout is read byte by byte as Windows-1252, except that text behind a
// byte-order mark keeps its well-formed UTF-8 characters and reads only its other bytes so; the
// five unassigned bytes of Windows-1252 become the control characters of the same number, so that
// every byte of the file keeps a character of its own.
std::string DecodeFileText(std::string_view bytes);
// The text without a UTF-8 byte-order mark at its start.
std::string_view WithoutByteOrderMark(std::string_view text);
// Takes the first line off the text and returns it without its line end.
std::string_view NextLine(std::string_view& text);
// The lines of the text, without their line ends. A line end at the very end opens no further line.
std::vector<std::string_view> SplitLines(std::string_view text);
