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

int TPlacedControl::EntryIndexFor(const std::string& pageName) const {
  if (!known_ || knownPage_ != pageName) {
    knownIndex_ = IndexOfPage(pageName, activePages_);
    knownPage_ = pageName;
    known_ = true;
  }
  return knownIndex_;
}

const std::string* TPlacedControl::EntryOn(const std::string& pageName) const {
  const int index = EntryIndexFor(pageName);
  if (index < 0 || IsBlank(pageName)) return nullptr;
  return &activePages_[static_cast<size_t>(index)];
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
