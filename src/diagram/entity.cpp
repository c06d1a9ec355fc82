#include "entity.h"

#include <optional>

#include "canvas.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "relation.h"
#include "rows_text.h"
#include "text.h"

TEntity::TEntity(TOOAPanel& panel)
    : panel_(&panel),
      propertyNames_(false, [](const TProperty* a, const TProperty* b) { return a->RowIndex() < b->RowIndex(); }),
      methodNames_(false, [](const TMethod* a, const TMethod* b) { return a->RowIndex() < b->RowIndex(); }),
      relationNames_(false, [](const TRelation* a, const TRelation* b) { return a->RelationNo() < b->RelationNo(); }),
      eventNames_(false, [](const TEntityEvent* a, const TEntityEvent* b) { return a->EventNo() < b->EventNo(); }) {
  SetBounds(0, 0, 80, 120);
  SetColor(Colour);
  menu_ = std::make_unique<PopupMenu>();
  SetPopupMenu(menu_.get());
}

TEntity::~TEntity() {
  // No link may outlive the entity, even one a diagram file made inconsistent.
  DetachAllLinks();
  if (panel_ && panel_->SelectedEntity() == this) panel_->SetSelectedEntity(nullptr);
  if (panel_) panel_->ForgetShowMark(*this);
  panel_ = nullptr;
  ForgetSelections();
  ClearEntries();
  SetPopupMenu(nullptr);
  menu_.reset();
  // Lets go of the rows and boxes at once: each leaving the child list by itself would search it.
  ReleaseChildren();
  // The same for the name indexes: a member leaving its name's list by itself would search it, and a
  // file may give thousands of members one name.
  propertyNames_.Clear();
  methodNames_.Clear();
  relationNames_.Clear();
  eventNames_.Clear();
  for (auto& slot : properties_) slot.Object.reset();
  properties_.clear();
  for (auto& slot : methods_) slot.Object.reset();
  methods_.clear();
  for (auto& slot : relations_) {
    if (!slot.Object) continue;
    slot.Object->SetOwnerEntity(nullptr);
    slot.Object.reset();
  }
  relations_.clear();
  for (auto& slot : events_) {
    if (!slot.Object) continue;
    slot.Object->SetOwnerEntity(nullptr);
    slot.Object.reset();
  }
  events_.clear();
}

void TEntity::ForgetSelections() {
  selectedProperty_ = nullptr;
  selectedMethod_ = nullptr;
  selectedRelation_ = nullptr;
  selectedEvent_ = nullptr;
}

void TEntity::NameChanged(const std::string& oldName) {
  if (panel_) panel_->EntityRenamed(*this, oldName);
}

THideFlags TEntity::EntryFlags() const { return {!showProperty_, !showMethod_}; }

TProperty* TEntity::PropertyByIndex(int index) const {
  if (index < 0 || index >= PropertyCount()) return nullptr;
  return properties_[static_cast<size_t>(index)].Object.get();
}

TMethod* TEntity::MethodByIndex(int index) const {
  if (index < 0 || index >= MethodCount()) return nullptr;
  return methods_[static_cast<size_t>(index)].Object.get();
}

TProperty* TEntity::PropertyByName(const std::string& name) const {
  return propertyNames_.First(name);
}

TMethod* TEntity::MethodByName(const std::string& name) const {
  return methodNames_.First(name);
}

void TEntity::PlacePropertyRow(TProperty& row) const {
  if (!row.Parent()) return;
  row.SetTop(propertyDefHeight_ * row.DisplaySlot() + 20);
}

void TEntity::RenumberProperties() {
  for (int i = 0; i < PropertyCount(); ++i) {
    TProperty& row = *properties_[static_cast<size_t>(i)].Object;
    row.SetRowIndex(i);
    row.SetDisplaySlot(i);
    PlacePropertyRow(row);
  }
  propertyNames_.OrderChanged();
}

void TEntity::RestackDisplayedProperties() {
  int skipped = 0;
  for (int i = 0; i < PropertyCount(); ++i) {
    TProperty& row = *properties_[static_cast<size_t>(i)].Object;
    if (row.IsDisplay()) {
      row.SetDisplaySlot(i - skipped);
      PlacePropertyRow(row);
    } else {
      ++skipped;
    }
  }
}

void TEntity::RenumberMethods() {
  for (int i = 0; i < MethodCount(); ++i) {
    TMethod& row = *methods_[static_cast<size_t>(i)].Object;
    row.SetRowIndex(i);
    PlaceMethodRow(row);
  }
  methodNames_.OrderChanged();
}

