// What property and method rows share: the owner entity, the position in its list, the anchor
// points where connector lines meet the row, the row's own popup menu and its drawing entry points.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "control.h"
#include "diagram_images.h"
#include "diagram_types.h"
#include "entity.h"
#include "link_target.h"
#include "name_index.h"
#include "ooa_panel.h"
#include "platform.h"
#include "popup_menu.h"
#include "text.h"

class Canvas;

class TRow : public Control, public TLinkTarget {
 public:
  static constexpr TColor RowColour = clrSilver;

  // A new row takes a number no row or box of the panel has had; an undo makes one again with its own.
  explicit TRow(TEntity& owner, long long id = 0);
  ~TRow() override;

  TEntity* OwnerEntity() const { return owner_; }
  // The row's number on its panel, kept for its life and given back when an undo brings it back.
  long long Id() const { return id_; }
  TOOAPanel* OwnerPanel() const;
  int RowIndex() const { return rowIndex_; }
  void SetRowIndex(int index) { rowIndex_ = index; }
  const TAnchorPoints& Anchors() const { return anchors_; }
  // Right and left points on the entity's edges, centre x of the row, all at the row's middle.
  void UpdateAnchors();
  PopupMenu& Menu() { return *menu_; }
  bool HasMenu() const { return menu_ != nullptr; }
  // The member name shown in the row.
  const std::string& Desc() const { return desc_; }
  // Stores the name, keeps the control's text equal to it and repaints the row.
  void SetDesc(const std::string& desc);
  // The menu's header: the row's kind, its entity's description and its own name.
  void UpdateMenuCaption();
  // The rename without its question, as an editor in place gives the answer: one step named as the
  // menu's; a blank or unchanged name changes nothing and leaves no step. True when renamed.
  bool RenameTo(const std::string& desc);

  // Whether the row shows on the page: its entity stands there and shows rows of its kind, and the
  // row is among those shown. A line ends only at a row that shows, never at empty surface.
  virtual bool IsShownOn(const std::string& page) const = 0;
  // Draws the row at (x, y) of the canvas; Paint draws it on its own canvas at (0, 0).
  virtual void DrawOn(Canvas& canvas, int x, int y) = 0;
  // Draws the row at its place on the panel.
  void PaintTo(Canvas* canvas);
  void Paint() override;

 protected:
  // The anchors changed: the lines of every box with an end on this row now run elsewhere.
  virtual void AnchorsMoved();
  // Starts the row's menu with its header: the kind, then the entity's description (its component
  // name while it has none) and the row's name.
  void BeginMenu(const char* title);
  // Asks for a new name with the kind's rename question.
  void Rename(const std::string& caption, const std::string& prompt);
  // What a rename does with its answer, whichever way it was asked for.
  void ApplyRename(const std::string& desc);
  // The name of the kind's rename step, before the row's name: "Rename Property", "Rename Method".
  virtual std::string RenameStepName() const = 0;
  // The step of one of the row's commands, named what and the row's name; it holds the entity and
  // the entities whose boxes link to it.
  TEditStep EditStep(const std::string& what) const;
  // The step of the row menu's removal, which takes the entity's selected row of the kind.
  TEditStep RemoveStep(const char* kind, const TRow* selected) const;
  // What every row's image holds, taken and given back alike. The text is given back without the
  // repaint SetDesc makes: a paint measures, and may widen the entity or ask for a page showing,
  // while the entity is only half set.
  void CaptureRow(TRowImage& image) const;
  void RestoreRow(const TRowImage& image);
  // Exchanges this row with another of the same list: their places and RowIndex; place re-places
  // each row; both refresh their anchors and the active page is shown again.
  template <class Row, class Place>
  void SwapInList(std::vector<TMemberSlot<Row>>& list, Row& self, Row& other, Place place);

  // Writes text centred (or from x = 3 when leftAligned) in a white box with a silver frame.
  void DrawBox(Canvas& canvas, int x, int y, const std::string& text, TColor fontColour, bool leftAligned);

  std::unique_ptr<PopupMenu> menu_;

 private:
  TEntity* owner_;
  long long id_ = 0;
  int rowIndex_ = 0;
  std::string desc_;
  const char* menuTitle_ = "";
  TAnchorPoints anchors_;
};

template <class Row, class Place>
void TRow::SwapInList(std::vector<TMemberSlot<Row>>& list, Row& self, Row& other, Place place) {
  const int mine = RowIndex();
  const int theirs = other.RowIndex();
  other.SetRowIndex(mine);
  SetRowIndex(theirs);
  if (TEntity* owner = OwnerEntity()) owner->RowOrderChanged();
  place(other);
  place(self);
  other.UpdateAnchors();
  UpdateAnchors();
  std::swap(list[static_cast<size_t>(mine)].Object, list[static_cast<size_t>(theirs)].Object);
  if (TOOAPanel* panel = OwnerPanel()) panel->ShowActivePage();
}

// What sets the adding of a property row apart from that of a method row.
template <class Row>
struct TNewRowKind {
  std::vector<TMemberSlot<Row>>& List;
  TNameIndex<Row>& Names;
  bool Visible;
  int Height;
  const char* NamePrefix;  // after the entity's name
  const char* Proposal;    // the proposed description, before the row's number
  const char* Caption;
  const char* Prompt;
  const char* Continue;
};

// Adds a row at the end of the kind's list: named after the entity with the smallest free number
// from the count upwards (which keeps row names unique), described as desc or, when desc is empty,
// as the user answers; top gives its top once it holds its index, placed finishes the entity's
// layout once the row stands in it. Unless silent, the user is asked whether to go on, and another
// row is added while the answer is Yes. Returns the row added last.
template <class Row, class Top, class Placed>
Row* AddEntityRow(TEntity& entity, const TNewRowKind<Row>& kind, const std::string& desc, bool silent, Top top,
                  Placed placed) {
  Row* row = nullptr;
  do {
    kind.List.push_back({std::make_unique<Row>(entity)});
    row = kind.List.back().Object.get();
    const int count = static_cast<int>(kind.List.size());
    kind.Names.Add(row->Name(), row);

    row->SetVisible(kind.Visible);
    row->SetRowIndex(count - 1);
    row->SetColor(TRow::RowColour);
    row->SetBounds(1, top(*row), entity.Width() - 2, kind.Height);
    long long n = 0;
    row->SetName(kind.Names.FreeName(entity.Name() + kind.NamePrefix, count, &n));
    if (!desc.empty()) {
      row->SetDesc(desc);
    } else {
      Platform* platform = entity.GetPlatform();
      const std::string proposal = kind.Proposal + IntToText(n);
      row->SetDesc(platform ? platform->InputBox(kind.Caption, kind.Prompt, proposal) : proposal);
      row->Repaint();
    }
    const int bottom = row->Top() + row->Height();
    if (bottom > entity.Height()) entity.SetHeight(bottom + 1);
    row->SetParent(&entity);
    row->UpdateAnchors();
    row->BuildMenu();
    row->SetPopupMenu(&row->Menu());
    placed(*row);
  } while (!silent && entity.GetPlatform() && entity.GetPlatform()->AskYesNo(kind.Caption, kind.Continue));
  return row;
}
