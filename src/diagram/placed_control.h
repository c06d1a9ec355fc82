// What entities, relation boxes and event boxes share: a list of placement entries and the
// operations on it. The list changes only through the named changes below, so that the answer to
// "which entry is for this page" can be kept between changes: every page showing and every paint
// asks it of every object. Only an entity writes hide flags into its entries.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control.h"
#include "placement.h"

class TOOAPanel;

class TPlacedControl : public Control {
 public:
  const TEntryList& ActivePages() const { return activePages_; }
  void SetActivePages(const TEntryList& entries);

  // The panel the object stands on, or none.
  virtual TOOAPanel* OwnerPanel() const = 0;

  // The entry for a page as a page showing reads it: its index (the first entry for exactly that
  // page, IndexOfPage, or -1), its position and its hide flags.
  struct TPagePlacing {
    int Index = -1;
    int Left = 0;
    int Top = 0;
    THideFlags Hidden;
  };
  // Read from the entries once after each change of them: every page showing and every paint asks
  // this of every object, and a page showing then reads no entry text.
  TPagePlacing PlacingFor(const std::string& pageName) const;
  int EntryIndexFor(const std::string& pageName) const { return PlacingFor(pageName).Index; }
  // The entry for the page when the object is on it (a blank page holds no object), or none.
  const std::string* EntryOn(const std::string& pageName) const;
  // The same as read by a page showing, or none.
  std::optional<TPagePlacing> PlacingOn(const std::string& pageName) const;
  // True when pageName is not blank and some entry is for exactly that page.
  bool IsOnPage(const std::string& pageName) const { return EntryOn(pageName) != nullptr; }

  // The changes: an entry appended as it stands (read from a file), one replaced, every entry for
  // a page taken away, all of them.
  void AppendEntry(std::string entry);
  void ReplaceEntry(size_t index, std::string entry);
  void RemoveEntriesFor(const std::string& pageName);
  void ClearEntries();
  // Appends an entry at the current position for a page that has none, then shows the active page.
  void AddPageEntry(const std::string& pageName);
  // Rewrites the entry for a page the object is on with its current position (and flags).
  void StorePagePosition(const std::string& pageName);
  // The add and remove page dialogs, for the object shown under objectName.
  void AddNewDisplayPage(const std::string& objectName);
  void RemoveExistsDisplayPage(const std::string& objectName);

 protected:
  // The flags that follow the coordinates when the position is stored; the entity's hide flags.
  virtual THideFlags EntryFlags() const { return {}; }

 private:
  // An entry as read: its page (as IndexOfPage compares it) and its placing.
  struct TReadEntry {
    std::string Page;
    TPagePlacing Placing;
  };
  void EntriesChanged() { read_ = false; }

  TEntryList activePages_;
  mutable std::vector<TReadEntry> readEntries_;
  mutable bool read_ = false;
};
