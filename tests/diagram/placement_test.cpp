#include "placement.h"

#include <gtest/gtest.h>

#include <string>

#include "text.h"

TEST(Placement, ReadingEntries) {
  struct Case {
    const char* entry;
    const char* page;
    int left;
    int top;
    bool hideProperty;
    bool hideMethod;
  } cases[] = {
      {"NewPage1 @120,48", "NewPage1", 120, 48, false, false},
      {"P @-5,7,HIDE METHOD", "P", -5, 7, false, true},
      {"Orders @300,16,HIDE PROPERTY,HIDE METHOD", "Orders", 300, 16, true, true},
      {"P @1,2,HIDE METHOD,HIDE PROPERTY", "P", 1, 2, true, true},
      {"NewPage1 @120", "NewPage1", 0, 0, false, false},
      {"NewPage1", "NewPage1", 0, 0, false, false},
      {"  NewPage1  ", "NewPage1", 0, 0, false, false},
      {"", "", 0, 0, false, false},
      {"   ", "", 0, 0, false, false},
      {"HIDE TEST @5,6", "HIDE TEST", 5, 6, false, false},
      {"HIDE PROPERTY @5,6", "HIDE PROPERTY", 5, 6, false, false},
      {"A @B @3,4", "A", 0, 4, false, false},
      {" @10,20", "", 10, 20, false, false},
      {"P @x,7", "P", 0, 7, false, false},
      {"P @5,", "P", 5, 0, false, false},
      {"P @5,y,HIDE METHOD", "P", 5, 0, false, true},
      {"P @99999999999,1", "P", 0, 1, false, false},
      {" Lead @1,2", " Lead", 1, 2, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PageOfEntry(c.entry), c.page) << c.entry;
    EXPECT_EQ(LeftOfEntry(c.entry), c.left) << c.entry;
    EXPECT_EQ(TopOfEntry(c.entry), c.top) << c.entry;
    EXPECT_EQ(EntryHidesProperty(c.entry), c.hideProperty) << c.entry;
    EXPECT_EQ(EntryHidesMethod(c.entry), c.hideMethod) << c.entry;
  }
}

TEST(Placement, BaseOfEntryCutsBeforeTheFirstFlagAfterTheCoordinates) {
  EXPECT_EQ(BaseOfEntry("P @1,2"), "P @1,2");
  EXPECT_EQ(BaseOfEntry("P @1,2,HIDE METHOD,HIDE PROPERTY"), "P @1,2");
  EXPECT_EQ(BaseOfEntry("P @1,2,HIDE PROPERTY"), "P @1,2");
  // A page name that holds a flag's text is not a flag.
  EXPECT_EQ(BaseOfEntry("Plan,HIDE METHOD @1,2,HIDE PROPERTY"), "Plan,HIDE METHOD @1,2");
}

// Entries from hand-made files may lack their coordinates; they read as 0, 0, and flags written
// after their base must neither become part of the page name nor turn into Left.
TEST(Placement, BaseOfAnEntryWithoutCoordinatesTakesFlagsOnTheSamePageAndPlace) {
  struct Case {
    const char* entry;
    const char* base;
  };
  const Case cases[] = {
      {"P", "P @0,0"},
      {"  Orders  ", "Orders @0,0"},
      {"\tP\t@1,2", "P\t@1,2 @0,0"},  // no blank before the at-sign: a page name
      {"P @5", "P @0,0"},
      {"P @", "P @0,0"},
      {"P @5,", "P @5,"},
      {"   ", "   "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BaseOfEntry(c.entry), c.base) << c.entry;
    if (IsBlank(c.entry)) continue;
    for (const char* flags : {",HIDE PROPERTY", ",HIDE METHOD", ",HIDE PROPERTY,HIDE METHOD"}) {
      const std::string rewritten = BaseOfEntry(c.entry) + flags;
      EXPECT_EQ(PageOfEntry(rewritten), PageOfEntry(c.entry)) << c.entry << flags;
      EXPECT_EQ(LeftOfEntry(rewritten), LeftOfEntry(c.entry)) << c.entry << flags;
      EXPECT_EQ(TopOfEntry(rewritten), TopOfEntry(c.entry)) << c.entry << flags;
      EXPECT_EQ(EntryHidesProperty(rewritten), std::string(flags).find("PROPERTY") != std::string::npos) << c.entry;
      EXPECT_EQ(EntryHidesMethod(rewritten), std::string(flags).find("METHOD") != std::string::npos) << c.entry;
    }
  }
}

TEST(Placement, IndexOfPageComparesExactly) {
  const TEntryList entries{"page1 @1,1", "Page1 @2,2", "NewPage10 @3,3", "NewPage1 @4,4"};
  EXPECT_EQ(IndexOfPage("Page1", entries), 1);
  EXPECT_EQ(IndexOfPage("page1", entries), 0);
  EXPECT_EQ(IndexOfPage("NewPage1", entries), 3);
  EXPECT_EQ(IndexOfPage("NewPage", entries), -1);
  EXPECT_EQ(IndexOfPage(" Page1", entries), -1);
  EXPECT_EQ(IndexOfPage("x", {}), -1);
}

// The quick test of an entry's page agrees with taking the entry apart, for every entry and page
// name that could trick it: blanks before, a page name that holds " @", one page a prefix of another.
TEST(Placement, EntryIsOnPageAgreesWithThePageOfTheEntry) {
  const char* entries[] = {"P1 @1,2",     "P1 @1,2,HIDE METHOD", "P10 @1,2", "P1", "  P1  ", " P1 @1,2",
                           "P1@1,2",      "A @B @1,2",           "A @B",     "",   "   ",    "P1 @",
                           "\tP1 @3,4", "Overview @1,1",       "Orders @1,1"};
  const char* pages[] = {"P1", "P", "P10", " P1", "A", "A @B", "Overview", "Orders", "O", "", "P1 @1,2"};
  for (const char* entry : entries)
    for (const char* page : pages)
      EXPECT_EQ(EntryIsOnPage(entry, page), PageOfEntryView(entry) == page) << "\"" << entry << "\" on \"" << page << "\"";
  EXPECT_TRUE(EntryIsOnPage("Orders @1,1", "Orders"));
  EXPECT_FALSE(EntryIsOnPage("Orders @1,1", "Overview"));
}

TEST(Placement, MakeEntryWritesPageAtLeftCommaTop) {
  EXPECT_EQ(MakeEntry("NewPage1", 120, 48), "NewPage1 @120,48");
  EXPECT_EQ(MakeEntry("", -3, 0), " @-3,0");
}
