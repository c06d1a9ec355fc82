// Decoding diagram files to UTF-8 and splitting them into lines.
#include "text_encoding.h"

#include <gtest/gtest.h>

TEST(TextEncoding, DecodesUtf8AsItIsAndEverythingElseAsWindows1252) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
  } cases[] = {
      {"ascii", "DESC=Order", "DESC=Order"},
      {"utf-8 stays", "DESC=Caf\xC3\xA9 \xE2\x82\xAC", "DESC=Caf\xC3\xA9 \xE2\x82\xAC"},
      {"four-byte utf-8 stays", "\xF0\x9F\x93\xA6", "\xF0\x9F\x93\xA6"},
      {"byte-order mark dropped", "\xEF\xBB\xBF@ERDIAGRAM", "@ERDIAGRAM"},
      {"only the leading mark is dropped", "A\xEF\xBB\xBF", "A\xEF\xBB\xBF"},
      {"windows-1252 e acute and euro", "Caf\xE9 5\x80", "Caf\xC3\xA9 5\xE2\x82\xAC"},
      {"windows-1252 quotes, dash, trade mark", "\x93x\x94 \x96 \x99", "\xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\x93 \xE2\x84\xA2"},
      {"latin letters above 0xA0", "\xA0\xDF\xFF", "\xC2\xA0\xC3\x9F\xC3\xBF"},
      {"unassigned bytes keep their number", "\x81\x8D\x8F\x90\x9D",
       "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      // The mark goes whatever follows; behind it, UTF-8 with a stray byte keeps its characters.
      {"mark before invalid text", "\xEF\xBB\xBF\xE9", "\xC3\xA9"},
      {"mark before utf-8 with a stray byte", "\xEF\xBB\xBF@ERDIAGRAM\r\nCaf\xC3\xA9 \xE9 \x80\xE2\x82\xAC",
       "@ERDIAGRAM\r\nCaf\xC3\xA9 \xC3\xA9 \xE2\x82\xAC\xE2\x82\xAC"},
      {"without a mark, all of it is windows-1252", "Caf\xC3\xA9 \xE9", "Caf\xC3\x83\xC2\xA9 \xC3\xA9"},
      {"overlong form is not utf-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"surrogate is not utf-8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"beyond U+10FFFF is not utf-8", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
      {"truncated sequence at the end", "ab\xE2\x82", "ab\xC3\xA2\xE2\x80\x9A"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeFileText(c.bytes), c.text) << c.name;
    EXPECT_TRUE(IsValidUtf8(DecodeFileText(c.bytes))) << c.name;
  }
}

TEST(TextEncoding, SplitsLinesAtEveryKindOfLineEnd) {
  using Lines = std::vector<std::string_view>;
  struct Case {
    const char* name;
    std::string_view text;
    Lines lines;
  } cases[] = {
      {"cr lf", "a\r\nb\r\n", {"a", "b"}},
      {"lf", "a\nb\n", {"a", "b"}},
      {"cr", "a\rb\r", {"a", "b"}},
      {"no end after the last line", "a\r\nb", {"a", "b"}},
      {"mixed", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"lf cr is two line ends", "a\n\rb", {"a", "", "b"}},
      {"blank lines kept", "a\r\n\r\n\nb", {"a", "", "", "b"}},
      {"empty text", "", {}},
      {"one line end", "\r\n", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.name;
}
