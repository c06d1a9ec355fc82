#include "placement.h"

#include <algorithm>

#include "text.h"

namespace {
constexpr std::string_view kAt = " @";
constexpr std::string_view kHideProperty = ",HIDE PROPERTY";
constexpr std::string_view kHideMethod = ",HIDE METHOD";

// The text after the first " @", or nothing when the entry is blank or has no " @".
bool CoordinatesOf(std::string_view entry, std::string_view& coordinates) {
  if (IsBlank(entry)) return false;
  const size_t at = entry.find(kAt);
  if (at == std::string_view::npos) return false;
  coordinates = entry.substr(at + kAt.size());
  return true;
}
}  // namespace

std::string_view PageOfEntryView(std::string_view entry) {
  const std::string_view trimmed = TrimView(entry);
  if (trimmed.empty()) return {};
  const size_t at = entry.find(kAt);
  if (at != std::string_view::npos) return entry.substr(0, at);
  return trimmed;
}

bool EntryIsOnPage(std::string_view entry, std::string_view pageName) {
  // An entry that does not start with a blank has a page that starts where the entry does (its text
  // up to " @", or its trimmed self): one that does not start with the page name names another page.
  if (!entry.empty() && static_cast<unsigned char>(entry[0]) > 32 && entry.compare(0, pageName.size(), pageName) != 0)
    return false;
  return PageOfEntryView(entry) == pageName;
}

std::string PageOfEntry(std::string_view entry) { return std::string(PageOfEntryView(entry)); }

int LeftOfEntry(std::string_view entry) {
  std::string_view coordinates;
  if (!CoordinatesOf(entry, coordinates)) return 0;
  const size_t comma = coordinates.find(',');
  if (comma == std::string_view::npos) return 0;
  return TextToIntDef(coordinates.substr(0, comma), 0);
}

int TopOfEntry(std::string_view entry) {
  std::string_view coordinates;
  if (!CoordinatesOf(entry, coordinates)) return 0;
  const size_t comma = coordinates.find(',');
  if (comma == std::string_view::npos) return 0;
  const std::string_view rest = coordinates.substr(comma + 1);
  return TextToIntDef(rest.substr(0, rest.find(',')), 0);
}

std::string_view FlagsOfEntry(std::string_view entry) {
  std::string_view coordinates;
  if (!CoordinatesOf(entry, coordinates)) return {};
  const size_t comma = coordinates.find(',');
  if (comma == std::string_view::npos) return {};
  const size_t end = coordinates.find(',', comma + 1);
  if (end == std::string_view::npos) return {};
  return coordinates.substr(end);
}

// A page showing finds a flag's words wherever they stand after the coordinates, comma or not.
bool EntryHidesProperty(std::string_view entry) {
  return FlagsOfEntry(entry).find(kHideProperty.substr(1)) != std::string_view::npos;
}

bool EntryHidesMethod(std::string_view entry) {
  return FlagsOfEntry(entry).find(kHideMethod.substr(1)) != std::string_view::npos;
}

THideFlags HideFlagsOf(std::string_view entry) { return {EntryHidesProperty(entry), EntryHidesMethod(entry)}; }

THideFlags WrittenHideFlagsOf(std::string_view entry) {
  const std::string_view flags = FlagsOfEntry(entry);
  return {flags.find(kHideProperty) != std::string_view::npos, flags.find(kHideMethod) != std::string_view::npos};
}

std::string HideFlagsText(THideFlags flags) {
  std::string text;
  if (flags.Property) text += kHideProperty;
  if (flags.Method) text += kHideMethod;
  return text;
}

std::string BaseOfEntry(std::string_view entry) {
  // An entry without both coordinates (a bare page name, or no comma after " @", as a hand-made file
  // may hold) has no place for flags: appended to it they would become part of its page name, taking
  // the object off its page, or turn into its Left. Its base is the same place written in full.
  std::string_view coordinates;
  if (!IsBlank(entry) && (!CoordinatesOf(entry, coordinates) || coordinates.find(',') == std::string_view::npos))
    return MakeEntry(PageOfEntryView(entry), LeftOfEntry(entry), TopOfEntry(entry));
  // Only the flags part is searched: a page name that happens to hold ",HIDE METHOD" must not be cut.
  const std::string_view flags = FlagsOfEntry(entry);
  const size_t flagsStart = entry.size() - flags.size();
  size_t cut = std::min(flags.find(kHideProperty), flags.find(kHideMethod));
  if (cut == std::string_view::npos) return std::string(entry);
  return std::string(entry.substr(0, flagsStart + cut));
}

int IndexOfPage(std::string_view pageName, const TEntryList& entries) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (EntryIsOnPage(entries[i], pageName)) return static_cast<int>(i);
  return -1;
}

std::string MakeEntry(std::string_view pageName, int left, int top) {
  std::string entry(pageName);
  entry += kAt;
  entry += IntToText(left);
  entry += ',';
  entry += IntToText(top);
  return entry;
}