void TEntity::RenumberEvents() {
  for (size_t i = 0; i < events_.size(); ++i)
    if (events_[i].Object) events_[i].Object->SetEventNo(static_cast<int>(i));
}

void TEntity::RenumberRelations() {
  for (size_t i = 0; i < relations_.size(); ++i)
    if (relations_[i].Object) relations_[i].Object->SetRelationNo(static_cast<int>(i));
}

std::string TEntity::HeaderText(const std::string& text) {
  // Cut before the first byte of a character, never inside one.
  int characters = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == kHeaderCharacters)
      return text.substr(0, i) + "...";
  return text;
}

void TEntity::UpdateMenuCaptions() {
  if (menu_ && menu_->Count() > 0) menu_->Item(0).SetCaption("ENTITY : " + entityDesc_);
  for (auto& slot : properties_) slot.Object->UpdateMenuCaption();
  for (auto& slot : methods_) slot.Object->UpdateMenuCaption();
  for (auto& slot : events_)
    if (slot.Object) slot.Object->UpdateMenuCaption();
}

void TEntity::UpdateAllAnchors() {
  for (auto& slot : properties_)
    if (slot.Object) slot.Object->UpdateAnchors();
  for (auto& slot : methods_)
    if (slot.Object) slot.Object->UpdateAnchors();
  for (auto& slot : relations_)
    if (slot.Object) slot.Object->UpdateAnchors();
  for (auto& slot : events_)
    if (slot.Object) slot.Object->UpdateAnchors();
}

void TEntity::RemoveSelectedProperty() {
  TProperty* row = selectedProperty_;
  size_t index = properties_.size();
  for (size_t i = 0; i < properties_.size(); ++i)
    if (row && properties_[i].Object.get() == row) index = i;
  if (index == properties_.size()) return;
  selectedProperty_ = nullptr;
  properties_[index].Object.reset();  // sends the removal notice to every relation linking the row
  properties_.erase(properties_.begin() + static_cast<std::ptrdiff_t>(index));
  RenumberProperties();
  SetHeight(Height() - propertyDefHeight_);
  for (auto& slot : methods_) PlaceMethodRow(*slot.Object);
  // The rows below moved up: their lines must meet them where they now stand.
  UpdateAllAnchors();
  if (panel_) panel_->Invalidate();
}

void TEntity::RemoveSelectedMethod() {
  TMethod* row = selectedMethod_;
  size_t index = methods_.size();
  for (size_t i = 0; i < methods_.size(); ++i)
    if (row && methods_[i].Object.get() == row) index = i;
  if (index == methods_.size()) return;
  selectedMethod_ = nullptr;
  methods_[index].Object.reset();  // clears every event end and every call naming the row
  methods_.erase(methods_.begin() + static_cast<std::ptrdiff_t>(index));
  RenumberMethods();
  if (!methods_.empty()) {
    const TMethod& last = *methods_.back().Object;
    const int bottom = last.Top() + last.Height() + 1;
    if (bottom < Height()) SetHeight(bottom);
  }
  UpdateAllAnchors();
  if (panel_) panel_->Invalidate();
}

void TEntity::RemoveSelectedEvent() {
  for (size_t i = 0; i < events_.size(); ++i) {
    if (!selectedEvent_ || events_[i].Object.get() != selectedEvent_) continue;
    selectedEvent_ = nullptr;
    events_[i].Object.reset();
    events_.erase(events_.begin() + static_cast<std::ptrdiff_t>(i));
    RenumberEvents();
    if (panel_) panel_->Invalidate();
    return;
  }
}

void TEntity::RemoveSelectedRelation() {
  for (size_t i = 0; i < relations_.size(); ++i) {
    if (!selectedRelation_ || relations_[i].Object.get() != selectedRelation_) continue;
    selectedRelation_ = nullptr;
    relations_[i].Object.reset();
    relations_.erase(relations_.begin() + static_cast<std::ptrdiff_t>(i));
    RenumberRelations();
    if (panel_) panel_->Invalidate();
    return;
  }
}

