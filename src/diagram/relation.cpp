#include "relation.h"

#include "canvas.h"
#include "entity.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "row.h"
#include "text.h"

TRelation::TRelation(TEntity& owner, long long id) : TLinkBox(owner, id) { SetColor(clrWhite); }

TRelation::~TRelation() {
  if (TEntity* owner = OwnerEntity()) {
    if (owner->SelectedRelation() == this) owner->SetSelectedRelation(nullptr);
    owner->RelationNames().Remove(Name(), this);
  }
}

void TRelation::NameChanged(const std::string& oldName) {
  if (TEntity* owner = OwnerEntity()) owner->RelationNames().Rename(oldName, Name(), this);
}

TProperty* TRelation::SourceProperty() const { return static_cast<TProperty*>(SourceRow()); }
TProperty* TRelation::TargetProperty() const { return static_cast<TProperty*>(TargetRow()); }
void TRelation::SetSourceProperty(TProperty* row) { SetSourceRow(row); }
void TRelation::SetTargetProperty(TProperty* row) { SetTargetRow(row); }

void TRelation::SelectInOwner() {
  if (TEntity* owner = OwnerEntity()) {
    owner->SetSelectedRelation(this);
    owner->SetPressedPart(TEntity::TPressedPart::Relation);
  }
}

TRelation* AddRelation(TEntity& entity, const std::string& desc, bool silent) {
  return AddLinkBox(entity, entity.RelationList(), entity.RelationNames(), desc, silent);
}

void TRelation::BuildMenu() {
  TLinkBox::BuildMenu({"RELATION : ", " -> Rename Relation", " -> Break Link With Relation Source Object",
                       " -> Break Link With Relation Target Object", "-> Remove This Relation", "Relation"});
}

void TRelation::RenameBox() { Rename("Relation Rename", "Input New Relation's Name :"); }

void TRelation::RemoveBox() {
  if (TEntity* owner = OwnerEntity()) owner->RemoveSelectedRelation();
}

bool TRelation::IsShownOn(const std::string& page) const {
  const TEntity* owner = OwnerEntity();
  return (!owner || owner->ShowProperty()) && IsOnPage(page);
}

std::optional<TConnectorShape> TRelation::LineShapeTo(const TRow& row) const {
  return RelationLineShape(Anchors(), row.Anchors());
}

void TRelation::DrawOn(Canvas& canvas, int x, int y) {
  const TOOAPanel* panel = OwnerPanel();
  if (!panel || !IsShownOn(panel->ActivePageName())) {
    SetVisible(false);
    return;
  }
  SetVisible(true);
  const TColor savedBrush = canvas.BrushColor();
  canvas.SetBrushColor(clrWhite);
  canvas.RoundRect(x, y, x + Width(), y + Height(), 15, 15);
  const std::string text = Desc().empty() ? Name() : Desc();
  const int textWidth = canvas.TextWidth(text);
  const int textX = x + Width() / 2 - textWidth / 2;
  const int textY = y + Height() / 2 - canvas.TextHeight(text) / 2;
  if (textWidth > Width()) SetWidth(textWidth + 2);
  canvas.TextOut(textX, textY, text);
  canvas.SetBrushColor(savedBrush);
}

void TRelation::DragDrop(Control& source, int x, int y) {
  TOOAPanel* panel = OwnerPanel();
  if (!panel) return;
  if (dynamic_cast<TRelation*>(&source)) {
    panel->DragDrop(source, x + Left(), y + Top());
    return;
  }
  // A relation links property rows: an entity taken by a method row brings none.
  auto* entity = dynamic_cast<TEntity*>(&source);
  if (!entity || !entity->SelectedProperty() || entity->PressedPart() == TEntity::TPressedPart::Method) return;
  TProperty* row = entity->SelectedProperty();
  const bool sourceSide = entity == OwnerEntity();
  const TEditStep step = EditStep("Link", RelationDesc());
  const std::string question =
      std::string(sourceSide ? "Define Source Property " : "Define Target Property ") + "\"" + row->PropertyDesc() + "\" ??";
  if (!panel->GetPlatformRef().AskYesNo(question, "Define Relation Dialog")) return;
  if (sourceSide) {
    SetSourceEntity(entity);
    SetSourceProperty(row);
  } else {
    SetTargetEntity(entity);
    SetTargetProperty(row);
  }
  panel->Repaint();
}
