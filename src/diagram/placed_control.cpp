#include "placed_control.h"

#include "ooa_panel.h"
#include "page_dialogs.h"
#include "text.h"

bool TPlacedControl::IsOnPage(const std::string& pageName) const {
  if (onPageKnown_ && knownPage_ == pageName) return onKnownPage_;
  bool on = false;
  if (!IsBlank(pageName))
    for (const auto& entry : activePages_)
      if (EntryIsOnPage(entry, pageName)) {
        on = true;
        break;
      }
  knownPage_ = pageName;
  onKnownPage_ = on;
  onPageKnown_ = true;
  return on;
}

void TPlacedControl::AddPageEntry(const std::string& pageName) {
  if (IndexOfPage(pageName, activePages_) >= 0) return;
  activePages_.push_back(MakeEntry(pageName, Left(), Top()));
  EntriesChanged();
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

void TPlacedControl::StorePagePosition(const std::string& pageName) {
  if (!IsOnPage(pageName)) return;
  const int index = IndexOfPage(pageName, activePages_);
  std::string& entry = activePages_[static_cast<size_t>(index)];
  entry = MakeEntry(PageOfEntryView(entry), Left(), Top()) + EntryFlags();
  EntriesChanged();
}

void TPlacedControl::AddNewDisplayPage(const std::string& objectName) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  AddDisplayPageDialog(panel->GetPlatformRef(), objectName, Left(), Top(), panel->OwnPageList(),
                       activePages_);
  EntriesChanged();
}

void TPlacedControl::RemoveExistsDisplayPage(const std::string& objectName) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  RemoveDisplayPageDialog(panel->GetPlatformRef(), objectName, activePages_);
  EntriesChanged();
  panel->ShowActivePage();
}