void TEntity::BuildMenu() {
  PopupMenu& menu = *menu_;
  menu.Add("ENTITY : " + entityDesc_);
  menu.Add("-");
  menu.Add("-> Rename Entity", [this] { RenameEntity(); });
  menu.Add("-> Select Entity Type", [this] { SelectEntityType(); });
  menu.Add("-");
  menu.Add("-> Add New Property", [this] { AddNewProperty(); });
  menu.Add("-> Add New Method", [this] { AddNewMethod(); });
  menu.Add("-> Add New EntityEvent", [this] { AddNewEntityEvent(); });
  menu.Add("-> Add New Relation", [this] { AddNewRelation(); });
  menu.Add("-> Add New Display Page", [this] { AddNewDisplayPage(); });
  menu.Add("-");
  menu.Add("-> Show ALL Property", [this] { ShowAllProperty(); });
  menu.Add("-> Show ALL Method", [this] { ShowAllMethod(); });
  menu.Add("-> Hide ALL Property", [this] { HideAllProperty(); });
  menu.Add("-> Hide ALL Method", [this] { HideAllMethod(); });
  menu.Add("-");
  menu.Add("-> (*)Remove Exists Display Page", [this] { RemoveExistsDisplayPage(); });
  menu.Add("-> (*)Remove This Entity", [this] { RemoveThisEntity(); });
  // Our own commands come after the menu's eighteen lines, behind one separator, in submenus.
  menu.Add("-");
  PopupMenu& edit = menu.AddSubmenu("Edit");
  edit.Add("-> Edit Rows as Text...", [this] { EditRowsAsText(); });
}

TEditStep TEntity::EditStep(const std::string& what) {
  return TEditStep(panel_, what + " " + entityDesc_, TDiagramHistory::ScopeOf(this));
}

void TEntity::RenameEntity() {
  if (!panel_) return;
  const TEditStep step = EditStep("Rename Entity");
  const auto answer = AskNewName(panel_->GetPlatformRef(), "Entity Rename", "Input New Entity's Name :", entityDesc_);
  if (answer) ApplyRename(*answer);
}

bool TEntity::RenameTo(const std::string& desc) {
  if (!panel_ || IsBlank(desc) || desc == entityDesc_) return false;
  const TEditStep step = EditStep("Rename Entity");
  ApplyRename(desc);
  return true;
}

void TEntity::ApplyRename(const std::string& desc) {
  entityDesc_ = desc;
  Invalidate();
  UpdateMenuCaptions();
  // The page editor lists entities by their descriptions.
  if (panel_) panel_->RefreshPageEditor();
}

void TEntity::SelectEntityType() {
  if (!panel_) return;
  const TEditStep step = EditStep("Change Type of Entity");
  static const struct {
    const char* suffix;
    TEntityType type;
  } kQuestions[] = {{"'s EntityType = Organization", Et_Organization},
                    {"'s EntityType = Form", Et_Form},
                    {"'s EntityType = Data", Et_Data},
                    {"'s EntityType = Concept", Et_Concept}};
  for (const auto& question : kQuestions) {
    if (panel_->GetPlatformRef().AskYesNo("Set \"" + entityDesc_ + "\"" + question.suffix, "")) {
      entityType_ = question.type;
      break;
    }
  }
  Invalidate();
}

void TEntity::AddNewProperty() {
  const TEditStep step = EditStep("Add Property to");
  AddProperty(*this, "", false);
}
void TEntity::AddNewMethod() {
  const TEditStep step = EditStep("Add Method to");
  AddMethod(*this, "", false);
}
void TEntity::AddNewEntityEvent() {
  const TEditStep step = EditStep("Add Event to");
  AddEntityEvent(*this, "", false);
}
void TEntity::AddNewRelation() {
  const TEditStep step = EditStep("Add Relation to");
  AddRelation(*this, "", false);
}
void TEntity::AddNewDisplayPage() {
  const TEditStep step = EditStep("Add Display Page to");
  TPlacedControl::AddNewDisplayPage(entityDesc_);
}
void TEntity::RemoveExistsDisplayPage() {
  const TEditStep step = EditStep("Remove Display Page of");
  TPlacedControl::RemoveExistsDisplayPage(entityDesc_);
}

void TEntity::RemoveThisEntity() {
  if (!panel_) return;
  // The command removes the selected entity, which the press that opened this menu made this one.
  TEntity* selected = panel_->SelectedEntity();
  const TEditStep step(panel_, "Remove Entity " + (selected ? selected->entityDesc_ : std::string()),
                       TDiagramHistory::ScopeOf(selected));
  panel_->RemoveSelectedEntity();
}

void TEntity::EditRowsAsText() {
  if (!panel_) return;
  TTextDialog dialog;
  dialog.Caption = "Rows of " + HeaderText(entityDesc_.empty() ? Name() : entityDesc_);
  dialog.Label = "One row a line, properties as \"Name : Varchar(40) key not null\" (Varchar, Integer, Double(size,scale), "
                 "Bool, Binary), methods as \"Name()\":";
  dialog.Text = RowsTextOf(*this);
  dialog.Check = [](const std::string& text) { return ReadRowsText(text).Problems; };
  const std::optional<std::string> answer = panel_->GetPlatformRef().EditText(dialog);
  if (!answer) return;
  const TRowsText read = ReadRowsText(*answer);
  // A platform that closed on a text it could not read changes nothing.
  if (!read.Problems.empty()) return;
  const TEditStep step = EditStep("Edit Rows of");
  ApplyRowLines(*this, read.Rows);
}

