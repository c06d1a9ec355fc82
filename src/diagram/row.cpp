#include "row.h"

#include "canvas.h"
#include "entity.h"
#include "link_box.h"
#include "ooa_panel.h"
#include "platform.h"

TRow::TRow(TEntity& owner, long long id)
    : menu_(std::make_unique<PopupMenu>()),
      owner_(&owner),
      id_(id != 0 ? id : owner.OwnerPanel() ? owner.OwnerPanel()->NextObjectId() : 0) {}

TRow::~TRow() {
  // The removal notice: every relation or event end that names this row is cleared.
  DetachAllLinks();
  SetPopupMenu(nullptr);
  menu_.reset();
  owner_ = nullptr;
}

TEditStep TRow::EditStep(const std::string& what) const {
  return TEditStep(OwnerPanel(), what + " " + desc_, TDiagramHistory::ScopeOf(owner_));
}

TEditStep TRow::RemoveStep(const char* kind, const TRow* selected) const {
  return TEditStep(OwnerPanel(), std::string("Remove ") + kind + " " + (selected ? selected->desc_ : std::string()),
                   TDiagramHistory::ScopeOf(owner_));
}

TOOAPanel* TRow::OwnerPanel() const { return owner_ ? owner_->OwnerPanel() : nullptr; }

void TRow::UpdateAnchors() {
  if (!owner_) return;
  const TEntity& entity = *owner_;
  const TAnchorPoints old = anchors_;
  anchors_.Y = entity.Top() + Top() + Height() / 2;
  anchors_.RightX = entity.Left() + entity.Width();
  anchors_.LeftX = entity.Left();
  anchors_.CentreX = entity.Left() + Left() + Width() / 2;
  if (!(anchors_ == old)) AnchorsMoved();
}

void TRow::AnchorsMoved() {
  for (TLinkBox* box : LinkedBy()) box->LinesMoved();
}

void TRow::PaintTo(Canvas* canvas) {
  if (!canvas || !owner_) return;
  DrawOn(*canvas, owner_->Left() + Left(), owner_->Top() + Top());
}

void TRow::Paint() { DrawOn(GetCanvas(), 0, 0); }

void TRow::DrawBox(Canvas& canvas, int x, int y, const std::string& text, TColor fontColour, bool leftAligned) {
  const TColor savedBrush = canvas.BrushColor();
  const TColor savedPen = canvas.PenColor();
  canvas.SetFontColor(fontColour);
  canvas.SetBrushColor(clrWhite);
  canvas.SetPenColor(clrSilver);
  const int textX = leftAligned ? 3 : Width() / 2 - canvas.TextWidth(text) / 2;
  const int textY = Height() / 2 - canvas.TextHeight(text) / 2;
  canvas.Rectangle(x, y, x + Width(), y + Height());
  canvas.TextOut(x + textX, y + textY, text);
  canvas.SetBrushColor(savedBrush);
  canvas.SetPenColor(savedPen);
}

void TRow::SetDesc(const std::string& desc) {
  desc_ = desc;
  SetText(desc);
  Repaint();
}

void TRow::CaptureRow(TRowImage& image) const {
  CapturePart(*this, id_, desc_, image);
  image.RowIndex = rowIndex_;
}

void TRow::RestoreRow(const TRowImage& image) {
  desc_ = image.Desc;
  SetText(image.Desc);
  RestorePart(*this, image);
  rowIndex_ = image.RowIndex;
}

void TRow::BeginMenu(const char* title) {
  menuTitle_ = title;
  const std::string& entityPart = owner_->EntityDesc().empty() ? owner_->Name() : owner_->EntityDesc();
  Menu().Add(std::string(menuTitle_) + TEntity::HeaderText(entityPart) + " -> " + desc_);
  Menu().Add("-");
}

void TRow::UpdateMenuCaption() {
  if (!HasMenu() || Menu().Count() == 0 || !owner_) return;
  Menu().Item(0).SetCaption(std::string(menuTitle_) + TEntity::HeaderText(owner_->EntityDesc()) + " -> " + desc_);
}

void TRow::Rename(const std::string& caption, const std::string& prompt) {
  Platform* platform = GetPlatform();
  if (!platform) return;
  if (const auto answer = AskNewName(*platform, caption, prompt, desc_)) ApplyRename(*answer);
}

bool TRow::RenameTo(const std::string& desc) {
  if (IsBlank(desc) || desc == desc_) return false;
  const TEditStep step = EditStep(RenameStepName());
  ApplyRename(desc);
  return true;
}

void TRow::ApplyRename(const std::string& desc) {
  SetDesc(desc);
  UpdateMenuCaption();
}
