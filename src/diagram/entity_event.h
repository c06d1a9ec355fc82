// The entity event box: links a trigger method row (the source) to the method row it executes (the
// target), of any entities.
#pragma once

#include <string>

#include "link_box.h"

class TMethod;

class TEntityEvent : public TLinkBox {
 public:
  static constexpr TColor FillColour = 0xEA9953;
  static constexpr TColor OutlineColour = 0x39ADEC;

  explicit TEntityEvent(TEntity& owner);
  ~TEntityEvent() override;

  int EventNo() const { return eventNo_; }
  void SetEventNo(int no) { eventNo_ = no; }
  const std::string& EventDesc() const { return eventDesc_; }
  void SetEventDesc(const std::string& desc) { eventDesc_ = desc; }
  TMethod* SourceMethod() const;
  TMethod* TargetMethod() const;
  void SetSourceMethod(TMethod* row);
  void SetTargetMethod(TMethod* row);

  void BuildMenu();
  void UpdateMenuCaption();
  void RenameEvent();
  void RemoveEvent();
  void AddDisplayPage();
  void RemoveDisplayPage();

  void DrawOn(Canvas& canvas, int x, int y) override;
  void DragDrop(Control& source, int x, int y) override;

 protected:
  void SelectInOwner() override;
  void NameChanged(const std::string& oldName) override;

 private:
  int eventNo_ = 0;
  std::string eventDesc_;
};

TEntityEvent* AddEntityEvent(TEntity& entity, const std::string& desc, bool silent);
