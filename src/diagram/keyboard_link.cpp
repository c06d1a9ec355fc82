#include "keyboard_link.h"

#include <unordered_map>

#include "diagram_history.h"
#include "entity.h"
#include "entity_event.h"
#include "keyboard_focus.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "relation.h"
#include "shown_text.h"

namespace {
std::string RowLabel(const TRow& row, const TEntity& entity) { return ShownName(entity) + "." + ShownName(row); }

std::string BoxLabel(const TLinkBox& box) {
  const TEntity* owner = box.OwnerEntity();
  return ShownName(box) + (owner ? " (" + ShownName(*owner) + ")" : std::string());
}

// Every row shown on the active page of the list `rowsOf` picks from each entity.
template <class Pick>
void AddRows(const TOOAPanel& panel, std::vector<TLinkEnd>& ends, Pick rowsOf) {
  const std::string& page = panel.ActivePageName();
  for (const auto& entity : panel.Entities())
    if (entity && entity->Visible())
      for (const auto& slot : rowsOf(*entity))
        if (slot.Object && slot.Object->IsShownOn(page)) ends.push_back({RowLabel(*slot.Object, *entity), slot.Object.get()});
}

// Every box shown of the list `boxesOf` picks from each entity.
template <class Pick>
void AddBoxes(const TOOAPanel& panel, std::vector<TLinkEnd>& ends, Pick boxesOf) {
  for (const auto& entity : panel.Entities())
    if (entity)
      for (const auto& slot : boxesOf(*entity))
        if (slot.Object && slot.Object->Visible()) ends.push_back({BoxLabel(*slot.Object), slot.Object.get()});
}

// The row a link starts from and the control the drop lands on, whichever of the two was chosen
// first.
struct TDrop {
  TRow* Row = nullptr;
  Control* Target = nullptr;
};

TDrop DropOf(Control& from, Control& to) {
  if (auto* row = dynamic_cast<TProperty*>(&from); row && dynamic_cast<TRelation*>(&to)) return {row, &to};
  if (auto* row = dynamic_cast<TMethod*>(&from); row && (dynamic_cast<TEntityEvent*>(&to) || dynamic_cast<TMethod*>(&to)))
    return {row, &to};
  if (auto* row = dynamic_cast<TProperty*>(&to); row && dynamic_cast<TRelation*>(&from)) return {row, &from};
  if (auto* row = dynamic_cast<TMethod*>(&to); row && dynamic_cast<TEntityEvent*>(&from)) return {row, &from};
  return {};
}
}  // namespace

std::vector<TLinkEnd> LinkEnds(Control& from) {
  std::vector<TLinkEnd> ends;
  TOOAPanel* panel = nullptr;
  for (Control* up = &from; up && !panel; up = up->Parent()) panel = dynamic_cast<TOOAPanel*>(up);
  if (!panel) return ends;
  const auto relations = [](TEntity& entity) -> auto& { return entity.RelationList(); };
  const auto events = [](TEntity& entity) -> auto& { return entity.EventList(); };
  if (dynamic_cast<TProperty*>(&from)) {
    AddBoxes(*panel, ends, relations);
  } else if (auto* method = dynamic_cast<TMethod*>(&from)) {
    AddBoxes(*panel, ends, events);
    // A call stays within its entity.
    if (TEntity* entity = method->OwnerEntity())
      for (Control* row : ShownRowsOf(*panel, *entity))
        if (row != method && dynamic_cast<TMethod*>(row)) ends.push_back({RowLabel(static_cast<TRow&>(*row), *entity), row});
  } else if (dynamic_cast<TRelation*>(&from)) {
    AddRows(*panel, ends, [](TEntity& entity) -> auto& { return entity.PropertyList(); });
  } else if (dynamic_cast<TEntityEvent*>(&from)) {
    AddRows(*panel, ends, [](TEntity& entity) -> auto& { return entity.MethodList(); });
  }
  // Two ends of one label would be one answer: the later ones are numbered.
  std::unordered_map<std::string, int> seen;
  for (TLinkEnd& end : ends)
    if (const int n = ++seen[end.Label]; n > 1) end.Label += " (" + std::to_string(n) + ")";
  return ends;
}

void LinkByKeyboard(Control& from, Control& to) {
  const TDrop drop = DropOf(from, to);
  if (!drop.Row || !drop.Target) return;
  TEntity* entity = drop.Row->OwnerEntity();
  if (!entity) return;
  // The press a drag begins with is a command of its own; here it is part of the link's one step, so
  // that undoing the link gives back the selection it found. The drop's own step is within it.
  auto* box = dynamic_cast<TLinkBox*>(drop.Target);
  std::vector<TEntity*> scope{entity};
  if (box && box->OwnerEntity() && box->OwnerEntity() != entity) scope.push_back(box->OwnerEntity());
  const std::string what = box ? std::string("Link ") + box->StepKind() + " " + box->Desc()
                               : "Define Call of Method " + drop.Row->Desc();
  const TEditStep step(entity->OwnerPanel(), what, scope);
  // What the press of a drag leaves: the entity selected, with this row as its pressed row.
  drop.Row->MouseDown(TMouseButton::Right, 0, 1, 1);
  drop.Target->DragDrop(*entity, 0, 0);
}

void LinkToCommand(Control& from) {
  Platform* platform = from.GetPlatform();
  if (!platform) return;
  const std::vector<TLinkEnd> ends = LinkEnds(from);
  if (ends.empty()) return;
  std::vector<std::string> labels;
  for (const TLinkEnd& end : ends) labels.push_back(end.Label);
  // The first end stands chosen: the arrow keys go through the others, Escape backs out.
  const std::string chosen = platform->Choose(PickOneDialog("Link To [ " + ShownName(from) + " ]", "Link To", std::move(labels), "Link"));
  for (const TLinkEnd& end : ends)
    if (end.Label == chosen) return LinkByKeyboard(from, *end.Object);
}
