#include "link_box.h"

#include "keyboard_link.h"
#include "canvas.h"
#include "entity.h"
#include "ooa_panel.h"
#include "platform.h"
#include "row.h"

TLinkBox::TLinkBox(TEntity& owner, long long id)
    : menu_(std::make_unique<PopupMenu>()),
      owner_(&owner),
      id_(id != 0 ? id : owner.OwnerPanel() ? owner.OwnerPanel()->NextObjectId() : 0) {}

TLinkBox::~TLinkBox() {
  ClearSource();
  ClearTarget();
  SetPopupMenu(nullptr);
  menu_.reset();
}

TOOAPanel* TLinkBox::OwnerPanel() const { return owner_ ? owner_->OwnerPanel() : nullptr; }

namespace {
// Moves one end field from its old target to a new one, keeping the targets' lists of linking boxes.
template <class T>
void Relink(TLinkBox* box, T*& field, T* value) {
  if (field == value) return;
  if (field) static_cast<TLinkTarget*>(field)->RemoveLink(box);
  field = value;
  if (field) static_cast<TLinkTarget*>(field)->AddLink(box);
  box->LinesMoved();
}
}  // namespace

void TLinkBox::SetSourceEntity(TEntity* entity) { Relink(this, sourceEntity_, entity); }
void TLinkBox::SetSourceRow(TRow* row) { Relink(this, sourceRow_, row); }
void TLinkBox::SetTargetEntity(TEntity* entity) { Relink(this, targetEntity_, entity); }
void TLinkBox::SetTargetRow(TRow* row) { Relink(this, targetRow_, row); }

TBoxImage TLinkBox::Image() const {
  TBoxImage image;
  CapturePart(*this, id_, desc_, image);
  image.No = no_;
  image.Entries = ActivePages();
  const auto end = [](const TEntity* entity, const TRow* row) {
    return entity ? TEndImage{entity->Serial(), row ? row->Id() : 0} : TEndImage{};
  };
  image.Source = end(sourceEntity_, sourceRow_);
  image.Target = end(targetEntity_, targetRow_);
  return image;
}

void TLinkBox::Restore(const TBoxImage& image) {
  desc_ = image.Desc;
  RestorePart(*this, image);
  no_ = image.No;
  SetActivePages(image.Entries);
}

void TLinkBox::RestoreLinks(const TBoxImage& image, const std::function<TEntity*(long long serial)>& entityOf) {
  const auto restore = [&](const TEndImage& end, void (TLinkBox::*setEntity)(TEntity*), void (TLinkBox::*setRow)(TRow*)) {
    TEntity* entity = end.Entity < 0 ? nullptr : entityOf(end.Entity);
    (this->*setEntity)(entity);
    (this->*setRow)(entity && end.Row != 0 ? entity->RowById(end.Row) : nullptr);
  };
  ClearSource();
  ClearTarget();
  restore(image.Source, &TLinkBox::SetSourceEntity, &TLinkBox::SetSourceRow);
  restore(image.Target, &TLinkBox::SetTargetEntity, &TLinkBox::SetTargetRow);
}

void TLinkBox::ClearSource() {
  SetSourceRow(nullptr);
  SetSourceEntity(nullptr);
}

void TLinkBox::ClearTarget() {
  SetTargetRow(nullptr);
  SetTargetEntity(nullptr);
}

void TLinkBox::LinkedObjectRemoved(const TLinkTarget* object) {
  if ((sourceEntity_ && static_cast<const TLinkTarget*>(sourceEntity_) == object) ||
      (sourceRow_ && static_cast<const TLinkTarget*>(sourceRow_) == object))
    ClearSource();
  if ((targetEntity_ && static_cast<const TLinkTarget*>(targetEntity_) == object) ||
      (targetRow_ && static_cast<const TLinkTarget*>(targetRow_) == object))
    ClearTarget();
}

