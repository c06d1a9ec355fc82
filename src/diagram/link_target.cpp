#include "link_target.h"

#include "link_box.h"

void TLinkTarget::DetachAllLinks() {
  // Each notice removes the box from this list, so work on a copy; newest first, so that each box
  // leaves this list and the lists of its other ends from their ends.
  const std::vector<TLinkBox*> boxes = linkedBy_;
  for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) (*it)->LinkedObjectRemoved(this);
}
