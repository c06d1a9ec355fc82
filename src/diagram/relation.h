// The relation box: links a property row of its owner entity (the source) to a property row of
// another entity (the target).
#pragma once

#include <string>

#include "link_box.h"

class TProperty;

class TRelation : public TLinkBox {
 public:
  static constexpr const char* NameTag = "_Rel_";
  static constexpr bool HiddenAtCreation = true;

  explicit TRelation(TEntity& owner, long long id = 0);
  ~TRelation() override;

  int RelationNo() const { return No(); }
  void SetRelationNo(int no) { SetNo(no); }
  const std::string& RelationDesc() const { return Desc(); }
  void SetRelationDesc(const std::string& desc) { SetDesc(desc); }
  TProperty* SourceProperty() const;
  TProperty* TargetProperty() const;
  void SetSourceProperty(TProperty* row);
  void SetTargetProperty(TProperty* row);

  void BuildMenu();
  void RenameRelation() { RenameBox(); }
  void RemoveRelation() { RemoveBox(); }

  bool IsShownOn(const std::string& page) const override;
  std::optional<TConnectorShape> LineShapeTo(const TRow& row) const override;
  void DrawOn(Canvas& canvas, int x, int y) override;
  void DragDrop(Control& source, int x, int y) override;

 protected:
  void SelectInOwner() override;
  void RenameBox() override;
  void RemoveBox() override;
  void NameChanged(const std::string& oldName) override;
};

TRelation* AddRelation(TEntity& entity, const std::string& desc, bool silent);
