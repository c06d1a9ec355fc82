// The object the keyboard is on: Tab and Shift+Tab go through the entities and boxes of the page
// shown in reading order (top to bottom, then left to right), Up and Down through an entity's rows.
// It holds the object without owning it: an object that dies simply leaves the focus empty.
#pragma once

#include <memory>
#include <vector>

class Control;
class TEntity;
class TOOAPanel;

// The entities and boxes the page shows, in reading order (as Tab goes).
std::vector<Control*> PageInReadingOrder(const TOOAPanel& panel);
// The rows of the entity that show on the page, top to bottom (as Down goes).
std::vector<Control*> ShownRowsOf(const TOOAPanel& panel, TEntity& entity);

class TKeyboardFocus {
 public:
  // The object focused, while it lives and shows; nothing before the first Tab.
  Control* Current() const;
  void Set(Control* object);
  // Tab (or Shift+Tab): the next entity or box of the page after the focused one (from a row, after
  // its entity), round from the last to the first. One look over the page's objects.
  Control* Step(const TOOAPanel& panel, bool backwards);
  // Down from an entity: its first row shown; Down and Up from a row: the next or previous row
  // shown, Up from the first row back to the entity. Nothing, and the focus unchanged, past the
  // ends or without a focus.
  Control* StepRow(const TOOAPanel& panel, bool up);

 private:
  Control* object_ = nullptr;
  std::weak_ptr<const void> alive_;
};
