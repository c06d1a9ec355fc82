#include "property.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keyboard_link.h"
#include "entity.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "relation.h"
#include "text.h"

TProperty::TProperty(TEntity& owner, long long id) : TRow(owner, id) {}

TPropertyImage TProperty::Image() const {
  TPropertyImage image;
  CaptureRow(image);
  image.IsDisplay = isDisplay_;
  image.DisplaySlot = displaySlot_;
  image.DataType = dataType_;
  image.DataSize = dataSize_;
  image.DataScale = dataScale_;
  image.PrimaryKey = primaryKey_;
  image.NotNull = notNull_;
  return image;
}

void TProperty::Restore(const TPropertyImage& image) {
  RestoreRow(image);
  isDisplay_ = image.IsDisplay;
  displaySlot_ = image.DisplaySlot;
  dataType_ = image.DataType;
  dataSize_ = image.DataSize;
  dataScale_ = image.DataScale;
  primaryKey_ = image.PrimaryKey;
  notNull_ = image.NotNull;
}

TProperty::~TProperty() {
  if (TEntity* owner = OwnerEntity()) {
    if (owner->SelectedProperty() == this) owner->SetSelectedProperty(nullptr);
    owner->PropertyNames().Remove(Name(), this);
  }
}

void TProperty::NameChanged(const std::string& oldName) {
  if (TEntity* owner = OwnerEntity()) owner->PropertyNames().Rename(oldName, Name(), this);
}

