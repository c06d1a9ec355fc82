// Boxes linked by lines placed on the surface so that they read well: no two overlap, linked boxes
// stand near each other, unlinked ones are packed aside, everything within the surface. The layered
// layout itself is Graphviz's; what is this program's own is how components are packed and what
// happens when they do not fit.
#pragma once

#include <vector>

#include "geometry.h"

struct TLayoutBox {
  int Width = 0;
  int Height = 0;
  // A box that stands for a link between others (a relation or event box): never where its group's
  // layers start, so that it lands between the boxes it links.
  bool Connector = false;
};

struct TLayoutLink {
  int From = 0;
  int To = 0;
};

struct TLayoutResult {
  // Top-left corner of each box, in the order given.
  std::vector<TPoint> Places;
  // False when the boxes could not all be placed within the surface without overlapping: they are
  // then placed as well as they can be, every one within the surface.
  bool Fits = true;
};

// Lays the boxes out on a square surface of surfaceSize pixels.
TLayoutResult LayoutBoxes(const std::vector<TLayoutBox>& boxes, const std::vector<TLayoutLink>& links,
                          int surfaceSize);

// Splits the boxes into groups that each lay out readably on one page of surfaceSize pixels, along
// the groups the links make (linked boxes kept together where a group allows): one group holding
// every box when they fit on one page. Each box in exactly one group; groups in a stable order.
std::vector<std::vector<int>> GroupBoxesForPages(const std::vector<TLayoutBox>& boxes,
                                                 const std::vector<TLayoutLink>& links, int surfaceSize);
