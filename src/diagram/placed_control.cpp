#include "placed_control.h"

#include "ooa_panel.h"
#include "page_dialogs.h"
#include "text.h"

bool TPlacedControl::IsOnPage(const std::string& pageName) const {
  if (IsBlank(pageName)) return false;
  for (const auto& entry : activePages_)
    if (EntryIsOnPage(entry, pageName)) return true;
  return false;
}

void TPlacedControl::AddPageEntry(const std::string& pageName) {
  if (IndexOfPage(pageName, activePages_) >= 0) return;
  activePages_.push_back(MakeEntry(pageName, Left(), Top()));
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

void TPlacedControl::StorePagePosition(const std::string& pageName) {
  if (!IsOnPage(pageName)) return;
  const int index = IndexOfPage(pageName, activePages_);
  std::string& entry = activePages_[static_cast<size_t>(index)];
  entry = MakeEntry(PageOfEntryView(entry), Left(), Top()) + EntryFlags();
}

void TPlacedControl::AddNewDisplayPage(const std::string& objectName) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  AddDisplayPageDialog(panel->GetPlatformRef(), objectName, Left(), Top(), panel->OwnPageList(),
                       activePages_);
}

void TPlacedControl::RemoveExistsDisplayPage(const std::string& objectName) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  RemoveDisplayPageDialog(panel->GetPlatformRef(), objectName, activePages_);
  panel->ShowActivePage();
}
