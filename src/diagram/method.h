// A method row of an entity: its name, the method row it calls, and the commands of its popup menu.
#pragma once

#include <string>
#include <vector>

#include "connector_index.h"
#include "row.h"

// The connector-index slot comes first, so that it is let go of last, after every change the
// row's own destruction makes to its calls.
class TMethod : public TConnectorSource, public TRow {
 public:
  explicit TMethod(TEntity& owner, long long id = 0);
  ~TMethod() override;

  const std::string& MethodDesc() const { return Desc(); }
  void SetMethodDesc(const std::string& desc) { SetDesc(desc); }
  TMethod* CallMethod() const { return callMethod_; }
  void SetCallMethod(TMethod* called);
  int CallMethodLineDistance() const { return callMethodLineDistance_; }
  void SetCallMethodLineDistance(int distance);
  // The rows whose CallMethod is this row.
  const std::vector<TMethod*>& CalledBy() const { return calledBy_; }

  // Everything an edit can change in the row, and that state given back but for the call, which the
  // entity links again once every row of it stands (TEntity::RestoreLinks).
  TMethodImage Image() const;
  void Restore(const TMethodImage& image);

  void BuildMenu();
  void RenameMethod();
  void MoveUp();
  void MoveDown();
  void RemoveMethod();
  // A drop on this row: offers to let the entity's selected method row call this one.
  void DefineCall();

  bool IsShownOn(const std::string& page) const override;
  void DrawOn(Canvas& canvas, int x, int y) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DragOver(Control& source, int x, int y, TDragState state, bool& accept) override;
  void DragDrop(Control& source, int x, int y) override;

 protected:
  void NameChanged(const std::string& oldName) override;
  std::string RenameStepName() const override { return "Rename Method"; }
  // Besides the boxes' lines, the call lines from and to this row run elsewhere.
  void AnchorsMoved() override;

 private:
  void SwapWith(TMethod& other);
  void CallLinesMoved();

  TMethod* callMethod_ = nullptr;
  int callMethodLineDistance_ = 15;
  std::vector<TMethod*> calledBy_;
};

TMethod* AddMethod(TEntity& entity, const std::string& desc, bool silent);
// Puts the row at its Top by its RowIndex, below the last property row when properties are shown.
void PlaceMethodRow(TMethod& row);
// The bracket spacing a new call of caller takes: the smallest no other call of the entity uses.
int FreeCallDistance(const TEntity& entity, const TMethod& caller);
