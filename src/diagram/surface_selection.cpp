#include "surface_selection.h"

#include <algorithm>

#include "placed_control.h"

bool TSurfaceSelection::Contains(const TPlacedControl& object) const {
  const auto found = at_.find(&object);
  // An object made where a dead one stood has the dead one's address but not its life.
  return found != at_.end() && !held_[found->second].Alive.expired();
}

void TSurfaceSelection::Add(TPlacedControl& object) {
  if (Contains(object)) return;
  // No pruning here: Ctrl+A and a band add thousands one after the other, and looking over the whole
  // selection at each made selecting a large page take time growing with its square. A dead object
  // at the same address keeps its entry in held_ (without its index) until the next look prunes it.
  at_[&object] = held_.size();
  held_.push_back({&object, object.LifeToken()});
}

bool TSurfaceSelection::Toggle(TPlacedControl& object) {
  if (!Contains(object)) {
    Add(object);
    return true;
  }
  const size_t at = at_[&object];
  held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(at));
  at_.erase(&object);
  for (size_t i = at; i < held_.size(); ++i) at_[held_[i].Object] = i;
  return false;
}

void TSurfaceSelection::Clear() {
  held_.clear();
  at_.clear();
}

void TSurfaceSelection::Set(const std::vector<TPlacedControl*>& objects) {
  Clear();
  for (TPlacedControl* object : objects)
    if (at_.emplace(object, held_.size()).second) held_.push_back({object, object->LifeToken()});
}

void TSurfaceSelection::Prune() const {
  if (std::none_of(held_.begin(), held_.end(), [](const THeld& held) { return held.Alive.expired(); })) return;
  std::erase_if(held_, [](const THeld& held) { return held.Alive.expired(); });
  at_.clear();
  for (size_t i = 0; i < held_.size(); ++i) at_[held_[i].Object] = i;
}

std::vector<TPlacedControl*> TSurfaceSelection::Objects() const {
  Prune();
  std::vector<TPlacedControl*> objects;
  objects.reserve(held_.size());
  for (const THeld& held : held_) objects.push_back(held.Object);
  return objects;
}

size_t TSurfaceSelection::Size() const {
  Prune();
  return held_.size();
}
