// Remembers which relation and event boxes link to an object (an entity or a row), so that removing
// the object clears exactly those links, without a walk over the whole diagram.
#pragma once

#include <algorithm>
#include <iterator>
#include <vector>

class TLinkBox;

class TLinkTarget {
 public:
  const std::vector<TLinkBox*>& LinkedBy() const { return linkedBy_; }
  // A box linking both ends to the same object is listed twice.
  void AddLink(TLinkBox* box) { linkedBy_.push_back(box); }
  // Searched from the end, where the last links made stand: undoing links newest first (as an
  // object going away does) then costs nothing per link, even with thousands on one object.
  void RemoveLink(TLinkBox* box) {
    auto it = std::find(linkedBy_.rbegin(), linkedBy_.rend(), box);
    if (it != linkedBy_.rend()) linkedBy_.erase(std::next(it).base());
  }

 protected:
  // Clears every link end that names this object.
  void DetachAllLinks();

 private:
  std::vector<TLinkBox*> linkedBy_;
};
