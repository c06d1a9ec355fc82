#include "method.h"

#include <algorithm>
#include <utility>

#include "keyboard_link.h"
#include "canvas.h"
#include "entity.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "text.h"

TMethod::TMethod(TEntity& owner, long long id) : TRow(owner, id) {}

TMethodImage TMethod::Image() const {
  TMethodImage image;
  CaptureRow(image);
  image.Call = callMethod_ ? callMethod_->Id() : 0;
  image.CallDistance = callMethodLineDistance_;
  return image;
}

void TMethod::Restore(const TMethodImage& image) {
  RestoreRow(image);
  SetCallMethodLineDistance(image.CallDistance);
}

TMethod::~TMethod() {
  // No call may be left pointing at a removed row.
  const std::vector<TMethod*> callers = calledBy_;
  for (TMethod* caller : callers) caller->SetCallMethod(nullptr);
  SetCallMethod(nullptr);
  if (TEntity* owner = OwnerEntity()) {
    if (owner->SelectedMethod() == this) owner->SetSelectedMethod(nullptr);
    owner->MethodNames().Remove(Name(), this);
  }
}

void TMethod::NameChanged(const std::string& oldName) {
  if (TEntity* owner = OwnerEntity()) owner->MethodNames().Rename(oldName, Name(), this);
}

void TMethod::SetCallMethod(TMethod* called) {
  if (called == callMethod_) return;
  if (callMethod_) {
    auto& list = callMethod_->calledBy_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) list.erase(it);
  }
  callMethod_ = called;
  if (callMethod_) callMethod_->calledBy_.push_back(this);
  CallLinesMoved();
}

void TMethod::SetCallMethodLineDistance(int distance) {
  if (distance == callMethodLineDistance_) return;
  callMethodLineDistance_ = distance;
  if (callMethod_) CallLinesMoved();
}

void TMethod::CallLinesMoved() {
  if (MarkLinesMoved()) return;
  if (TOOAPanel* panel = OwnerPanel()) panel->Connectors().Moved(*this);
}

void TMethod::AnchorsMoved() {
  TRow::AnchorsMoved();
  if (callMethod_) CallLinesMoved();
  for (TMethod* caller : calledBy_) caller->CallLinesMoved();
}

int FreeCallDistance(const TEntity& entity, const TMethod& caller) {
  // The smallest spacing no other call of the entity stands at, so that no two brackets overlap
  // after a call was removed or a calling row was given another call. Calls only ever added stand
  // at 0, 1, 2, ..., so each new one gets the number of calls before it.
  std::vector<bool> taken(entity.MethodList().size() + 1, false);
  for (const auto& slot : entity.MethodList()) {
    const TMethod& row = *slot.Object;
    const int distance = row.CallMethodLineDistance();
    if (&row != &caller && row.CallMethod() && distance >= 0 && static_cast<size_t>(distance) < taken.size())
      taken[static_cast<size_t>(distance)] = true;
  }
  int distance = 0;
  while (taken[static_cast<size_t>(distance)]) ++distance;
  return distance;
}

namespace {
// The last property row the entity shows, or none. A row hidden one by one keeps its old place: the
// methods stand under the rows that show, or the box would keep a band where the hidden row was.
const TProperty* LastShownProperty(const TEntity& entity) {
  if (!entity.ShowProperty()) return nullptr;
  const auto& rows = entity.PropertyList();
  for (auto it = rows.rbegin(); it != rows.rend(); ++it)
    if (it->Object && it->Object->IsDisplay()) return it->Object.get();
  return nullptr;
}
}  // namespace

void PlaceMethodRow(TMethod& row) {
  TEntity* entity = row.OwnerEntity();
  if (!entity || !row.Parent()) return;
  if (const TProperty* lastProperty = LastShownProperty(*entity)) {
    row.SetTop(lastProperty->Top() + entity->PropertyDefHeight() + entity->MethodDefHeight() * row.RowIndex() + 1);
  } else {
    row.SetTop(entity->MethodDefHeight() * row.RowIndex() + 20);
  }
}

TMethod* AddMethod(TEntity& entity, const std::string& desc, bool silent) {
  const TNewRowKind<TMethod> kind{entity.MethodList(), entity.MethodNames(), entity.ShowMethod(),
                                  entity.MethodDefHeight(), "_Method", "Method", "Create New Method",
                                  "Input New Method's Name :", "Continue New Method ??"};
  const auto top = [&entity](TMethod& row) {
    int base = 20;
    if (const TProperty* lastProperty = LastShownProperty(entity)) base = lastProperty->Top() + lastProperty->Height();
    return base + 2 + entity.MethodDefHeight() * row.RowIndex();
  };
  return AddEntityRow(entity, kind, desc, silent, top, [](TMethod&) {});
}

