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
  // The entries to change: taken at once and changed at once, before anything asks IsOnPage again.
  TEntryList& ActivePages() {
    EntriesChanged();
    return activePages_;
  }
  void SetActivePages(const TEntryList& entries) {
    activePages_ = entries;
    EntriesChanged();
  }

  // The panel the object stands on, or none.
  virtual TOOAPanel* OwnerPanel() const = 0;

  // True when pageName is not blank and some entry is for exactly that page. The answer for the
  // last page asked is kept until the entries change: every paint asks it of every object.
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
  void EntriesChanged() { onPageKnown_ = false; }

  TEntryList activePages_;
  mutable std::string knownPage_;
  mutable bool onPageKnown_ = false;
  mutable bool onKnownPage_ = false;
};
