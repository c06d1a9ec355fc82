#include "keyboard_focus.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "property.h"
#include "relation.h"

namespace {
// Where an object stands in reading order; the place in the diagram's lists breaks ties.
using TReadingKey = std::tuple<int, int, size_t>;

// Calls visit(object, key) for every entity and box that shows on the page.
template <class Visit>
void ForEachShown(const TOOAPanel& panel, Visit visit) {
  size_t at = 0;
  const auto one = [&](Control& object) {
    if (object.Visible()) visit(object, TReadingKey{object.Top(), object.Left(), at});
    ++at;
  };
  for (const auto& entity : panel.Entities()) {
    if (!entity) continue;
    one(*entity);
    for (const auto& slot : entity->RelationList())
      if (slot.Object) one(*slot.Object);
    for (const auto& slot : entity->EventList())
      if (slot.Object) one(*slot.Object);
  }
}

}  // namespace

std::vector<Control*> PageInReadingOrder(const TOOAPanel& panel) {
  std::vector<std::pair<TReadingKey, Control*>> keyed;
  ForEachShown(panel, [&](Control& object, const TReadingKey& key) { keyed.push_back({key, &object}); });
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Control*> page;
  page.reserve(keyed.size());
  for (const auto& [key, object] : keyed) page.push_back(object);
  return page;
}

std::vector<Control*> ShownRowsOf(const TOOAPanel& panel, TEntity& entity) {
  std::vector<Control*> rows;
  const std::string& page = panel.ActivePageName();
  for (const auto& slot : entity.PropertyList())
    if (slot.Object && slot.Object->IsShownOn(page)) rows.push_back(slot.Object.get());
  for (const auto& slot : entity.MethodList())
    if (slot.Object && slot.Object->IsShownOn(page)) rows.push_back(slot.Object.get());
  std::stable_sort(rows.begin(), rows.end(), [](const Control* a, const Control* b) { return a->Top() < b->Top(); });
  return rows;
}

Control* TKeyboardFocus::Current() const {
  if (!object_ || alive_.expired()) return nullptr;
  for (const Control* up = object_; up; up = up->Parent())
    if (!up->Visible()) return nullptr;
  return object_;
}

void TKeyboardFocus::Set(Control* object) {
  object_ = object;
  alive_ = object ? object->LifeToken() : std::weak_ptr<const void>();
}

Control* TKeyboardFocus::Step(const TOOAPanel& panel, bool backwards) {
  Control* from = Current();
  if (auto* row = dynamic_cast<TRow*>(from)) from = row->OwnerEntity();
  // The key of the focused object, found in the same pass as its neighbours in reading order.
  std::optional<TReadingKey> fromKey;
  ForEachShown(panel, [&](Control& object, const TReadingKey& key) {
    if (&object == from) fromKey = key;
  });
  Control* next = nullptr;
  Control* wrap = nullptr;
  TReadingKey nextKey;
  TReadingKey wrapKey;
  // The nearest object past the focused one; failing that, the first (or last) of all.
  ForEachShown(panel, [&](Control& object, const TReadingKey& key) {
    const bool past = fromKey && (backwards ? key < *fromKey : key > *fromKey);
    if (past && (!next || (backwards ? key > nextKey : key < nextKey))) {
      next = &object;
      nextKey = key;
    }
    if (!wrap || (backwards ? key > wrapKey : key < wrapKey)) {
      wrap = &object;
      wrapKey = key;
    }
  });
  Set(next ? next : wrap);
  return Current();
}

Control* TKeyboardFocus::StepRow(const TOOAPanel& panel, bool up) {
  Control* from = Current();
  if (auto* entity = dynamic_cast<TEntity*>(from)) {
    const std::vector<Control*> rows = ShownRowsOf(panel, *entity);
    if (up || rows.empty()) return nullptr;
    Set(rows.front());
    return rows.front();
  }
  auto* row = dynamic_cast<TRow*>(from);
  if (!row || !row->OwnerEntity()) return nullptr;
  const std::vector<Control*> rows = ShownRowsOf(panel, *row->OwnerEntity());
  const auto at = std::find(rows.begin(), rows.end(), from);
  if (at == rows.end()) return nullptr;
  Control* next = up ? (at == rows.begin() ? row->OwnerEntity() : *(at - 1)) : (at + 1 == rows.end() ? nullptr : *(at + 1));
  if (next) Set(next);
  return next;
}
