// The placement-entry parsers on any text: what they read must agree with what MakeEntry writes,
// the quick test of an entry's page must agree with taking the entry apart,
// cutting off the hide flags must never touch the page name or the coordinates, and the flags the
// entity's hide and show commands write must read back as written, on the same page at the same place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "placement.h"
#include "text.h"

namespace {
constexpr std::string_view kAt = " @";

bool Holds(std::string_view text, std::string_view word) { return text.find(word) != std::string_view::npos; }

void CheckMadeEntry(std::string_view page, int left, int top) {
  const std::string made = MakeEntry(page, left, top);
  if (PageOfEntry(made) != page) FailCheck("MakeEntry's page does not read back", page, PageOfEntry(made));
  FUZZ_CHECK(LeftOfEntry(made) == left);
  FUZZ_CHECK(TopOfEntry(made) == top);
  FUZZ_CHECK(!EntryHidesProperty(made) && !EntryHidesMethod(made));
  FUZZ_CHECK(BaseOfEntry(made) == made);
}

// Rewrites the entry as the entity's hide and show commands do: its base, then the flags.
void CheckRewrite(std::string_view entry, bool hideProperty, bool hideMethod) {
  const std::string rewritten = BaseOfEntry(entry) + HideFlagsText({hideProperty, hideMethod});
  if (PageOfEntry(rewritten) != PageOfEntry(entry))
    FailCheck("writing hide flags moved the entry to another page", entry, rewritten);
  FUZZ_CHECK(LeftOfEntry(rewritten) == LeftOfEntry(entry));
  FUZZ_CHECK(TopOfEntry(rewritten) == TopOfEntry(entry));
  // Text that stands among the flags without its comma still counts, as it always has.
  FUZZ_CHECK(EntryHidesProperty(rewritten) == (hideProperty || EntryHidesProperty(BaseOfEntry(entry))));
  FUZZ_CHECK(EntryHidesMethod(rewritten) == (hideMethod || EntryHidesMethod(BaseOfEntry(entry))));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view entry(reinterpret_cast<const char*>(data), size);
  const std::string page = PageOfEntry(entry);
  FUZZ_CHECK(PageOfEntryView(entry) == page);
  const size_t at = entry.find(kAt);

  // The page is the text before the first " @" as it stands, or the whole entry trimmed.
  if (IsBlank(entry))
    FUZZ_CHECK(page.empty());
  else if (at != std::string_view::npos)
    FUZZ_CHECK(page == entry.substr(0, at));
  else
    FUZZ_CHECK(page == Trim(entry));

  const int left = LeftOfEntry(entry);
  const int top = TopOfEntry(entry);
  if (!Holds(page, kAt) && !IsBlank(page)) CheckMadeEntry(page, left, top);

  // The base is the entry up to its flags: never shorter than the page and its " @", and it reads
  // as the same page at the same place, without the flags the commands write.
  const std::string base = BaseOfEntry(entry);
  if (!IsBlank(entry) && at != std::string_view::npos) {
    if (base.size() < at + kAt.size() || base.compare(0, at + kAt.size(), entry.substr(0, at + kAt.size())) != 0)
      FailCheck("BaseOfEntry cut into the page name", entry, base);
  }
  FUZZ_CHECK(PageOfEntry(base) == page);
  FUZZ_CHECK(LeftOfEntry(base) == left);
  FUZZ_CHECK(TopOfEntry(base) == top);
  const THideFlags written = WrittenHideFlagsOf(base);
  FUZZ_CHECK(!written.Property && !written.Method);

  if (!IsBlank(entry) && !Holds(page, kAt))
    for (const bool hideProperty : {false, true})
      for (const bool hideMethod : {false, true}) CheckRewrite(entry, hideProperty, hideMethod);

  // The quick test of an entry's page agrees with taking it apart, for its own page, for the page
  // names that share a start with it, and for the entry's own text taken as a page name.
  FUZZ_CHECK(EntryIsOnPage(entry, page));
  for (size_t cut = 0; cut <= std::min<size_t>(entry.size(), 64); ++cut) {
    const std::string_view other = entry.substr(0, cut);
    FUZZ_CHECK(EntryIsOnPage(entry, other) == (PageOfEntryView(entry) == other));
  }
  FUZZ_CHECK(EntryIsOnPage(entry, entry) == (PageOfEntryView(entry) == entry));

  // A list holding the entry finds it by its page.
  const TEntryList entries{"Other @1,2", std::string(entry)};
  const int index = IndexOfPage(page, entries);
  FUZZ_CHECK(index == (page == "Other" ? 0 : 1));
  return 0;
}
