// The entity box: a child control of the panel holding its property and method rows, owning the
// relation and event boxes created from it, with its placement entries, selections and commands.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "diagram_images.h"
#include "diagram_types.h"
#include "link_target.h"
#include "name_index.h"
#include "placed_control.h"
#include "popup_menu.h"

class Canvas;
class TEntityEvent;
class TMethod;
class TOOAPanel;
class TProperty;
class TRelation;
class TRow;
class TEditStep;

// One slot of a member list: the member it holds, or none while the member is being destroyed.
template <class T>
struct TMemberSlot {
  std::unique_ptr<T> Object;
};

class TEntity : public TPlacedControl, public TLinkTarget {
 public:
  static constexpr TColor Colour = 0x8BE4E0;
  static constexpr TColor SelectedColour = 0xBAF480;
  // The height of an entity showing its title alone (rows hidden, or none).
  static constexpr int TitleHeight = 30;

  explicit TEntity(TOOAPanel& panel);
  ~TEntity() override;

  TOOAPanel* OwnerPanel() const override { return panel_; }
  long long Serial() const { return serial_; }
  void SetSerial(long long serial) { serial_ = serial; }

  const std::string& EntityDesc() const { return entityDesc_; }
  void SetEntityDesc(const std::string& desc) { entityDesc_ = desc; }
  TEntityType EntityType() const { return entityType_; }
  void SetEntityType(TEntityType type) { entityType_ = type; }
  int PropertyDefHeight() const { return propertyDefHeight_; }
  void SetPropertyDefHeight(int height) { propertyDefHeight_ = height; }
  int MethodDefHeight() const { return methodDefHeight_; }
  void SetMethodDefHeight(int height) { methodDefHeight_ = height; }
  bool ShowProperty() const { return showProperty_; }
  void SetShowProperty(bool show) { showProperty_ = show; }
  bool ShowMethod() const { return showMethod_; }
  void SetShowMethod(bool show) { showMethod_ = show; }
  // The page showing's note of when it last laid the rows out, and for which hide flags: shown
  // again in the same layout epoch (no edit in between) with the same flags, the rows stand as
  // they are and only their anchors follow the box.
  bool RowsLaidOutFor(long long epoch, THideFlags hidden) const { return rowsEpoch_ == epoch && rowsHidden_ == hidden; }
  void NoteRowsLaidOut(long long epoch, THideFlags hidden) {
    rowsEpoch_ = epoch;
    rowsHidden_ = hidden;
  }

  TProperty* SelectedProperty() const { return selectedProperty_; }
  void SetSelectedProperty(TProperty* row) { selectedProperty_ = row; }
  TMethod* SelectedMethod() const { return selectedMethod_; }
  void SetSelectedMethod(TMethod* row) { selectedMethod_ = row; }
  TRelation* SelectedRelation() const { return selectedRelation_; }
  void SetSelectedRelation(TRelation* relation) { selectedRelation_ = relation; }
  TEntityEvent* SelectedEvent() const { return selectedEvent_; }
  // What the last press on the entity or its boxes was on: what a drag of the entity carries to a
  // relation box (property rows) or an event box (method rows), and what Delete removes.
  enum class TPressedPart { Title, Property, Method, Relation, Event };
  TPressedPart PressedPart() const { return pressedPart_; }
  void SetPressedPart(TPressedPart part) { pressedPart_ = part; }
  void SetSelectedEvent(TEntityEvent* event) { selectedEvent_ = event; }

  std::vector<TMemberSlot<TProperty>>& PropertyList() { return properties_; }
  const std::vector<TMemberSlot<TProperty>>& PropertyList() const { return properties_; }
  std::vector<TMemberSlot<TMethod>>& MethodList() { return methods_; }
  const std::vector<TMemberSlot<TMethod>>& MethodList() const { return methods_; }
  std::vector<TMemberSlot<TRelation>>& RelationList() { return relations_; }
  const std::vector<TMemberSlot<TRelation>>& RelationList() const { return relations_; }
  std::vector<TMemberSlot<TEntityEvent>>& EventList() { return events_; }
  const std::vector<TMemberSlot<TEntityEvent>>& EventList() const { return events_; }
  int PropertyCount() const { return static_cast<int>(properties_.size()); }
  int MethodCount() const { return static_cast<int>(methods_.size()); }

  PopupMenu& Menu() { return *menu_; }
  // The entity's text as the menu headers of its rows and boxes show it: at most kHeaderCharacters
  // characters, the rest replaced by "...". Every member's header holds its own copy, so that a
  // description of megabytes, copied whole into thousands of rows, would take gigabytes.
  static constexpr int kHeaderCharacters = 256;
  static std::string HeaderText(const std::string& text);

  // Everything an edit can change in the entity, its rows and its boxes, and that state given back:
  // members the image lacks go, those it has are kept or made again with their numbers. Links to
  // other entities' rows wait for RestoreLinks, once every entity stands (entityOf finds one by its
  // serial). The image's Position is the panel's to fill in.
  TEntityImage Image() const;
  void Restore(const TEntityImage& image);
  void RestoreLinks(const TEntityImage& image, const std::function<TEntity*(long long serial)>& entityOf);
  // What a page showing sets in the entity, cheaper to take than its image: the history compares
  // the placings before and after a showing (TEntityImage::SetPlacing gives one back to an image).
  void Placing(TPlacing& placing) const;
  // The property or method row of this number, or none.
  TRow* RowById(long long id) const;

