// Component names looked up through an index, so that finding an object by name, or a free name
// for a new object, costs the same whatever the size of the diagram. Names need not be unique
// (a diagram file may repeat them): each name keeps every object that bears it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text.h"

template <class T>
class TNameIndex {
 public:
  // The order in which First picks among the objects of one name: creation order for entities,
  // row order for rows, place in the list for boxes.
  using TBefore = bool (*)(const T*, const T*);

  TNameIndex(bool ignoreCase, TBefore before)
      : ignoreCase_(ignoreCase),
        before_(before),
        map_(0, TKeyHash{ignoreCase}, TKeyEqual{ignoreCase}),
        takenRuns_(0, TKeyHash{ignoreCase}, TKeyEqual{ignoreCase}) {}

  void Add(const std::string& name, T* object) {
    auto it = map_.find(std::string_view(name));
    if (it == map_.end()) it = map_.emplace(Key(name), TObjects{}).first;
    TObjects& entry = it->second;
    entry.Objects.push_back(object);
    // A file may give thousands of objects one name and look that name up after each: the first
    // is kept up to date here rather than searched for again at every lookup.
    if (entry.FirstStamp == orderStamp_ && before_(object, entry.First)) entry.First = object;
  }
  void Remove(const std::string& name, T* object) {
    auto it = map_.find(std::string_view(name));
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
  bool Contains(std::string_view name) const { return map_.find(name) != map_.end(); }
  // The object with that name that comes first by the index's order, or none.
  T* First(std::string_view name) const {
    auto it = map_.find(name);
    if (it == map_.end()) return nullptr;
    const TObjects& entry = it->second;
    if (entry.FirstStamp != orderStamp_) {
      entry.First = *std::min_element(entry.Objects.begin(), entry.Objects.end(), before_);
      entry.FirstStamp = orderStamp_;
    }
    return entry.First;
  }
  // The first object with that name other than `except`: a call names its row, and a file may give
  // the calling row the same name as the called one. Only the first of a name needs the search.
  T* FirstOther(std::string_view name, const T* except) const {
    T* first = First(name);
    if (first != except) return first;
    const TObjects& entry = map_.find(name)->second;
    T* other = nullptr;
    for (T* object : entry.Objects)
      if (object != except && (!other || before_(object, other))) other = object;
    return other;
  }
  // The objects changed their order among themselves (rows moved or numbered again): First works
  // each name's first out again.
  void OrderChanged() { ++orderStamp_; }
  // prefix + n for the smallest n from start upwards that names no object here.
  std::string FreeName(const std::string& prefix, long long start, long long* number = nullptr) const {
    // The numbers an earlier search for this prefix found taken are not tried again (a file may
    // name thousands of objects with the numbers new ones would get): they stay taken until one of
    // those names is freed.
    auto run = takenRuns_.find(std::string_view(prefix));
    if (run == takenRuns_.end()) run = takenRuns_.emplace(Key(prefix), TTakenRun{}).first;
    TTakenRun& taken = run->second;
    long long n = start;
    if (taken.From <= start && start < taken.To) n = taken.To;
    // Each number is tried in one buffer: the prefix stays, the digits after it change.
    std::string name = prefix;
    auto withNumber = [&](long long k) -> const std::string& {
      name.resize(prefix.size());
      name += IntToText(k);
      return name;
    };
    while (Contains(withNumber(n))) ++n;
    if (!(taken.From <= start && start <= taken.To)) taken.From = start;
    taken.To = n;
    if (number) *number = n;
    return withNumber(n);
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

  // Names are looked up as they are given, without a folded copy: the hash and the comparison fold
  // letter case themselves where the index ignores it. Stored keys are folded, as the taken runs'
  // prefixes are compared with them.
  std::string Key(const std::string& name) const { return ignoreCase_ ? UpperCase(name) : name; }
  struct TKeyHash {
    using is_transparent = void;
    bool IgnoreCase;
    size_t operator()(std::string_view text) const {
      std::uint64_t hash = 14695981039346656037ull;
      for (const char c : text) hash = (hash ^ static_cast<unsigned char>(IgnoreCase ? UpperAscii(c) : c)) * 1099511628211ull;
      return static_cast<size_t>(hash);
    }
  };
  struct TKeyEqual {
    using is_transparent = void;
    bool IgnoreCase;
    bool operator()(std::string_view a, std::string_view b) const { return IgnoreCase ? SameText(a, b) : a == b; }
  };

  // A freed name may be one of the numbers a search found taken.
  void NameFreed(const std::string& key) {
    for (auto it = takenRuns_.begin(); it != takenRuns_.end();)
      it = key.compare(0, it->first.size(), it->first) == 0 ? takenRuns_.erase(it) : std::next(it);
  }

  bool ignoreCase_;
  TBefore before_;
  std::unordered_map<std::string, TObjects, TKeyHash, TKeyEqual> map_;
  std::uint64_t orderStamp_ = 1;
  mutable std::unordered_map<std::string, TTakenRun, TKeyHash, TKeyEqual> takenRuns_;
};