void TProperty::SetIsDisplay(bool display) {
  if (display == isDisplay_) return;
  isDisplay_ = display;
  if (TEntity* owner = OwnerEntity()) owner->Repaint();
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

int TProperty::PhysicalLength() {
  physicalLength_ = PhysicalLengthOf(dataType_, dataSize_, dataScale_);
  return physicalLength_;
}

namespace {
TProperty* AddPropertyRow(TEntity& entity, const std::string& desc, bool silent, bool placeMethods) {
  const TNewRowKind<TProperty> kind{entity.PropertyList(), entity.PropertyNames(), entity.ShowProperty(),
                                    entity.PropertyDefHeight(), "_Prop", "Property", "Create New Property",
                                    "Input New Property's Name :", "Continue New Property ??"};
  const auto top = [&entity](TProperty& row) {
    row.SetDisplaySlot(row.RowIndex());
    return entity.PropertyDefHeight() * row.RowIndex() + 20;
  };
  // The method rows stand below the properties: one row lower for each property shown.
  const auto placed = [&entity, placeMethods](TProperty&) {
    if (!placeMethods) return;
    if (!entity.ShowProperty()) {
      entity.SetHeight(TEntity::TitleHeight);
    } else if (entity.MethodCount() > 0) {
      entity.SetHeight(entity.Height() + entity.PropertyDefHeight());
      for (auto& slot : entity.MethodList()) {
        PlaceMethodRow(*slot.Object);
        slot.Object->UpdateAnchors();
      }
    }
  };
  return AddEntityRow(entity, kind, desc, silent, top, placed);
}
}  // namespace

TProperty* AddProperty(TEntity& entity, const std::string& desc, bool silent) {
  return AddPropertyRow(entity, desc, silent, true);
}

TProperty* AddPropertyLeavingMethods(TEntity& entity, const std::string& desc) { return AddPropertyRow(entity, desc, true, false); }

void TProperty::BuildMenu() {
  BeginMenu("PROPERTY : ");
  PopupMenu& menu = Menu();
  menu.Add(" -> Rename Property", [this] { RenameProperty(); });
  menu.Add(" -> Property Move UP", [this] { MoveUp(); });
  menu.Add(" -> Property Move Down", [this] { MoveDown(); });
  menu.Add("-");
  menu.Add(" -> Property Data Type", [this] { ChooseDataType(); });
  menu.Add("-");
  menu.Add(" -> Hide This Property", [this] { HideProperty(); });
  menu.Add("-");
  menu.Add(" -> Remove This Property", [this] { RemoveProperty(); });
  menu.Add(" -> Create Property's Relation", [this] { CreatePropertyRelation(); });
  // The keyboard's way to the drop that links this row to a relation box.
  menu.Add("-");
  menu.Add(" -> Link To...", [this] { LinkToCommand(*this); });
}

void TProperty::ChooseDataType() {
  Platform* platform = GetPlatform();
  if (!platform) return;
  const TEditStep step = EditStep("Set Data Type of Property");
  TFormDialog form;
  form.Caption = "Property Data Type";
  form.ListLabel = "Data Type";
  for (int kind = 0; kind < kPropertyDataTypeCount; ++kind)
    form.Items.push_back(DataTypeName(static_cast<TPropertyDataType>(kind)));
  form.ItemIndex = dataType_;
  form.Numbers = {{"Size", dataSize_, 0, MaxDataSize}, {"Scale", dataScale_, 0, MaxDataSize}};
  form.ResultLabel = "Physical Length";
  form.Checks = {{"Primary Key", primaryKey_}, {"Not Null", notNull_}};
  form.Result = [](int item, const std::vector<int>& numbers) {
    if (item < 0 || item >= kPropertyDataTypeCount || numbers.size() != 2) return std::string();
    return IntToText(PhysicalLengthOf(static_cast<TPropertyDataType>(item), numbers[0], numbers[1]));
  };
  const std::optional<TFormAnswer> answer = platform->AskForm(form);
  if (!answer) return;
  const auto inRange = [](int n) { return n >= 0 && n <= MaxDataSize; };
  if (answer->ItemIndex < 0 || answer->ItemIndex >= kPropertyDataTypeCount || answer->Numbers.size() != 2 ||
      !inRange(answer->Numbers[0]) || !inRange(answer->Numbers[1]) || answer->Checks.size() != 2) {
    platform->ShowMessage("The size and the scale must be whole numbers from 0 to 1000000; the data type is "
                          "left as it was.");
    return;
  }
  SetDataType(static_cast<TPropertyDataType>(answer->ItemIndex));
  SetDataSize(answer->Numbers[0]);
  SetDataScale(answer->Numbers[1]);
  SetPrimaryKey(answer->Checks[0]);
  SetNotNull(answer->Checks[1]);
}

void TProperty::SwapWith(TProperty& other) {
  TEntity& entity = *OwnerEntity();
  const int slot = DisplaySlot();
  SetDisplaySlot(other.DisplaySlot());
  other.SetDisplaySlot(slot);
  SwapInList(entity.PropertyList(), *this, other, [&entity](TProperty& row) { entity.PlacePropertyRow(row); });
}

void TProperty::RenameProperty() {
  const TEditStep step = EditStep(RenameStepName());
  Rename("Property Rename", "Input New Property's Name :");
}

void TProperty::MoveUp() {
  if (!OwnerEntity() || RowIndex() == 0) return;
  const TEditStep step = EditStep("Move Up Property");
  if (TProperty* above = OwnerEntity()->PropertyByIndex(RowIndex() - 1)) SwapWith(*above);
}

void TProperty::MoveDown() {
  if (!OwnerEntity()) return;
  const TEditStep step = EditStep("Move Down Property");
  if (TProperty* below = OwnerEntity()->PropertyByIndex(RowIndex() + 1)) SwapWith(*below);
}

void TProperty::HideProperty() {
  TEntity* entity = OwnerEntity();
  if (!entity) return;
  const TEditStep step = EditStep("Hide Property");
  isDisplay_ = false;
  entity->SetHeight(TEntity::TitleHeight);
  entity->RestackDisplayedProperties();
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

void TProperty::RemoveProperty() {
  // Removes the entity's selected row, which the press that opened this menu made this one.
  TEntity* entity = OwnerEntity();
  if (!entity) return;
  const TEditStep step = RemoveStep("Property", entity->SelectedProperty());
  entity->RemoveSelectedProperty();
}

void TProperty::CreatePropertyRelation() {
  TEntity* entity = OwnerEntity();
  if (!entity) return;
  const TEditStep step = EditStep("Create Relation of Property");
  AddRelation(*entity, "", false);
  TRelation& relation = *entity->RelationList().back().Object;
  relation.SetSourceEntity(entity);
  relation.SetSourceProperty(this);
  relation.SetTop(Anchors().Y);
  relation.UpdateAnchors();
  if (TOOAPanel* panel = OwnerPanel()) {
    // The box stands at the row's height: its entry must say so, or the next page showing puts it
    // back where it was made.
    relation.StorePagePosition(panel->ActivePageName());
    panel->Repaint();
  }
}

bool TProperty::IsShownOn(const std::string& page) const {
  const TEntity* entity = OwnerEntity();
  return entity && entity->IsOnPage(page) && entity->ShowProperty() && isDisplay_ && Visible();
}

void TProperty::DrawOn(Canvas& canvas, int x, int y) {
  TEntity* entity = OwnerEntity();
  if (!entity || !entity->ShowProperty() || !isDisplay_ || !entity->Visible()) return;
  const int bottom = Top() + Height();
  if (bottom >= entity->Height()) entity->SetHeight(bottom + 1);
  const bool selected = entity->SelectedProperty() == this;
  DrawBox(canvas, x, y, PropertyDesc().empty() ? Name() : PropertyDesc(), selected ? clrBlue : clrBlack, false);
}

void TProperty::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == TMouseButton::Middle) return;
  TEntity* entity = OwnerEntity();
  if (!entity) return;
  // Ctrl+click on a row takes its entity into the selection or out of it, and nothing else.
  if (TOOAPanel* panel = OwnerPanel(); panel && panel->SelectionPress(*entity, button, shift)) return;
  // The entity is taken where its row was pressed, in its own coordinates.
  entity->MouseDown(button, shift, x + Left(), y + Top());
  entity->SetPressedPart(TEntity::TPressedPart::Property);
  if (TProperty* previous = entity->SelectedProperty(); previous && previous != this) previous->Invalidate();
  entity->SetSelectedProperty(this);
  Invalidate();
  TOOAPanel* panel = OwnerPanel();
  if (panel && panel->OnSelectProperty) panel->OnSelectProperty(*panel, *entity, *this);
}
