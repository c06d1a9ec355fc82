#include "keyboard_link.h"

#include <type_traits>
#include <unordered_map>

#include "diagram_history.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "relation.h"

namespace {
std::string Shown(const std::string& desc, const std::string& name) { return desc.empty() ? name : desc; }

std::string RowLabel(const TRow& row, const TEntity& entity) {
  return Shown(entity.EntityDesc(), entity.Name()) + "." + Shown(row.Desc(), row.Name());
}

std::string BoxLabel(const TLinkBox& box) {
  const TEntity* owner = box.OwnerEntity();
  return Shown(box.Desc(), box.Name()) + (owner ? " (" + Shown(owner->EntityDesc(), owner->Name()) + ")" : std::string());
}

// Every row of the kind that shows on the active page, and every box of the kind that does.
template <class Row>
void AddRows(const TOOAPanel& panel, std::vector<TLinkEnd>& ends, const Control* except) {
  const std::string& page = panel.ActivePageName();
  for (const auto& entity : panel.Entities()) {
    if (!entity || !entity->Visible()) continue;
    const auto add = [&](const auto& list) {
      for (const auto& slot : list)
        if (slot.Object && slot.Object.get() != except && slot.Object->IsShownOn(page))
          ends.push_back({RowLabel(*slot.Object, *entity), slot.Object.get()});
    };
    if constexpr (std::is_same_v<Row, TProperty>) add(entity->PropertyList());
    else add(entity->MethodList());
  }
}

template <class Box>
void AddBoxes(const TOOAPanel& panel, std::vector<TLinkEnd>& ends) {
  for (const auto& entity : panel.Entities()) {
    if (!entity) continue;
    const auto add = [&](const auto& list) {
      for (const auto& slot : list)
        if (slot.Object && slot.Object->Visible()) ends.push_back({BoxLabel(*slot.Object), slot.Object.get()});
    };
    if constexpr (std::is_same_v<Box, TRelation>) add(entity->RelationList());
    else add(entity->EventList());
  }
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
  if (dynamic_cast<TProperty*>(&from)) {
    AddBoxes<TRelation>(*panel, ends);
  } else if (auto* method = dynamic_cast<TMethod*>(&from)) {
    AddBoxes<TEntityEvent>(*panel, ends);
    // A call stays within its entity.
    if (TEntity* entity = method->OwnerEntity())
      for (const auto& slot : entity->MethodList())
        if (slot.Object && slot.Object.get() != method && slot.Object->IsShownOn(panel->ActivePageName()))
          ends.push_back({RowLabel(*slot.Object, *entity), slot.Object.get()});
  } else if (dynamic_cast<TRelation*>(&from)) {
    AddRows<TProperty>(*panel, ends, nullptr);
  } else if (dynamic_cast<TEntityEvent*>(&from)) {
    AddRows<TMethod>(*panel, ends, nullptr);
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
  ChoiceDialog dialog;
  const auto* row = dynamic_cast<const TRow*>(&from);
  const auto* box = dynamic_cast<const TLinkBox*>(&from);
  dialog.Caption = "Link To [ " + (row ? row->Desc() : box ? box->Desc() : from.Name()) + " ]";
  dialog.Width = 360;
  dialog.Height = 105;
  dialog.Label = "Link To";
  dialog.LabelLeft = 22;
  dialog.LabelTop = 16;
  dialog.ListLeft = 92;
  dialog.ListTop = 12;
  dialog.ListWidth = 250;
  // The first end stands chosen: the arrow keys go through the others, Escape backs out.
  for (const TLinkEnd& end : ends) dialog.Items.push_back(end.Label);
  dialog.ItemIndex = 0;
  dialog.CloseLeft = 146;
  dialog.CloseTop = 54;
  dialog.CloseCaption = "Link";
  dialog.AnswerOnlyByButton = true;
  const std::string chosen = platform->Choose(dialog);
  for (const TLinkEnd& end : ends)
    if (end.Label == chosen) return LinkByKeyboard(from, *end.Object);
}
