// Component names looked up through an index, so that finding an object by name, or a free name
// for a new object, costs the same whatever the size of the diagram. Names need not be unique
// (a diagram file may repeat them): each name keeps every object that bears it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "text.h"

template <class T>
class TNameIndex {
 public:
  // The order in which First picks among the objects of one name: creation order for entities,
  // row order for rows, place in the list for boxes.
  using TBefore = bool (*)(const T*, const T*);

  TNameIndex(bool ignoreCase, TBefore before) : ignoreCase_(ignoreCase), before_(before) {}

  void Add(const std::string& name, T* object) {
    TObjects& entry = map_[Key(name)];
    entry.Objects.push_back(object);
    // A file may give thousands of objects one name and look that name up after each: the first
    // is kept up to date here rather than searched for again at every lookup.
    if (entry.FirstStamp == orderStamp_ && before_(object, entry.First)) entry.First = object;
  }
  void Remove(const std::string& name, T* object) {
    auto it = map_.find(Key(name));
    if (it == map_.end()) return;
    TObjects& entry = it->second;
    auto& objects = entry.Objects;
    // First does not depend on where an object stands, so the last one takes the place of the one
    // that goes: nothing behind it moves.
    auto found = std::find(objects.begin(), objects.end(), object);
    if (found == objects.end()) return;
    *found = objects.back();
    objects.pop_back();
    if (entry.First == object) entry.FirstStamp = 0;
    if (objects.empty()) {
      NameFreed(it->first);
      map_.erase(it);
    }
  }
  void Rename(const std::string& oldName, const std::string& newName, T* object) {
    Remove(oldName, object);
    Add(newName, object);
  }
  bool Contains(const std::string& name) const { return map_.count(Key(name)) != 0; }
  // The object with that name that comes first by the index's order, or none.
  T* First(const std::string& name) const {
    auto it = map_.find(Key(name));
    if (it == map_.end()) return nullptr;
    const TObjects& entry = it->second;
    if (entry.FirstStamp != orderStamp_) {
      entry.First = *std::min_element(entry.Objects.begin(), entry.Objects.end(), before_);
      entry.FirstStamp = orderStamp_;
    }
    return entry.First;
  }
  // The objects changed their order among themselves (rows moved or numbered again): First works
  // each name's first out again.
  void OrderChanged() { ++orderStamp_; }
  // prefix + n for the smallest n from start upwards that names no object here.
  std::string FreeName(const std::string& prefix, long long start, long long* number = nullptr) const {
    // The numbers an earlier search for this prefix found taken are not tried again (a file may
    // name thousands of objects with the numbers new ones would get): they stay taken until one of
    // those names is freed.
    TTakenRun& taken = takenRuns_[Key(prefix)];
    long long n = start;
    if (taken.From <= start && start < taken.To) n = taken.To;
    while (Contains(prefix + IntToText(n))) ++n;
    if (!(taken.From <= start && start <= taken.To)) taken.From = start;
    taken.To = n;
    if (number) *number = n;
    return prefix + IntToText(n);
  }
  void Clear() {
    map_.clear();
    takenRuns_.clear();
  }

 private:
  struct TObjects {
    std::vector<T*> Objects;
    mutable T* First = nullptr;
    mutable std::uint64_t FirstStamp = 0;  // First is right while this equals orderStamp_
  };
  // Every number from From up to, not including, To gives a name that was taken when last looked.
  struct TTakenRun {
    long long From = 0;
    long long To = 0;
  };

  std::string Key(const std::string& name) const { return ignoreCase_ ? UpperCase(name) : name; }

  // A freed name may be one of the numbers a search found taken.
  void NameFreed(const std::string& key) {
    for (auto it = takenRuns_.begin(); it != takenRuns_.end();)
      it = key.compare(0, it->first.size(), it->first) == 0 ? takenRuns_.erase(it) : std::next(it);
  }

  bool ignoreCase_;
  TBefore before_;
  std::unordered_map<std::string, TObjects> map_;
  std::uint64_t orderStamp_ = 1;
  mutable std::unordered_map<std::string, TTakenRun> takenRuns_;
};
