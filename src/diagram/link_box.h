// What relation boxes and event boxes share: the owner entity, the two link ends (an entity and one
// of its rows each), placement entries, anchor points, selection, dragging and the page commands.
#pragma once

#include <memory>
#include <string>

#include "diagram_types.h"
#include "placed_control.h"
#include "popup_menu.h"

class Canvas;
class TEntity;
class TLinkTarget;
class TRow;

class TLinkBox : public TPlacedControl {
 public:
  explicit TLinkBox(TEntity& owner);
  ~TLinkBox() override;

  TEntity* OwnerEntity() const { return owner_; }
  void SetOwnerEntity(TEntity* owner) { owner_ = owner; }
  TOOAPanel* OwnerPanel() const override;

  TEntity* SourceEntity() const { return sourceEntity_; }
  TRow* SourceRow() const { return sourceRow_; }
  TEntity* TargetEntity() const { return targetEntity_; }
  TRow* TargetRow() const { return targetRow_; }
  void SetSourceEntity(TEntity* entity);
  void SetSourceRow(TRow* row);
  void SetTargetEntity(TEntity* entity);
  void SetTargetRow(TRow* row);
  void ClearSource();
  void ClearTarget();
  // The removal notice: an end whose entity or row is the removed object is cleared entirely.
  void LinkedObjectRemoved(const TLinkTarget* object);
  void BreakSourceLink();
  void BreakTargetLink();

  const TAnchorPoints& Anchors() const { return anchors_; }
  void UpdateAnchors();
  PopupMenu& Menu() { return *menu_; }
  bool HasMenu() const { return menu_ != nullptr; }

  virtual void DrawOn(Canvas& canvas, int x, int y) = 0;
  void PaintTo(Canvas* canvas);
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DragOver(Control& source, int x, int y, TDragState state, bool& accept) override;

 protected:
  virtual void SelectInOwner() = 0;
  std::unique_ptr<PopupMenu> menu_;

 private:
  TEntity* owner_;
  TEntity* sourceEntity_ = nullptr;
  TRow* sourceRow_ = nullptr;
  TEntity* targetEntity_ = nullptr;
  TRow* targetRow_ = nullptr;
  TAnchorPoints anchors_;
};
