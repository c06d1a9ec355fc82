#include "shown_text.h"

#include <algorithm>

#include "canvas.h"
#include "entity.h"
#include "entity_event.h"
#include "link_box.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "relation.h"

namespace {
// Rows stand from here down: above is the entity's title band.
constexpr int kTitleBandHeight = 20;
// A method row's text starts this far into the row; the others are centred.
constexpr int kMethodTextLeft = 3;

TRect BoundsInRoot(const Control& control) {
  const TPoint origin = control.OriginInRoot();
  return {origin.X, origin.Y, origin.X + control.Width(), origin.Y + control.Height()};
}

bool ShowsWithItsParents(const Control& control) {
  for (const Control* c = &control; c; c = c->Parent())
    if (!c->Visible()) return false;
  return true;
}
}  // namespace

TShownText::TShownText(TKind kind, Control& object) : kind_(kind), object_(&object), alive_(object.LifeToken()) {
  box_ = BoundsInRoot(object);
  switch (kind) {
    case TKind::Entity:
      desc_ = static_cast<TEntity&>(object).EntityDesc();
      shown_ = desc_.empty() ? "New Entity" : desc_;
      // Within the entity's frame, which stays in sight around an editor over the title.
      box_ = {box_.Left + 1, box_.Top + 1, box_.Right - 1, std::min(box_.Bottom, box_.Top + kTitleBandHeight)};
      break;
    case TKind::Property:
    case TKind::Method:
      desc_ = static_cast<TRow&>(object).Desc();
      shown_ = desc_.empty() ? object.Name() : desc_;
      if (kind == TKind::Method) shown_ += " ( )";
      break;
    case TKind::Relation:
    case TKind::Event:
      desc_ = static_cast<TLinkBox&>(object).Desc();
      shown_ = desc_.empty() ? object.Name() : desc_;
      break;
  }
  Platform* platform = object.GetPlatform();
  if (!platform) return;
  // Placed as painting places it, and cut where a paint clips the object: at its own box and at
  // every box around it.
  const int width = platform->MeasureCanvas().TextWidth(shown_);
  const int left = box_.Left + (LeftAligned() ? kMethodTextLeft : object.Width() / 2 - width / 2);
  TRect shows = BoundsInRoot(object);
  for (const Control* parent = object.Parent(); parent; parent = parent->Parent())
    shows = Intersection(shows, BoundsInRoot(*parent));
  cut_ = shows.IsEmpty() || left < shows.Left || left + width > shows.Right;
}

std::string ShownName(const Control& object) {
  if (const auto* entity = dynamic_cast<const TEntity*>(&object))
    return entity->EntityDesc().empty() ? std::string("New Entity") : entity->EntityDesc();
  if (const auto* row = dynamic_cast<const TRow*>(&object)) return row->Desc().empty() ? row->Name() : row->Desc();
  if (const auto* box = dynamic_cast<const TLinkBox*>(&object)) return box->Desc().empty() ? box->Name() : box->Desc();
  return object.Name();
}

std::optional<TShownText> TShownText::OfPressed(TOOAPanel& panel) {
  using TPart = TEntity::TPressedPart;
  std::optional<TShownText> found;
  if (TEntity* pressed = panel.PressedEntity()) {
    const TPart part = pressed->PressedPart();
    if (part == TPart::Relation && pressed->SelectedRelation())
      found = TShownText(TKind::Relation, *pressed->SelectedRelation());
    else if (part == TPart::Event && pressed->SelectedEvent())
      found = TShownText(TKind::Event, *pressed->SelectedEvent());
    else if (pressed == panel.SelectedEntity() && part == TPart::Property && pressed->SelectedProperty())
      found = TShownText(TKind::Property, *pressed->SelectedProperty());
    else if (pressed == panel.SelectedEntity() && part == TPart::Method && pressed->SelectedMethod())
      found = TShownText(TKind::Method, *pressed->SelectedMethod());
  }
  if (!found && panel.SelectedEntity()) found = TShownText(TKind::Entity, *panel.SelectedEntity());
  if (found && !ShowsWithItsParents(*found->object_)) return std::nullopt;
  return found;
}

std::optional<TShownText> TShownText::At(TOOAPanel& panel, TPoint point) {
  Control* control = panel.ControlAt(point.X, point.Y);
  if (!control || control == &panel) return std::nullopt;
  if (auto* row = dynamic_cast<TProperty*>(control)) return TShownText(TKind::Property, *row);
  if (auto* row = dynamic_cast<TMethod*>(control)) return TShownText(TKind::Method, *row);
  if (auto* entity = dynamic_cast<TEntity*>(control)) return TShownText(TKind::Entity, *entity);
  if (auto* box = dynamic_cast<TRelation*>(control)) return TShownText(TKind::Relation, *box);
  if (auto* box = dynamic_cast<TEntityEvent*>(control)) return TShownText(TKind::Event, *box);
  return std::nullopt;
}

bool TShownText::Rename(const std::string& text) const {
  if (alive_.expired()) return false;
  switch (kind_) {
    case TKind::Entity: return static_cast<TEntity*>(object_)->RenameTo(text);
    case TKind::Property:
    case TKind::Method: return static_cast<TRow*>(object_)->RenameTo(text);
    case TKind::Relation:
    case TKind::Event: return static_cast<TLinkBox*>(object_)->RenameTo(text);
  }
  return false;
}

std::string TShownText::CutTextAt(TOOAPanel& panel, TPoint point) {
  const std::optional<TShownText> text = At(panel, point);
  if (!text || !text->IsCut()) return {};
  return TEntity::HeaderText(text->Shown());
}
