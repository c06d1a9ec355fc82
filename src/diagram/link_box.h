// What relation boxes and event boxes share: the owner entity, the two link ends (an entity and one
// of its rows each), placement entries, anchor points, selection, dragging and the page commands.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "connector_index.h"
#include "connector_shape.h"
#include "diagram_images.h"
#include "diagram_types.h"
#include "entity.h"
#include "name_index.h"
#include "ooa_panel.h"
#include "placed_control.h"
#include "popup_menu.h"
#include "text.h"

class Canvas;
class TEntity;
class TLinkTarget;
class TRow;

// The connector-index slot comes first, so that it is let go of last, after every change the
// box's own destruction makes to its ends.
class TLinkBox : public TConnectorSource, public TPlacedControl {
 public:
  // A new box takes a number no row or box of the panel has had; an undo makes one again with its own.
  explicit TLinkBox(TEntity& owner, long long id = 0);
  ~TLinkBox() override;

  TEntity* OwnerEntity() const { return owner_; }
  void SetOwnerEntity(TEntity* owner) { owner_ = owner; }
  TOOAPanel* OwnerPanel() const override;
  // The box's number on its panel, kept for its life and given back when an undo brings it back.
  long long Id() const { return id_; }

  // The box's place in its owner's list, and its description.
  int No() const { return no_; }
  void SetNo(int no) { no_ = no; }
  const std::string& Desc() const { return desc_; }
  void SetDesc(const std::string& desc) { desc_ = desc; }
  // The word the steps of its commands name it by ("Relation", "EntityEvent").
  const char* StepKind() const { return kind_; }

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

  // Everything an edit can change in the box, and that state given back but for its ends, which are
  // linked again once every entity stands (entityOf finds one by its serial).
  TBoxImage Image() const;
  void Restore(const TBoxImage& image);
  void RestoreLinks(const TBoxImage& image, const std::function<TEntity*(long long serial)>& entityOf);

  const TAnchorPoints& Anchors() const { return anchors_; }
  void UpdateAnchors();
  // The line from the box to one of its end rows, as its kind draws it; none while box and row
  // stand centre above centre.
  virtual std::optional<TConnectorShape> LineShapeTo(const TRow& row) const = 0;
  // Tells the panel's connector index that the box's lines may run elsewhere now.
  void LinesMoved();
  PopupMenu& Menu() { return *menu_; }
  bool HasMenu() const { return menu_ != nullptr; }
  // The menu's header: the box's kind, its owner's description and its own.
  void UpdateMenuCaption();
  // The rename without its question, as an editor in place gives the answer: one step named as the
  // menu's; a blank or unchanged description changes nothing and leaves no step. True when renamed.
  bool RenameTo(const std::string& desc);
  void AddDisplayPage() { AddNewDisplayPage(desc_); }
  void RemoveDisplayPage() { RemoveExistsDisplayPage(desc_); }

  // Whether the box shows on the page: it has an entry for it (a relation also needs its owner to
  // show properties). Its lines are drawn only while it shows.
  virtual bool IsShownOn(const std::string& page) const { return IsOnPage(page); }
  virtual void DrawOn(Canvas& canvas, int x, int y) = 0;
  void PaintTo(Canvas* canvas);
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DragOver(Control& source, int x, int y, TDragState state, bool& accept) override;

 protected:
  struct TMenuCaptions {
    const char* Title;
    const char* Rename;
    const char* BreakSource;
    const char* BreakTarget;
    const char* Remove;
    const char* Kind;  // the word the steps of its commands name it by
  };
  // The menu every box has, in the words of its kind; the commands are the box's own.
  void BuildMenu(const TMenuCaptions& captions);
  // The step of one of the box's commands, named what, the box's kind and its description; it
  // holds the owner (and the entities whose boxes link to it).
  TEditStep EditStep(const std::string& what, const std::string& desc) const;
  // Asks for a new description with the kind's rename question.
  void Rename(const std::string& caption, const std::string& prompt);
  // What a rename does with its answer, whichever way it was asked for: the box sized to its new
  // text, its lines following.
  void ApplyRename(const std::string& desc);
  virtual void RenameBox() = 0;
  virtual void RemoveBox() = 0;

 public:
  // The box's removal as its menu's item does it: one step.
  void RemoveThisBox();
  // The box becomes its owner's selected box of its kind, and the owner's last pressed part.
  virtual void SelectInOwner() = 0;

 protected:
  std::unique_ptr<PopupMenu> menu_;

 private:
  TEntity* owner_;
  long long id_ = 0;
  int no_ = 0;
  std::string desc_;
  const char* menuTitle_ = "";
  const char* kind_ = "";
  TEntity* sourceEntity_ = nullptr;
  TRow* sourceRow_ = nullptr;
  TEntity* targetEntity_ = nullptr;
  TRow* targetRow_ = nullptr;
  TAnchorPoints anchors_;
};

// Appends a new box to one of the entity's box lists: numbered by its place, named and described
// with the smallest free number (so that names stay unique after removals), standing 10 pixels
// right of the entity, level with its top, as wide as it and 25 high. Unless silent, it gets an
// entry for the active page and shows there.
template <class Box>
Box* AddLinkBox(TEntity& entity, std::vector<TMemberSlot<Box>>& list, TNameIndex<Box>& names,
                const std::string& desc, bool silent) {
  TOOAPanel* panel = entity.OwnerPanel();
  list.push_back({std::make_unique<Box>(entity)});
  Box& box = *list.back().Object;
  const int count = static_cast<int>(list.size());
  names.Add(box.Name(), &box);
  box.SetNo(count - 1);
  box.SetColor(clrSilver);
  box.SetBounds(entity.Left() + entity.Width() + 10, entity.Top(), entity.Width(), 25);
  if (Box::HiddenAtCreation) box.SetVisible(false);
  long long n = 0;
  box.SetName(names.FreeName(entity.Name() + Box::NameTag, count, &n));
  box.SetDesc(desc.empty() ? entity.EntityDesc() + Box::NameTag + IntToText(n) : desc);
  box.SetParent(panel);
  box.BuildMenu();
  box.SetPopupMenu(&box.Menu());
  if (!silent && box.ActivePages().empty() && panel) {
    box.AddPageEntry(panel->ActivePageName());
    box.Repaint();
  }
  box.UpdateAnchors();
  if (panel) panel->RefreshPageEditor();
  return &box;
}
