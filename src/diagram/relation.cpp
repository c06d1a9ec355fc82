#include "relation.h"

#include "canvas.h"
#include "entity.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "text.h"

TRelation::TRelation(TEntity& owner) : TLinkBox(owner) { SetColor(clrWhite); }

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
  if (TEntity* owner = OwnerEntity()) owner->SetSelectedRelation(this);
}

TRelation* AddRelation(TEntity& entity, const std::string& desc, bool silent) {
  TOOAPanel* panel = entity.OwnerPanel();
  auto& list = entity.RelationList();
  list.push_back({desc, std::make_unique<TRelation>(entity)});
  TRelation& relation = *list.back().Object;
  const int count = static_cast<int>(list.size());
  entity.RelationNames().Add(relation.Name(), &relation);
  relation.SetRelationNo(count - 1);
  relation.SetColor(clrSilver);
  relation.SetBounds(entity.Left() + entity.Width() + 10, entity.Top(), entity.Width(), 25);
  relation.SetVisible(false);
  long long n = 0;
  relation.SetName(entity.RelationNames().FreeName(entity.Name() + "_Rel_", count, &n));
  relation.SetRelationDesc(desc.empty() ? entity.EntityDesc() + "_Rel_" + IntToText(n) : desc);
  relation.SetParent(panel);
  relation.BuildMenu();
  relation.SetPopupMenu(&relation.Menu());
  if (!silent && relation.ActivePages().empty() && panel) {
    relation.AddPageEntry(panel->ActivePageName());
    relation.Repaint();
  }
  relation.UpdateAnchors();
  if (panel) panel->RefreshPageEditor();
  return &relation;
}

void TRelation::BuildMenu() {
  PopupMenu& menu = Menu();
  menu.Add("RELATION : " + OwnerEntity()->EntityDesc() + " -> " + relationDesc_);
  menu.Add("-");
  menu.Add(" -> Rename Relation", [this] { RenameRelation(); });
  menu.Add(" -> Break Link With Relation Source Object", [this] { BreakSourceLink(); });
  menu.Add(" -> Break Link With Relation Target Object", [this] { BreakTargetLink(); });
  menu.Add("-> Remove This Relation", [this] { RemoveRelation(); });
  menu.Add(" -> Add New Display Page", [this] { AddDisplayPage(); });
  menu.Add(" -> Remove Exists Display Page", [this] { RemoveDisplayPage(); });
}

void TRelation::UpdateMenuCaption() {
  if (!HasMenu() || Menu().Count() == 0 || !OwnerEntity()) return;
  Menu().Item(0).SetCaption("RELATION : " + OwnerEntity()->EntityDesc() + " -> " + relationDesc_);
}

void TRelation::RenameRelation() {
  Platform* platform = GetPlatform();
  if (!platform) return;
  const auto answer = AskNewName(*platform, "Relation Rename", "Input New Relation's Name :", relationDesc_);
  if (!answer) return;
  relationDesc_ = *answer;
  Repaint();
  UpdateMenuCaption();
}

void TRelation::RemoveRelation() {
  if (TEntity* owner = OwnerEntity()) owner->RemoveSelectedRelation();
}

void TRelation::AddDisplayPage() { AddNewDisplayPage(relationDesc_); }
void TRelation::RemoveDisplayPage() { RemoveExistsDisplayPage(relationDesc_); }

void TRelation::DrawOn(Canvas& canvas, int x, int y) {
  const TEntity* owner = OwnerEntity();
  const TOOAPanel* panel = OwnerPanel();
  if ((owner && !owner->ShowProperty()) || !panel || !IsOnPage(panel->ActivePageName())) {
    SetVisible(false);
    return;
  }
  SetVisible(true);
  const TColor savedBrush = canvas.BrushColor();
  canvas.SetBrushColor(clrWhite);
  canvas.RoundRect(x, y, x + Width(), y + Height(), 15, 15);
  const std::string text = relationDesc_.empty() ? Name() : relationDesc_;
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
  auto* entity = dynamic_cast<TEntity*>(&source);
  if (!entity || !entity->SelectedProperty()) return;
  TProperty* row = entity->SelectedProperty();
  const bool sourceSide = entity == OwnerEntity();
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
