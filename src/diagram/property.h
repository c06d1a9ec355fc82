// A property row of an entity: its name, its data type fields, whether it is displayed, and the
// commands of its popup menu.
#pragma once

#include <string>

#include "row.h"

class TProperty : public TRow {
 public:
  explicit TProperty(TEntity& owner, long long id = 0);
  ~TProperty() override;

  bool IsDisplay() const { return isDisplay_; }
  // Stores a changed value, repaints the entity and shows the active page again.
  void SetIsDisplay(bool display);
  // Stores the value alone, as the hide command does.
  void StoreIsDisplay(bool display) { isDisplay_ = display; }
  int DisplaySlot() const { return displaySlot_; }
  void SetDisplaySlot(int slot) { displaySlot_ = slot; }
  const std::string& PropertyDesc() const { return Desc(); }
  void SetPropertyDesc(const std::string& desc) { SetDesc(desc); }
  TPropertyDataType DataType() const { return dataType_; }
  void SetDataType(TPropertyDataType type) { dataType_ = type; }
  int DataSize() const { return dataSize_; }
  void SetDataSize(int size) { dataSize_ = size; }
  int DataScale() const { return dataScale_; }
  void SetDataScale(int scale) { dataScale_ = scale; }
  int PhysicalLength();
  // Whether the row is (part of) its entity's primary key, and whether its value may be left out:
  // what a database's column says, kept so that the model can go back to one.
  bool PrimaryKey() const { return primaryKey_; }
  void SetPrimaryKey(bool key) { primaryKey_ = key; }
  bool NotNull() const { return notNull_; }
  void SetNotNull(bool notNull) { notNull_ = notNull; }

  // Everything an edit can change in the row, and that state given back.
  TPropertyImage Image() const;
  void Restore(const TPropertyImage& image);

  void BuildMenu();
  void RenameProperty();
  void MoveUp();
  void MoveDown();
  void HideProperty();
  void RemoveProperty();
  void CreatePropertyRelation();
  // " -> Property Data Type": the data type dialog; OK stores the kind, size and scale it shows,
  // when size and scale lie within 0 to MaxDataSize, and whether the row is a key and not null.
  void ChooseDataType();
  static constexpr int MaxDataSize = 1000000;

  bool IsShownOn(const std::string& page) const override;
  void DrawOn(Canvas& canvas, int x, int y) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  void NameChanged(const std::string& oldName) override;
  std::string RenameStepName() const override { return "Rename Property"; }

 private:
  void SwapWith(TProperty& other);

  bool isDisplay_ = true;
  int displaySlot_ = 0;
  TPropertyDataType dataType_ = pdtVachar;
  int dataSize_ = 0;
  int dataScale_ = 0;
  bool primaryKey_ = false;
  bool notNull_ = false;
  int physicalLength_ = 0;
};

// Appends one property row to the entity (asking for its name when desc is empty); unless silent,
// offers to create another one each time. Returns the last row created.
TProperty* AddProperty(TEntity& entity, const std::string& desc, bool silent);
// One row made as AddProperty makes it, silently, but for the method rows, which stay where they
// stand: an edit that makes many rows places them all once at its end.
TProperty* AddPropertyLeavingMethods(TEntity& entity, const std::string& desc);
