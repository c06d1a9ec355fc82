// What entities, relation boxes and event boxes share: a list of placement entries and the three
// operations on it. Only an entity writes hide flags into its entries.
#pragma once

#include <string>

#include "control.h"
#include "placement.h"

class TOOAPanel;

class TPlacedControl : public Control {
 public:
  const TEntryList& ActivePages() const { return activePages_; }
  TEntryList& ActivePages() { return activePages_; }
  void SetActivePages(const TEntryList& entries) { activePages_ = entries; }

  // The panel the object stands on, or none.
  virtual TOOAPanel* OwnerPanel() const = 0;

  // True when pageName is not blank and some entry is for exactly that page.
  bool IsOnPage(const std::string& pageName) const;
  // Appends an entry at the current position for a page that has none, then shows the active page.
  void AddPageEntry(const std::string& pageName);
  // Rewrites the entry for a page the object is on with its current position (and flags).
  void StorePagePosition(const std::string& pageName);
  // The add and remove page dialogs, for the object shown under objectName.
  void AddNewDisplayPage(const std::string& objectName);
  void RemoveExistsDisplayPage(const std::string& objectName);

 protected:
  // What follows the coordinates when the position is stored; the entity's hide flags.
  virtual std::string EntryFlags() const { return {}; }

 private:
  TEntryList activePages_;
};
