// The objects gathered on the surface by Ctrl+click, the band or Ctrl+A: entities, relation boxes and
// entity event boxes, which move, align and go together. It holds them without owning them: an
// object that dies simply drops out, so that no removal, undo or reload has to tell it.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

class TPlacedControl;

class TSurfaceSelection {
 public:
  bool Contains(const TPlacedControl& object) const;
  // Adds the object, or takes it out when it was held already; true when it is held now.
  bool Toggle(TPlacedControl& object);
  void Add(TPlacedControl& object);
  void Clear();
  // Holds exactly these objects, in this order, once each: one pass, where adding them one by one
  // would look over the whole selection at each.
  void Set(const std::vector<TPlacedControl*>& objects);
  bool Empty() const { return Size() == 0; }
  // The objects still alive, in the order they were gathered.
  std::vector<TPlacedControl*> Objects() const;
  size_t Size() const;

 private:
  // Forgets the objects that died since the last look.
  void Prune() const;

  struct THeld {
    TPlacedControl* Object;
    std::weak_ptr<const void> Alive;
  };
  mutable std::vector<THeld> held_;
  // Where each object stands in held_: Contains asks it at every press and for every object a band
  // encloses, and a selection of thousands is normal with Ctrl+A.
  mutable std::unordered_map<const TPlacedControl*, size_t> at_;
};
