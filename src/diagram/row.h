// What property and method rows share: the owner entity, the position in its list, the anchor
// points where connector lines meet the row, the row's own popup menu and its drawing entry points.
#pragma once

#include <memory>
#include <string>

#include "control.h"
#include "diagram_types.h"
#include "link_target.h"
#include "popup_menu.h"

class Canvas;
class TEntity;
class TOOAPanel;

class TRow : public Control, public TLinkTarget {
 public:
  static constexpr TColor RowColour = clrSilver;

  explicit TRow(TEntity& owner);
  ~TRow() override;

  TEntity* OwnerEntity() const { return owner_; }
  TOOAPanel* OwnerPanel() const;
  int RowIndex() const { return rowIndex_; }
  void SetRowIndex(int index) { rowIndex_ = index; }
  const TAnchorPoints& Anchors() const { return anchors_; }
  // Right and left points on the entity's edges, centre x of the row, all at the row's middle.
  void UpdateAnchors();
  PopupMenu& Menu() { return *menu_; }
  bool HasMenu() const { return menu_ != nullptr; }

  // Draws the row at (x, y) of the canvas; Paint draws it on its own canvas at (0, 0).
  virtual void DrawOn(Canvas& canvas, int x, int y) = 0;
  // Draws the row at its place on the panel.
  void PaintTo(Canvas* canvas);
  void Paint() override;

 protected:
  // Forgets the owner; called first by the derived destructors, which still need it for their own
  // bookkeeping before that.
  void ReleaseOwner() { owner_ = nullptr; }
  // Writes text centred (or from x = 3 when leftAligned) in a white box with a silver frame.
  void DrawBox(Canvas& canvas, int x, int y, const std::string& text, TColor fontColour, bool leftAligned);

  std::unique_ptr<PopupMenu> menu_;

 private:
  TEntity* owner_;
  int rowIndex_ = 0;
  TAnchorPoints anchors_;
};
