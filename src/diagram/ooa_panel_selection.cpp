// The panel's selection of several objects: gathered by Ctrl+click, the band and Ctrl+A, shown by the
// window, moved, removed and arranged together.
#include <algorithm>
#include <unordered_set>

#include "entity.h"
#include "entity_event.h"
#include "link_box.h"
#include "ooa_panel.h"
#include "own_surface_items.h"
#include "relation.h"

namespace {
// The objects of the selection are the panel's own children: entities and their boxes.
bool IsSelectable(const Control& control) { return dynamic_cast<const TPlacedControl*>(&control) != nullptr; }

TEntity* EntityOf(TPlacedControl& object) {
  if (auto* entity = dynamic_cast<TEntity*>(&object)) return entity;
  if (auto* box = dynamic_cast<TLinkBox*>(&object)) return box->OwnerEntity();
  return nullptr;
}
}  // namespace

std::vector<TPlacedControl*> TOOAPanel::SelectedObjects() const {
  std::vector<TPlacedControl*> objects = selection_.Objects();
  std::erase_if(objects, [](const TPlacedControl* object) { return !object->Visible(); });
  return objects;
}

size_t TOOAPanel::SelectionSize() const {
  if (const size_t gathered = selection_.Size()) return gathered;
  return selectedEntity_ ? 1 : 0;
}

void TOOAPanel::SelectionWasChanged(const std::vector<TPlacedControl*>& repaint) {
  for (TPlacedControl* object : repaint) object->Invalidate();
  if (ownItems_) ownItems_->SelectionChanged(selection_.Size());
  if (SelectionChanged) SelectionChanged();
}

bool TOOAPanel::SelectionPress(TPlacedControl& object, TMouseButton button, TShiftState shift) {
  if (button != TMouseButton::Left) return false;
  if (!(shift & ssCtrl)) {
    if (!selection_.Empty() && !selection_.Contains(object)) ClearSelection();
    return false;
  }
  std::vector<TPlacedControl*> changed{&object};
  // The first object taken brings what was selected before it: the box or the entity pressed last.
  if (selection_.Empty() && selectedEntity_) {
    TPlacedControl* before = selectedEntity_;
    if (pressedEntity_ == selectedEntity_) {
      if (pressedEntity_->PressedPart() == TEntity::TPressedPart::Relation && pressedEntity_->SelectedRelation())
        before = pressedEntity_->SelectedRelation();
      else if (pressedEntity_->PressedPart() == TEntity::TPressedPart::Event && pressedEntity_->SelectedEvent())
        before = pressedEntity_->SelectedEvent();
    }
    if (before != &object && before->Visible()) {
      selection_.Add(*before);
      changed.push_back(before);
    }
  }
  selection_.Toggle(object);
  SelectionWasChanged(changed);
  return true;
}

void TOOAPanel::MouseDown(TMouseButton button, TShiftState shift, int, int) {
  // A press on the empty surface lets the selection go, unless Ctrl keeps it for a band to add to.
  if (button == TMouseButton::Left && !(shift & ssCtrl) && !selection_.Empty()) ClearSelection();
}

void TOOAPanel::SelectAllOnPage() {
  selection_.Clear();
  const auto& places = ChildPlaces();
  for (size_t i = 0; i < places.size(); ++i)
    if (places[i].Visible && IsSelectable(*Children()[i])) selection_.Add(*static_cast<TPlacedControl*>(Children()[i]));
  // Every frame shows at once: the whole surface is painted again.
  Invalidate();
  SelectionWasChanged({});
}

void TOOAPanel::ClearSelection() {
  std::vector<TPlacedControl*> changed = selection_.Objects();
  selection_.Clear();
  if (TEntity* selected = selectedEntity_) {
    selected->SetSelectedProperty(nullptr);
    selected->SetSelectedMethod(nullptr);
    selectedEntity_ = nullptr;
    changed.push_back(selected);
  }
  SelectionWasChanged(changed);
}

void TOOAPanel::SelectObjects(const std::vector<TPlacedControl*>& objects) {
  ClearSelection();
  std::vector<TPlacedControl*> shown = objects;
  std::erase_if(shown, [](const TPlacedControl* object) { return !object->Visible(); });
  selection_.Set(shown);
  Invalidate();
  SelectionWasChanged({});
}

