#include "entity_event.h"

#include "canvas.h"
#include "entity.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "row.h"
#include "text.h"

TEntityEvent::TEntityEvent(TEntity& owner, long long id) : TLinkBox(owner, id) {}

TEntityEvent::~TEntityEvent() {
  if (TEntity* owner = OwnerEntity()) {
    if (owner->SelectedEvent() == this) owner->SetSelectedEvent(nullptr);
    owner->EventNames().Remove(Name(), this);
  }
}

void TEntityEvent::NameChanged(const std::string& oldName) {
  if (TEntity* owner = OwnerEntity()) owner->EventNames().Rename(oldName, Name(), this);
}

TMethod* TEntityEvent::SourceMethod() const { return static_cast<TMethod*>(SourceRow()); }
TMethod* TEntityEvent::TargetMethod() const { return static_cast<TMethod*>(TargetRow()); }
void TEntityEvent::SetSourceMethod(TMethod* row) { SetSourceRow(row); }
void TEntityEvent::SetTargetMethod(TMethod* row) { SetTargetRow(row); }

void TEntityEvent::SelectInOwner() {
  if (TEntity* owner = OwnerEntity()) {
    owner->SetSelectedEvent(this);
    owner->SetPressedPart(TEntity::TPressedPart::Event);
  }
}

TEntityEvent* AddEntityEvent(TEntity& entity, const std::string& desc, bool silent) {
  return AddLinkBox(entity, entity.EventList(), entity.EventNames(), desc, silent);
}

void TEntityEvent::BuildMenu() {
  TLinkBox::BuildMenu({"ENTITYEVENT : ", " -> EntityEvent Rename", " -> Break Link With Event Source Object",
                       " -> Break Link With Event Target Object", "-> Remove This Event", "Event"});
}

void TEntityEvent::RenameBox() { Rename("EntityEvent Rename", "Input New EntityEvent's Name :"); }

void TEntityEvent::RemoveBox() {
  if (TEntity* owner = OwnerEntity()) owner->RemoveSelectedEvent();
}

std::optional<TConnectorShape> TEntityEvent::LineShapeTo(const TRow& row) const {
  const TEventEnd end = &row == SourceRow() ? TEventEnd::Source : &row == TargetRow() ? TEventEnd::Target : TEventEnd::Neither;
  return EventLineShape(Anchors(), row.Anchors(), end);
}

void TEntityEvent::DrawOn(Canvas& canvas, int x, int y) {
  const TOOAPanel* panel = OwnerPanel();
  if (!panel || !IsOnPage(panel->ActivePageName())) {
    SetVisible(false);
    return;
  }
  SetVisible(true);
  const TColor savedBrush = canvas.BrushColor();
  const TColor savedPen = canvas.PenColor();
  const std::string text = Desc().empty() ? Name() : Desc();
  const int textWidth = canvas.TextWidth(text);
  const int textHeight = canvas.TextHeight(text);
  SetBounds(Left(), Top(), textWidth + 16, textHeight + 16);
  canvas.SetBrushColor(FillColour);
  canvas.SetPenColor(OutlineColour);
  const int w = Width();
  const int h = Height();
  canvas.Polygon({{x + 10, y}, {x + w - 10, y}, {x + w, y + h / 2}, {x + w - 10, y + h - 1}, {x + 10, y + h - 1}, {x, y + h / 2}});
  canvas.SetPenColor(savedPen);
  canvas.TextOut(x + w / 2 - textWidth / 2, y + h / 2 - textHeight / 2, text);
  canvas.SetBrushColor(savedBrush);
}

void TEntityEvent::DragDrop(Control& source, int x, int y) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  if (dynamic_cast<TEntityEvent*>(&source)) {
    panel->DragDrop(source, x + Left(), y + Top());
    return;
  }
  // An event links method rows: an entity taken by a property row brings none.
  auto* entity = dynamic_cast<TEntity*>(&source);
  if (!entity || !entity->SelectedMethod() || entity->PressedPart() == TEntity::TPressedPart::Property) return;
  TMethod* row = entity->SelectedMethod();
  Platform& platform = panel->GetPlatformRef();
  const TEditStep step = EditStep("Link", EventDesc());
  const std::string quoted = "\"" + row->MethodDesc() + "\" ??";
  if (platform.AskYesNo("Define Trigger Method " + quoted, "Define EntityEvent Dialog")) {
    SetSourceEntity(entity);
    SetSourceMethod(row);
    panel->Repaint();
  } else if (platform.AskYesNo("Define Execute Method " + quoted, "Define EntityEvent Dialog")) {
    SetTargetEntity(entity);
    SetTargetMethod(row);
    panel->Repaint();
  }
}
