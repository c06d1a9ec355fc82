// The entity event box: links a trigger method row (the source) to the method row it executes (the
// target), of any entities.
#pragma once

#include <string>

#include "link_box.h"

class TMethod;

class TEntityEvent : public TLinkBox {
 public:
  static constexpr const char* NameTag = "_Event_";
  static constexpr bool HiddenAtCreation = false;
  static constexpr TColor FillColour = 0xEA9953;
  static constexpr TColor OutlineColour = 0x39ADEC;

  explicit TEntityEvent(TEntity& owner, long long id = 0);
  ~TEntityEvent() override;

  int EventNo() const { return No(); }
  void SetEventNo(int no) { SetNo(no); }
  const std::string& EventDesc() const { return Desc(); }
  void SetEventDesc(const std::string& desc) { SetDesc(desc); }
  TMethod* SourceMethod() const;
  TMethod* TargetMethod() const;
  void SetSourceMethod(TMethod* row);
  void SetTargetMethod(TMethod* row);

  void BuildMenu();
  void RenameEvent() { RenameBox(); }
  void RemoveEvent() { RemoveBox(); }

  std::optional<TConnectorShape> LineShapeTo(const TRow& row) const override;
  void DrawOn(Canvas& canvas, int x, int y) override;
  void DragDrop(Control& source, int x, int y) override;

 protected:
  void SelectInOwner() override;
  void RenameBox() override;
  void RemoveBox() override;
  void NameChanged(const std::string& oldName) override;
};

TEntityEvent* AddEntityEvent(TEntity& entity, const std::string& desc, bool silent);
