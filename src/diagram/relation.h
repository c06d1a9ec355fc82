// The relation box: links a property row of its owner entity (the source) to a property row of
// another entity (the target).
#pragma once

#include <string>

#include "link_box.h"

class TProperty;

class TRelation : public TLinkBox {
 public:
  explicit TRelation(TEntity& owner);
  ~TRelation() override;

  int RelationNo() const { return relationNo_; }
  void SetRelationNo(int no) { relationNo_ = no; }
  const std::string& RelationDesc() const { return relationDesc_; }
  void SetRelationDesc(const std::string& desc) { relationDesc_ = desc; }
  TProperty* SourceProperty() const;
  TProperty* TargetProperty() const;
  void SetSourceProperty(TProperty* row);
  void SetTargetProperty(TProperty* row);

  void BuildMenu();
  void UpdateMenuCaption();
  void RenameRelation();
  void RemoveRelation();
  void AddDisplayPage();
  void RemoveDisplayPage();

  void DrawOn(Canvas& canvas, int x, int y) override;
  void DragDrop(Control& source, int x, int y) override;

 protected:
  void SelectInOwner() override;
  void NameChanged(const std::string& oldName) override;

 private:
  int relationNo_ = 0;
  std::string relationDesc_;
};

TRelation* AddRelation(TEntity& entity, const std::string& desc, bool silent);
