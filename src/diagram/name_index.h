// Component names looked up through an index, so that finding an object by name, or a free name
// for a new object, costs the same whatever the size of the diagram. Names need not be unique
// (a diagram file may repeat them): each name keeps every object that bears it.
#pragma once

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "text.h"

template <class T>
class TNameIndex {
 public:
  explicit TNameIndex(bool ignoreCase) : ignoreCase_(ignoreCase) {}

  void Add(const std::string& name, T* object) { map_[Key(name)].push_back(object); }
  void Remove(const std::string& name, T* object) {
    auto it = map_.find(Key(name));
    if (it == map_.end()) return;
    auto& objects = it->second;
    objects.erase(std::remove(objects.begin(), objects.end(), object), objects.end());
    if (objects.empty()) map_.erase(it);
  }
  void Rename(const std::string& oldName, const std::string& newName, T* object) {
    Remove(oldName, object);
    Add(newName, object);
  }
  bool Contains(const std::string& name) const { return map_.count(Key(name)) != 0; }
  // The object with that name that comes first by the given order, or none.
  template <class Before>
  T* First(const std::string& name, Before before) const {
    auto it = map_.find(Key(name));
    if (it == map_.end()) return nullptr;
    return *std::min_element(it->second.begin(), it->second.end(), before);
  }
  // prefix + n for the smallest n from start upwards that names no object here.
  std::string FreeName(const std::string& prefix, long long start, long long* number = nullptr) const {
    long long n = start;
    while (Contains(prefix + IntToText(n))) ++n;
    if (number) *number = n;
    return prefix + IntToText(n);
  }
  void Clear() { map_.clear(); }

 private:
  std::string Key(const std::string& name) const { return ignoreCase_ ? UpperCase(name) : name; }

  bool ignoreCase_;
  std::unordered_map<std::string, std::vector<T*>> map_;
};