  TProperty* PropertyByIndex(int index) const;
  TMethod* MethodByIndex(int index) const;
  TProperty* PropertyByName(const std::string& name) const;
  TMethod* MethodByName(const std::string& name) const;

  // Name indexes of the members, kept by the members when their names change.
  // Rows moved or were numbered again: lookups by name work out the first row of a name anew.
  void RowOrderChanged() {
    propertyNames_.OrderChanged();
    methodNames_.OrderChanged();
  }
  TNameIndex<TProperty>& PropertyNames() { return propertyNames_; }
  TNameIndex<TMethod>& MethodNames() { return methodNames_; }
  TNameIndex<TRelation>& RelationNames() { return relationNames_; }
  TNameIndex<TEntityEvent>& EventNames() { return eventNames_; }

  void PlacePropertyRow(TProperty& row) const;
  void RenumberProperties();
  void RestackDisplayedProperties();
  void RenumberMethods();
  void RenumberEvents();
  void RenumberRelations();
  void UpdateMenuCaptions();
  // Refreshes the anchor points of every row and owned box.
  void UpdateAllAnchors();

  void RemoveSelectedProperty();
  void RemoveSelectedMethod();
  void RemoveSelectedEvent();
  void RemoveSelectedRelation();

  // Menu commands.
  void BuildMenu();
  void RenameEntity();
  // The rename without its question, as an editor in place gives the answer: one step named as the
  // menu's; a blank or unchanged description changes nothing and leaves no step. True when renamed.
  bool RenameTo(const std::string& desc);
  void SelectEntityType();
  void AddNewProperty();
  void AddNewMethod();
  void AddNewEntityEvent();
  void AddNewRelation();
  void AddNewDisplayPage();
  void ShowAllProperty();
  void ShowAllMethod();
  void HideAllProperty();
  void HideAllMethod();
  void RemoveExistsDisplayPage();
  void RemoveThisEntity();
  // "-> Edit Rows as Text...": every row a line in one dialog; the rows the text gives back, as one
  // step, once every line of it can be read.
  void EditRowsAsText();

  // Drawing.
  void DrawOn(Canvas& canvas, int x, int y);
  // The entity's connector lines in their order: relation lines, event lines (while methods are
  // shown), then call lines in the pen the lines before them left.
  void DrawConnectors(Canvas& canvas);
  // The pieces of DrawConnectors, for painting the lines of a part of the surface only: one box's
  // lines (each sets its own pen) and one row's call line (in the canvas's pen), each on the page.
  void DrawRelationConnectors(Canvas& canvas, const TRelation& relation, const std::string& page) const;
  void DrawEventConnectors(Canvas& canvas, const TEntityEvent& event, const std::string& page) const;
  void DrawCallConnector(Canvas& canvas, const TMethod& row, const std::string& page) const;
  // The pen the call lines are drawn in when DrawConnectors starts with the given pen.
  TColor CallLinePen(TColor startPen, const std::string& page) const;
  void DrawToCanvas(Canvas& canvas);
  void DrawRelationLine(Canvas& canvas, const TRelation& relation, const TProperty& row) const;
  void DrawEventLine(Canvas& canvas, const TEntityEvent& event, const TMethod& row) const;
  // The bracket of the call; spacing is 5 times the calling row's line distance.
  void DrawCallLine(Canvas& canvas, const TMethod& row, const TMethod& called, long long spacing) const;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Resize() override;

 protected:
  THideFlags EntryFlags() const override;
  void NameChanged(const std::string& oldName) override;

 private:
  // The relation and event lines of DrawConnectors.
  void DrawBoxConnectors(Canvas& canvas, const std::string& page) const;
  // The four show and hide commands: the flag of the kind, the active entry's hide flag, and the
  // rows shown again as the command leaves them.
  void ShowRows(bool properties, bool show);
  // The step of one of the entity's commands, named what and the entity's description.
  TEditStep EditStep(const std::string& what);
  void ForgetSelections();
  // What a rename does with its answer, whichever way it was asked for.
  void ApplyRename(const std::string& desc);

  TOOAPanel* panel_;
  long long serial_ = 0;
  // The width Resize last widened the rows to. Rows are made that wide and only ever grow, so a
  // change of height alone (every new row makes one) needs no pass over them.
  int rowsWidth_ = -1;
  std::string entityDesc_;
  TEntityType entityType_ = Et_Organization;
  int propertyDefHeight_ = 20;
  int methodDefHeight_ = 20;
  bool showProperty_ = true;
  bool showMethod_ = true;
  long long rowsEpoch_ = -1;
  THideFlags rowsHidden_;
  TProperty* selectedProperty_ = nullptr;
  TMethod* selectedMethod_ = nullptr;
  TRelation* selectedRelation_ = nullptr;
  TEntityEvent* selectedEvent_ = nullptr;
  TPressedPart pressedPart_ = TPressedPart::Title;
  std::vector<TMemberSlot<TProperty>> properties_;
  std::vector<TMemberSlot<TMethod>> methods_;
  std::vector<TMemberSlot<TEntityEvent>> events_;
  std::vector<TMemberSlot<TRelation>> relations_;
  std::unique_ptr<PopupMenu> menu_;
  // By row order and by place in the box lists; set up in the constructor, where rows and boxes are
  // complete types. Renumbering after a removal keeps that order.
  TNameIndex<TProperty> propertyNames_;
  TNameIndex<TMethod> methodNames_;
  TNameIndex<TRelation> relationNames_;
  TNameIndex<TEntityEvent> eventNames_;
};
