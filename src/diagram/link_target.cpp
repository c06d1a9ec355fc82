#include "link_target.h"

#include "link_box.h"

void TLinkTarget::DetachAllLinks() {
  // Each notice removes the box from this list, so work on a copy.
  const std::vector<TLinkBox*> boxes = linkedBy_;
  for (TLinkBox* box : boxes) box->LinkedObjectRemoved(this);
}