void TLinkBox::BreakSourceLink() {
  ClearSource();
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

void TLinkBox::BreakTargetLink() {
  ClearTarget();
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

void TLinkBox::UpdateAnchors() {
  const TAnchorPoints old = anchors_;
  anchors_.Y = Top() + Height() / 2;
  anchors_.RightX = Left() + Width();
  anchors_.LeftX = Left();
  anchors_.CentreX = Left() + Width() / 2;
  if (!(anchors_ == old)) LinesMoved();
}

void TLinkBox::LinesMoved() {
  if (MarkLinesMoved()) return;
  if (TOOAPanel* panel = OwnerPanel()) panel->Connectors().Moved(*this);
}

void TLinkBox::PaintTo(Canvas* canvas) {
  if (canvas) DrawOn(*canvas, Left(), Top());
}

void TLinkBox::Paint() { DrawOn(GetCanvas(), 0, 0); }

void TLinkBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (TOOAPanel* panel = OwnerPanel(); panel && panel->SelectionPress(*this, button, shift)) return;
  // Selected in its owner, and the last thing pressed: what Delete removes.
  SelectInOwner();
  TOOAPanel* panel = OwnerPanel();
  if (panel && owner_) panel->SetPressedEntity(owner_);
  BringToFront();
  if (button != TMouseButton::Left) return;
  if (panel) panel->SetDragGrab({x, y});
  BeginDrag();
}

void TLinkBox::RemoveThisBox() {
  const TEditStep step = EditStep("Remove", desc_);
  RemoveBox();
}

void TLinkBox::DragOver(Control&, int, int, TDragState, bool& accept) { accept = true; }

void TLinkBox::BuildMenu(const TMenuCaptions& captions) {
  menuTitle_ = captions.Title;
  kind_ = captions.Kind;
  PopupMenu& menu = Menu();
  menu.Add(std::string(menuTitle_) + (owner_ ? TEntity::HeaderText(owner_->EntityDesc()) : std::string()) + " -> " +
           desc_);
  menu.Add("-");
  // Each command is one step, named after the box as it stood when the command began.
  const auto add = [this, &menu](const char* caption, const char* what, void (TLinkBox::*command)()) {
    menu.Add(caption, [this, what, command] {
      const TEditStep step = EditStep(what, desc_);
      (this->*command)();
    });
  };
  add(captions.Rename, "Rename", &TLinkBox::RenameBox);
  add(captions.BreakSource, "Break Source Link of", &TLinkBox::BreakSourceLink);
  add(captions.BreakTarget, "Break Target Link of", &TLinkBox::BreakTargetLink);
  // The removal takes the owner's selected box of the kind, which the press that opened this menu
  // made this one.
  add(captions.Remove, "Remove", &TLinkBox::RemoveBox);
  add(" -> Add New Display Page", "Add Display Page to", &TLinkBox::AddDisplayPage);
  add(" -> Remove Exists Display Page", "Remove Display Page of", &TLinkBox::RemoveDisplayPage);
  // The keyboard's way to the drop of a row on this box; the drop makes its own step.
  menu.Add("-");
  menu.Add(" -> Link To...", [this] { LinkToCommand(*this); });
}

TEditStep TLinkBox::EditStep(const std::string& what, const std::string& desc) const {
  return TEditStep(OwnerPanel(), what + " " + kind_ + " " + desc, TDiagramHistory::ScopeOf(owner_));
}

void TLinkBox::UpdateMenuCaption() {
  if (!HasMenu() || Menu().Count() == 0 || !owner_) return;
  Menu().Item(0).SetCaption(std::string(menuTitle_) + TEntity::HeaderText(owner_->EntityDesc()) + " -> " + desc_);
}

void TLinkBox::Rename(const std::string& caption, const std::string& prompt) {
  Platform* platform = GetPlatform();
  if (!platform) return;
  if (const auto answer = AskNewName(*platform, caption, prompt, desc_)) ApplyRename(*answer);
}

bool TLinkBox::RenameTo(const std::string& desc) {
  if (IsBlank(desc) || desc == desc_) return false;
  const TEditStep step = EditStep("Rename", desc_);
  ApplyRename(desc);
  return true;
}

void TLinkBox::ApplyRename(const std::string& desc) {
  desc_ = desc;
  const int oldWidth = Width();
  Repaint();
  UpdateMenuCaption();
  // Painting sizes the box to its new text: the lines that meet it follow its new edges and centre.
  if (Width() != oldWidth) {
    UpdateAnchors();
    if (TOOAPanel* panel = OwnerPanel()) panel->Invalidate();
  }
  // The page editor lists relation and event boxes by their descriptions.
  if (TOOAPanel* panel = OwnerPanel()) panel->RefreshPageEditor();
}