void TMethod::BuildMenu() {
  BeginMenu("METHOD : ");
  PopupMenu& menu = Menu();
  menu.Add("-> Rename Method", [this] { RenameMethod(); });
  menu.Add("-> Method Move UP", [this] { MoveUp(); });
  menu.Add("-> Method Move Down", [this] { MoveDown(); });
  menu.Add("-> Remove This Method", [this] { RemoveMethod(); });
  // The keyboard's way to the drops that link this row to an event box or call another method.
  menu.Add("-");
  menu.Add("-> Link To...", [this] { LinkToCommand(*this); });
}

void TMethod::SwapWith(TMethod& other) {
  SwapInList(OwnerEntity()->MethodList(), *this, other, [](TMethod& row) { PlaceMethodRow(row); });
}

void TMethod::RenameMethod() {
  const TEditStep step = EditStep(RenameStepName());
  Rename("Method Rename", "Input New Method's Name :");
}

void TMethod::MoveUp() {
  if (!OwnerEntity() || RowIndex() == 0) return;
  const TEditStep step = EditStep("Move Up Method");
  if (TMethod* above = OwnerEntity()->MethodByIndex(RowIndex() - 1)) SwapWith(*above);
}

void TMethod::MoveDown() {
  if (!OwnerEntity()) return;
  const TEditStep step = EditStep("Move Down Method");
  if (TMethod* below = OwnerEntity()->MethodByIndex(RowIndex() + 1)) SwapWith(*below);
}

void TMethod::RemoveMethod() {
  TEntity* entity = OwnerEntity();
  if (!entity) return;
  const TEditStep step = RemoveStep("Method", entity->SelectedMethod());
  entity->RemoveSelectedMethod();
}

void TMethod::DefineCall() {
  TEntity* entity = OwnerEntity();
  Platform* platform = GetPlatform();
  if (!entity || !platform) return;
  TMethod* selected = entity->SelectedMethod();
  if (!selected || selected == this) return;
  const TEditStep step(OwnerPanel(), "Define Call of Method " + selected->MethodDesc(), TDiagramHistory::ScopeOf(entity));
  if (!platform->AskYesNo("Define Method (" + selected->MethodDesc() + ") Call \"" + MethodDesc() + "\" ??",
                          "Define Method Dialog"))
    return;
  selected->SetCallMethod(this);
  selected->SetCallMethodLineDistance(FreeCallDistance(*entity, *selected));
  if (TOOAPanel* panel = OwnerPanel()) {
    entity->DrawConnectors(panel->GetCanvas());
    panel->Invalidate();
  }
}

bool TMethod::IsShownOn(const std::string& page) const {
  const TEntity* entity = OwnerEntity();
  return entity && entity->IsOnPage(page) && entity->ShowMethod() && Visible();
}

void TMethod::DrawOn(Canvas& canvas, int x, int y) {
  TEntity* entity = OwnerEntity();
  if (!entity || !entity->ShowMethod() || !entity->Visible()) return;
  const int bottom = Top() + Height();
  const bool last = !entity->MethodList().empty() && entity->MethodList().back().Object.get() == this;
  if (bottom >= entity->Height() || last) entity->SetHeight(bottom + 1);
  const std::string text = (MethodDesc().empty() ? Name() : MethodDesc()) + " ( )";
  const int textWidth = canvas.TextWidth(text);
  const bool widened = textWidth > Width();
  if (widened) {
    entity->SetWidth(textWidth + 10);
    SetWidth(textWidth + 8);
    UpdateAnchors();
  }
  DrawBox(canvas, x, y, text, entity->SelectedMethod() == this ? clrRed : clrBlack, true);
  if (widened)
    if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

void TMethod::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::Middle) return;
  TEntity* entity = OwnerEntity();
  if (!entity) return;
  // Ctrl+click on a row takes its entity into the selection or out of it, and nothing else.
  if (TOOAPanel* panel = OwnerPanel(); panel && panel->SelectionPress(*entity, button, shift)) return;
  // The entity is taken where its row was pressed, in its own coordinates.
  entity->MouseDown(button, shift, x + Left(), y + Top());
  entity->SetPressedPart(TEntity::TPressedPart::Method);
  if (TMethod* previous = entity->SelectedMethod(); previous && previous != this) previous->Invalidate();
  entity->SetSelectedMethod(this);
  Invalidate();
  TOOAPanel* panel = OwnerPanel();
  if (panel && panel->OnSelectMethod) panel->OnSelectMethod(*panel, *entity, *this);
}

void TMethod::DragOver(Control&, int, int, TDragState, bool& accept) { accept = true; }

void TMethod::DragDrop(Control&, int, int) { DefineCall(); }