void TEntity::HideAllMethod() { ShowRows(false, false); }
void TEntity::HideAllProperty() { ShowRows(true, false); }
void TEntity::ShowAllMethod() { ShowRows(false, true); }
void TEntity::ShowAllProperty() { ShowRows(true, true); }

void TEntity::ShowRows(bool properties, bool show) {
  const TEditStep step = EditStep(std::string(show ? "Show" : "Hide") + (properties ? " All Properties of" : " All Methods of"));
  // "-> Show ALL Property" runs even while properties are shown: it also brings back the rows
  // hidden one by one, and numbers the rows again whether or not the entity is on the page.
  const bool everyTime = properties && show;
  bool& shown = properties ? showProperty_ : showMethod_;
  if (shown == show && !everyTime) return;
  shown = show;
  const int index = panel_ ? EntryIndexFor(panel_->ActivePageName()) : -1;
  if (index >= 0) {
    // The flags of the active entry are rewritten, the other kind's as the entry held it.
    const std::string& entry = ActivePages()[static_cast<size_t>(index)];
    THideFlags flags = WrittenHideFlagsOf(entry);
    (properties ? flags.Property : flags.Method) = !show;
    ReplaceEntry(static_cast<size_t>(index), BaseOfEntry(entry) + HideFlagsText(flags));
    // The box shrinks to its title band and 10 pixels; the rows that show grow it back as they paint.
    SetHeight(TitleHeight);
    for (auto& slot : properties_) {
      if (everyTime) slot.Object->StoreIsDisplay(true);
      slot.Object->SetVisible(showProperty_);
      if (showProperty_) PlacePropertyRow(*slot.Object);
      slot.Object->Repaint();
    }
    for (auto& slot : methods_) {
      slot.Object->SetVisible(showMethod_);
      if (showMethod_) PlaceMethodRow(*slot.Object);
      slot.Object->Repaint();
    }
  } else if (!everyTime) {
    return;
  }
  if (everyTime) RenumberProperties();
  if (panel_) panel_->ShowActivePage();
}

void TEntity::Paint() { DrawOn(GetCanvas(), 0, 0); }

void TEntity::DrawOn(Canvas& canvas, int x, int y) {
  if (!panel_ || !IsOnPage(panel_->ActivePageName())) {
    SetVisible(false);
    return;
  }
  SetVisible(true);
  const TColor savedBrush = canvas.BrushColor();
  canvas.SetBrushColor(panel_->SelectedEntity() == this ? SelectedColour : Colour);
  canvas.Rectangle(x, y, x + Width(), y + Height());
  const std::string title = entityDesc_.empty() ? "New Entity" : entityDesc_;
  const int titleWidth = canvas.TextWidth(title);
  if (titleWidth > Width()) SetWidth(titleWidth + 4);
  canvas.TextOut(x + Width() / 2 - titleWidth / 2, y + 5, title);
  canvas.SetBrushColor(savedBrush);
}

void TEntity::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (panel_ && panel_->SelectionPress(*this, button, shift)) return;
  pressedPart_ = TPressedPart::Title;
  if (panel_) panel_->SetPressedEntity(this);
  if (panel_ && panel_->SelectedEntity() != this) {
    if (TEntity* previous = panel_->SelectedEntity()) {
      previous->SetSelectedProperty(nullptr);
      previous->SetSelectedMethod(nullptr);
      previous->Invalidate();
      panel_->SetSelectedEntity(nullptr);
    }
    panel_->SetSelectedEntity(this);
    if (panel_->OnSelectEntity) panel_->OnSelectEntity(*panel_, *this);
    Invalidate();
  }
  if (button == TMouseButton::Left) {
    BringToFront();
    if (panel_) panel_->SetDragGrab({x, y});
    BeginDrag();
  }
}

void TEntity::Resize() {
  if (Width() == rowsWidth_) return;
  rowsWidth_ = Width();
  const int rowWidth = Width() - 2;
  for (auto& slot : properties_)
    if (slot.Object && slot.Object->Width() < rowWidth) {
      slot.Object->SetWidth(rowWidth);
      slot.Object->UpdateAnchors();
    }
  for (auto& slot : methods_)
    if (slot.Object && slot.Object->Width() < rowWidth) {
      slot.Object->SetWidth(rowWidth);
      slot.Object->UpdateAnchors();
    }
}
