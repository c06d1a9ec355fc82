#include "placed_control.h"

#include <algorithm>
#include <utility>

#include "ooa_panel.h"
#include "page_dialogs.h"
#include "text.h"

void TPlacedControl::SetActivePages(const TEntryList& entries) {
  activePages_ = entries;
  EntriesChanged();
}

TPlacedControl::TPagePlacing TPlacedControl::PlacingFor(const std::string& pageName) const {
  if (!read_) {
    readEntries_.clear();
    readEntries_.reserve(activePages_.size());
    for (size_t i = 0; i < activePages_.size(); ++i) {
      const std::string& entry = activePages_[i];
      readEntries_.push_back({std::string(PageOfEntryView(entry)),
                              {static_cast<int>(i), LeftOfEntry(entry), TopOfEntry(entry), HideFlagsOf(entry)}});
    }
    read_ = true;
  }
  // The first entry for exactly that page, as IndexOfPage finds it.
  for (const TReadEntry& read : readEntries_)
    if (read.Page == pageName) return read.Placing;
  return {};
}

const std::string* TPlacedControl::EntryOn(const std::string& pageName) const {
  const int index = EntryIndexFor(pageName);
  if (index < 0 || IsBlank(pageName)) return nullptr;
  return &activePages_[static_cast<size_t>(index)];
}

std::optional<TPlacedControl::TPagePlacing> TPlacedControl::PlacingOn(const std::string& pageName) const {
  const TPagePlacing placing = PlacingFor(pageName);
  if (placing.Index < 0 || IsBlank(pageName)) return std::nullopt;
  return placing;
}

void TPlacedControl::AppendEntry(std::string entry) {
  activePages_.push_back(std::move(entry));
  EntriesChanged();
}

void TPlacedControl::ReplaceEntry(size_t index, std::string entry) {
  activePages_.at(index) = std::move(entry);
  EntriesChanged();
}

void TPlacedControl::RemoveEntriesFor(const std::string& pageName) {
  if (EntryIndexFor(pageName) < 0) return;
  std::erase_if(activePages_, [&pageName](const std::string& entry) { return EntryIsOnPage(entry, pageName); });
  EntriesChanged();
}

void TPlacedControl::ClearEntries() {
  activePages_.clear();
  EntriesChanged();
}

void TPlacedControl::AddPageEntry(const std::string& pageName) {
  if (EntryIndexFor(pageName) >= 0) return;
  AppendEntry(MakeEntry(pageName, Left(), Top()));
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

void TPlacedControl::StorePagePosition(const std::string& pageName) {
  const std::string* entry = EntryOn(pageName);
  if (!entry) return;
  ReplaceEntry(static_cast<size_t>(EntryIndexFor(pageName)),
               MakeEntry(PageOfEntryView(*entry), Left(), Top()) + HideFlagsText(EntryFlags()));
}

void TPlacedControl::AddNewDisplayPage(const std::string& objectName) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  AddDisplayPageDialog(panel->GetPlatformRef(), objectName, Left(), Top(), panel->OwnPageList(), activePages_);
  EntriesChanged();
}

void TPlacedControl::RemoveExistsDisplayPage(const std::string& objectName) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  RemoveDisplayPageDialog(panel->GetPlatformRef(), objectName, activePages_);
  EntriesChanged();
  panel->ShowActivePage();
}
