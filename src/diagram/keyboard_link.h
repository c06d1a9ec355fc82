// The keyboard's way to make the links a drag makes: "Link To..." on a row or on a relation or
// event box offers the other ends the drag could reach on the page shown, and the chosen end is
// linked exactly as a drop there links it, asking the drop's own question.
#pragma once

#include <string>
#include <vector>

class Control;

struct TLinkEnd {
  std::string Label;  // as the choice lists it: "Entity.Row", or the box's name with its owner's
  Control* Object = nullptr;
};

// The ends `from` can be linked with, in the diagram's order, each label told apart from the others:
// a property row's relation boxes, a method row's event boxes and the other methods of its entity
// (a call), a relation box's property rows and an event box's method rows. None for anything else.
std::vector<TLinkEnd> LinkEnds(Control& from);
// Links `from` and `to` as dragging the row onto the box (or the method onto the method it calls)
// does: the row pressed as a right click presses it, then the drop with its question.
void LinkByKeyboard(Control& from, Control& to);
// "Link To...": the ends in a choice dialog, then LinkByKeyboard; nothing when there is no end or
// the choice is backed out of.
void LinkToCommand(Control& from);