void TOOAPanel::BandSelect(const TRect& band, TShiftState shift) {
  if (!(shift & ssCtrl)) selection_.Clear();
  std::vector<TPlacedControl*> changed;
  const auto& places = ChildPlaces();
  for (size_t i = 0; i < places.size(); ++i)
    if (places[i].Visible && band.Encloses(places[i].Bounds) && IsSelectable(*Children()[i])) {
      auto* object = static_cast<TPlacedControl*>(Children()[i]);
      selection_.Add(*object);
      changed.push_back(object);
    }
  Invalidate();
  SelectionWasChanged(changed);
}

TRect TOOAPanel::BoundsOf(const std::vector<TPlacedControl*>& objects) {
  if (objects.empty()) return {};
  TRect bounds = objects.front()->BoundsRect();
  for (const TPlacedControl* object : objects) bounds = Union(bounds, object->BoundsRect());
  return bounds;
}

std::vector<TEntity*> TOOAPanel::ScopeOfObjects(const std::vector<TPlacedControl*>& objects) {
  std::vector<TEntity*> scope;
  std::unordered_set<TEntity*> taken;
  for (TPlacedControl* object : objects) {
    TEntity* entity = EntityOf(*object);
    if (!entity || taken.count(entity)) continue;
    for (TEntity* reached : TDiagramHistory::ScopeOf(entity))
      if (taken.insert(reached).second) scope.push_back(reached);
  }
  return scope;
}

TRect TOOAPanel::DragBounds(const Control& source) const {
  const auto* object = dynamic_cast<const TPlacedControl*>(&source);
  if (!object || selection_.Size() < 2 || !selection_.Contains(*object)) return Control::DragBounds(source);
  return BoundsOf(SelectedObjects());
}

void TOOAPanel::MoveSelection(int dx, int dy) { MoveObjects(SelectedObjects(), dx, dy, "Move Selection"); }

void TOOAPanel::MoveObjects(const std::vector<TPlacedControl*>& objects, int dx, int dy, const std::string& what) {
  if (objects.empty()) return;
  const TRect bounds = BoundsOf(objects);
  // Held together: the whole selection stops at the surface's top and left edges.
  dx = std::max(dx, -bounds.Left);
  dy = std::max(dy, -bounds.Top);
  if (dx == 0 && dy == 0) return;
  std::vector<TPoint> places;
  places.reserve(objects.size());
  for (const TPlacedControl* object : objects) places.push_back({object->Left() + dx, object->Top() + dy});
  const TEditStep step(this, what, ScopeOfObjects(objects));
  PlaceObjects(objects, places);
}

void TOOAPanel::PlaceObjects(const std::vector<TPlacedControl*>& objects, const std::vector<TPoint>& places) {
  for (size_t i = 0; i < objects.size() && i < places.size(); ++i) {
    TPlacedControl& object = *objects[i];
    object.SetBounds(std::max(0, places[i].X), std::max(0, places[i].Y), object.Width(), object.Height());
    object.StorePagePosition(activePageName_);
  }
  // Once every object stands: a line between two of them is placed once, between their new places.
  for (TPlacedControl* object : objects) {
    if (auto* entity = dynamic_cast<TEntity*>(object))
      entity->UpdateAllAnchors();
    else if (auto* box = dynamic_cast<TLinkBox*>(object))
      box->UpdateAnchors();
  }
  Invalidate();
}

void TOOAPanel::DeleteSelection() {
  const std::vector<TPlacedControl*> objects = SelectedObjects();
  std::unordered_set<const TEntity*> going;
  std::vector<TEntity*> entities;
  std::vector<TLinkBox*> boxes;
  for (TPlacedControl* object : objects) {
    if (auto* entity = dynamic_cast<TEntity*>(object)) {
      going.insert(entity);
      entities.push_back(entity);
    } else if (auto* box = dynamic_cast<TLinkBox*>(object)) {
      boxes.push_back(box);
    }
  }
  const TEditStep step(this, "Remove Selection", ScopeOfObjects(objects));
  selection_.Clear();
  WithOneEditorRefresh([&] {
    // A box goes with its owner when that goes too; the others one by one, as their menus remove them.
    for (TLinkBox* box : boxes) {
      if (going.count(box->OwnerEntity())) continue;
      box->SelectInOwner();
      box->RemoveThisBox();
    }
    for (TEntity* entity : entities) {
      const int at = IndexOfSerial(entity->Serial());
      if (at >= 0) DestroyEntityAt(static_cast<size_t>(at));
    }
  });
  Invalidate();
  SelectionWasChanged({});
}
