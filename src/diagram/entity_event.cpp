#include "entity_event.h"

#include "canvas.h"
#include "entity.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "text.h"

TEntityEvent::TEntityEvent(TEntity& owner) : TLinkBox(owner) {}

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
  if (TEntity* owner = OwnerEntity()) owner->SetSelectedEvent(this);
}

TEntityEvent* AddEntityEvent(TEntity& entity, const std::string& desc, bool silent) {
  TOOAPanel* panel = entity.OwnerPanel();
  auto& list = entity.EventList();
  list.push_back({desc, std::make_unique<TEntityEvent>(entity)});
  TEntityEvent& event = *list.back().Object;
  const int count = static_cast<int>(list.size());
  entity.EventNames().Add(event.Name(), &event);
  event.SetEventNo(count - 1);
  event.SetColor(clrSilver);
  event.SetBounds(entity.Left() + entity.Width() + 10, entity.Top(), entity.Width(), 25);
  long long n = 0;
  event.SetName(entity.EventNames().FreeName(entity.Name() + "_Event_", count, &n));
  event.SetEventDesc(desc.empty() ? entity.EntityDesc() + "_Event_" + IntToText(n) : desc);
  event.SetParent(panel);
  event.BuildMenu();
  event.SetPopupMenu(&event.Menu());
  if (!silent && event.ActivePages().empty() && panel) {
    event.AddPageEntry(panel->ActivePageName());
    event.Repaint();
  }
  event.UpdateAnchors();
  if (panel) panel->RefreshPageEditor();
  return &event;
}

void TEntityEvent::BuildMenu() {
  PopupMenu& menu = Menu();
  menu.Add("ENTITYEVENT : " + OwnerEntity()->EntityDesc() + " -> " + eventDesc_);
  menu.Add("-");
  menu.Add(" -> EntityEvent Rename", [this] { RenameEvent(); });
  menu.Add(" -> Break Link With Event Source Object", [this] { BreakSourceLink(); });
  menu.Add(" -> Break Link With Event Target Object", [this] { BreakTargetLink(); });
  menu.Add("-> Remove This Event", [this] { RemoveEvent(); });
  menu.Add(" -> Add New Display Page", [this] { AddDisplayPage(); });
  menu.Add(" -> Remove Exists Display Page", [this] { RemoveDisplayPage(); });
}

void TEntityEvent::UpdateMenuCaption() {
  if (!HasMenu() || Menu().Count() == 0 || !OwnerEntity()) return;
  Menu().Item(0).SetCaption("ENTITYEVENT : " + OwnerEntity()->EntityDesc() + " -> " + eventDesc_);
}

void TEntityEvent::RenameEvent() {
  Platform* platform = GetPlatform();
  if (!platform) return;
  const auto answer = AskNewName(*platform, "EntityEvent Rename", "Input New EntityEvent's Name :", eventDesc_);
  if (!answer) return;
  eventDesc_ = *answer;
  Repaint();
  UpdateMenuCaption();
}

void TEntityEvent::RemoveEvent() {
  if (TEntity* owner = OwnerEntity()) owner->RemoveSelectedEvent();
}

void TEntityEvent::AddDisplayPage() { AddNewDisplayPage(eventDesc_); }
void TEntityEvent::RemoveDisplayPage() { RemoveExistsDisplayPage(eventDesc_); }

void TEntityEvent::DrawOn(Canvas& canvas, int x, int y) {
  const TOOAPanel* panel = OwnerPanel();
  if (!panel || !IsOnPage(panel->ActivePageName())) {
    SetVisible(false);
    return;
  }
  SetVisible(true);
  const TColor savedBrush = canvas.BrushColor();
  const TColor savedPen = canvas.PenColor();
  const std::string text = eventDesc_.empty() ? Name() : eventDesc_;
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
  auto* entity = dynamic_cast<TEntity*>(&source);
  if (!entity || !entity->SelectedMethod()) return;
  TMethod* row = entity->SelectedMethod();
  Platform& platform = panel->GetPlatformRef();
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
