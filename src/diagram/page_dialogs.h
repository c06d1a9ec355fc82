// The two small dialogs that put an object on a display page or take it off one.
#pragma once

#include <string>

#include "placement.h"

class Platform;

// Offers the panel's pages; appends chosenPage @left,top unless the choice is blank or the object
// already has an entry for it. Does not refresh anything.
void AddDisplayPageDialog(Platform& platform, const std::string& objectName, int left, int top,
                          const TEntryList& pageList, TEntryList& entries);
// Offers the object's own pages; deletes the entry for the chosen one.
void RemoveDisplayPageDialog(Platform& platform, const std::string& objectName, TEntryList& entries);
// Sorts the items of a sorted drop-down list the way it shows them: letter case ignored.
void SortListItems(std::vector<std::string>& items);
