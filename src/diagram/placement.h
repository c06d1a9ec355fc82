// Placement entries: one text line per display page on which an object is shown,
// "page @left,top" with, for entities, ",HIDE PROPERTY" and ",HIDE METHOD" after the coordinates.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using TEntryList = std::vector<std::string>;

// The page of an entry: empty for a blank entry, the text before the first " @" as it stands, or
// the whole entry trimmed when it has no " @" (so a plain page-list line reads as its own name).
std::string PageOfEntry(std::string_view entry);
std::string_view PageOfEntryView(std::string_view entry);
// The coordinates after " @": Left up to the next ",", Top up to the following "," or the end.
// 0 when missing or not a valid integer.
int LeftOfEntry(std::string_view entry);
int TopOfEntry(std::string_view entry);
// The text after the coordinates (from the comma that ends Top on), where the hide flags stand.
std::string_view FlagsOfEntry(std::string_view entry);
bool EntryHidesProperty(std::string_view entry);
bool EntryHidesMethod(std::string_view entry);

// An entity's hide flags, as an entry carries them after its coordinates.
struct THideFlags {
  bool Property = false;
  bool Method = false;
  bool operator==(const THideFlags&) const = default;
};
// The flags as a page showing reads them: EntryHidesProperty and EntryHidesMethod.
THideFlags HideFlagsOf(std::string_view entry);
// The flags as written, each with its comma before it: what the hide and show commands keep of an
// entry they rewrite.
THideFlags WrittenHideFlagsOf(std::string_view entry);
// ",HIDE PROPERTY" and then ",HIDE METHOD", as far as set: what follows the coordinates.
std::string HideFlagsText(THideFlags flags);
// The entry up to the first hide flag after its coordinates; the whole entry when it has none. An
// entry that lacks its coordinates comes back as MakeEntry of its page and 0, 0, where it stands, so
// that flags can follow it.
std::string BaseOfEntry(std::string_view entry);
// Whether the entry's page is pageName exactly: PageOfEntryView(entry) == pageName, without taking
// the entry apart when its start already tells. Every paint asks it of every box.
bool EntryIsOnPage(std::string_view entry, std::string_view pageName);
// Index of the first entry whose page equals pageName exactly, or -1.
int IndexOfPage(std::string_view pageName, const TEntryList& entries);
// pageName + " @" + left + "," + top.
std::string MakeEntry(std::string_view pageName, int left, int top);
