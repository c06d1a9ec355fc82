#include "text.h"

#include <gtest/gtest.h>

#include "toolkit_error.h"

TEST(Text, TrimDropsBlanksAndControlCharactersOnly) {
  EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
  EXPECT_EQ(Trim("\x01\x1f x \x7f"), "x \x7f");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\xc3\xa4 "), "\xc3\xa4");  // bytes of other characters are kept
  EXPECT_TRUE(IsBlank(" \t"));
  EXPECT_FALSE(IsBlank(" . "));
}

TEST(Text, SameTextIgnoresOnlyAsciiLetterCase) {
  EXPECT_TRUE(SameText("Page1", "pAGE1"));
  EXPECT_FALSE(SameText("Page1", "Page1 "));
  EXPECT_FALSE(SameText("\xc3\xa4", "\xc3\x84"));
  EXPECT_EQ(UpperCase("entity_1a"), "ENTITY_1A");
}

TEST(Text, DecimalIntegers) {
  struct Case {
    const char* text;
    bool valid;
    int value;
  } cases[] = {
      {"120", true, 120},          {"-5", true, -5},           {"+7", true, 7},
      {"  48", true, 48},          {"007", true, 7},           {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},    {"-2147483649", false, 0},  {"99999999999999999999", false, 0},
      {"", false, 0},              {"-", false, 0},            {"12 ", false, 0},
      {"1e3", false, 0},           {"0x10", false, 0},         {"$10", false, 0},
      {"\t5", false, 0},           {"1,5", false, 0},          {"+-5", false, 0},
      {"+", false, 0},             {"- 5", false, 0},          {"--5", false, 0},
  };
  for (const auto& c : cases) {
    int value = 0;
    EXPECT_EQ(TryTextToInt(c.text, value), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_EQ(TextToIntDef(c.text, 60), c.valid ? c.value : 60) << c.text;
  }
}

TEST(Text, TextToIntRaisesTheNumberMessage) {
  try {
    TextToInt("12a");
    FAIL() << "no error";
  } catch (const EToolkitError& error) {
    EXPECT_STREQ(error.what(), "'12a' is not a valid integer value");
  }
}

TEST(Text, IntToTextWritesPlainDecimal) {
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(-42), "-42");
  EXPECT_EQ(IntToText(2147483648LL), "2147483648");
}

TEST(Text, Identifiers) {
  for (const char* good : {"Entity1", "_x", "Entity1_Prop2", "a"}) EXPECT_TRUE(IsValidIdent(good)) << good;
  for (const char* bad : {"", "1Entity", "Entity 1", "Entity-1", "Ent\xc3\xa4ty", "a.b"})
    EXPECT_FALSE(IsValidIdent(bad)) << bad;
}

TEST(Text, CharacterCountCountsUtf8Characters) {
  EXPECT_EQ(CharacterCount("abc"), 3);
  EXPECT_EQ(CharacterCount("\xc3\xa4\xe2\x82\xac"), 2);
}
