// Remembers which relation and event boxes link to an object (an entity or a row), so that removing
// the object clears exactly those links, without a walk over the whole diagram.
#pragma once

#include <algorithm>
#include <vector>

class TLinkBox;

class TLinkTarget {
 public:
  const std::vector<TLinkBox*>& LinkedBy() const { return linkedBy_; }
  // A box linking both ends to the same object is listed twice.
  void AddLink(TLinkBox* box) { linkedBy_.push_back(box); }
  void RemoveLink(TLinkBox* box) {
    auto it = std::find(linkedBy_.begin(), linkedBy_.end(), box);
    if (it != linkedBy_.end()) linkedBy_.erase(it);
  }

 protected:
  // Clears every link end that names this object.
  void DetachAllLinks();

 private:
  std::vector<TLinkBox*> linkedBy_;
};
