// The panel's display pages: showing the active page and the page commands of the surface menu.
#include <algorithm>

#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "page_dialogs.h"
#include "platform.h"
#include "property.h"
#include "relation.h"
#include "text.h"

namespace {

// Places a relation or event box from its entry for the page, or hides it.
void ShowBox(TLinkBox& box, const std::string& page) {
  if (const auto placing = box.PlacingOn(page)) {
    box.SetLeft(placing->Left);
    box.SetTop(placing->Top);
    box.UpdateAnchors();
    box.SetVisible(true);
    box.Repaint();
    // Painting sizes an event box to its text and widens a relation box to its name: the lines
    // must meet the box as it now stands, not as it stood before its first paint.
    box.UpdateAnchors();
  } else {
    box.SetVisible(false);
  }
}
}  // namespace

void TOOAPanel::ShowEntity(TEntity& entity, const std::string& page) {
  if (const auto placing = entity.PlacingOn(page)) {
    const THideFlags hidden = placing->Hidden;
    entity.SetShowProperty(!hidden.Property);
    entity.SetShowMethod(!hidden.Method);
    entity.SetVisible(true);
    entity.SetLeft(placing->Left);
    entity.SetTop(placing->Top);
    if (entity.RowsLaidOutFor(layoutEpoch_, hidden)) {
      // The rows a full layout would place follow the box; hidden ones stay as they are. The box
      // keeps its size (its paint would only fit it to the title it already fits) and the pass
      // ends by having the whole surface painted.
      if (entity.ShowProperty())
        for (const auto& slot : entity.PropertyList()) slot.Object->UpdateAnchors();
      if (entity.ShowMethod())
        for (const auto& slot : entity.MethodList()) slot.Object->UpdateAnchors();
    } else {
      // Taken before: a row whose paint widens the box asks for another pass, which starts a new
      // epoch, and the note must not claim the rows stand as that pass would leave them.
      const long long epoch = layoutEpoch_;
      LayOutRows(entity);
      entity.NoteRowsLaidOut(epoch, hidden);
    }
  } else {
    entity.SetVisible(false);
  }
  for (const auto& slot : entity.RelationList())
    if (slot.Object) ShowBox(*slot.Object, page);
  for (const auto& slot : entity.EventList())
    if (slot.Object) ShowBox(*slot.Object, page);
}

void TOOAPanel::LayOutRows(TEntity& entity) {
  // The box fits the rows it shows on this page, as the hide commands fit it: the title band and
  // 10 pixels, grown by each row that paints. A last method row fits the box to itself; without
  // one, a box whose entry hides its methods would keep the height of every row.
  if (!entity.ShowMethod() || entity.MethodCount() == 0) entity.SetHeight(TEntity::TitleHeight);
  for (const auto& slot : entity.PropertyList()) {
    TProperty& row = *slot.Object;
    if (entity.ShowProperty()) {
      row.SetVisible(row.IsDisplay());
      entity.PlacePropertyRow(row);
      row.Repaint();
      row.UpdateAnchors();
    } else {
      row.SetVisible(false);
    }
  }
  for (const auto& slot : entity.MethodList()) {
    TMethod& row = *slot.Object;
    if (entity.ShowMethod()) {
      row.SetVisible(true);
      PlaceMethodRow(row);
      row.Repaint();
      row.UpdateAnchors();
    } else {
      row.SetVisible(false);
    }
  }
  entity.Repaint();
}

void TOOAPanel::ShowEntityInEdit(TEntity& entity, const std::string& page) {
  // A page showing inside an edit may place entities the edit was not about (the layout a command
  // leaves may differ from the one a page showing gives): the step takes those it changes.
  if (!history_.Watches(entity)) {
    ShowEntity(entity, page);
    return;
  }
  history_.BeforeShow(entity);
  ShowEntity(entity, page);
  history_.AfterShow(entity);
}

void TOOAPanel::ShowActivePage() {
  if (!changingPage_) LayoutMayHaveChanged();
  // Painting during a pass may ask for another one. Run inside the pass, every widening row would
  // start one more pass over the whole diagram before the first one ended: the cost would grow with
  // the square of the diagram and the stack with every entity, until a large diagram crashed.
  if (showing_) {
    showAgain_ = true;
    return;
  }
  showing_ = true;
  try {
    do {
      showAgain_ = false;
      ShowActivePagePass();
    } while (showAgain_);
  } catch (...) {
    showing_ = false;
    throw;
  }
  showing_ = false;
  // Another page chosen changes what the file would hold (its active page) without an edit: the
  // recovery copy follows it all the same.
  if (activePageName_ != toldPage_) {
    toldPage_ = activePageName_;
    // The selection holds objects of the page shown only.
    if (!selection_.Empty()) {
      selection_.Clear();
      SelectionWasChanged({});
    }
    if (DiagramChanged) DiagramChanged();
  }
}

void TOOAPanel::ShowActivePagePass() {
  const std::string page = activePageName_;
  if (partialShow_ && shownOnce_ && lastShownPage_ == page) {
    std::vector<TEntity*> marked;
    marked.swap(showMarks_);
    ClearShowMarks(marked);
    std::sort(marked.begin(), marked.end(), [](const TEntity* a, const TEntity* b) { return a->Serial() < b->Serial(); });
    for (TEntity* entity : marked) ShowEntityInEdit(*entity, page);
  } else {
    ClearShowMarks(showMarks_);
    showMarks_.clear();
    for (const auto& entity : entities_)
      if (entity) ShowEntityInEdit(*entity, page);
  }
  shownOnce_ = true;
  lastShownPage_ = page;
  UpdateMenuCaption();
  Invalidate();
}

void TOOAPanel::BeginPartialShow() {
  partialShow_ = true;
  shownOnce_ = false;
}

bool TOOAPanel::ShowMarked(const TEntity& entity) const {
  const auto serial = static_cast<size_t>(entity.Serial());
  return serial < showMarked_.size() && showMarked_[serial] != 0;
}

void TOOAPanel::ClearShowMarks(const std::vector<TEntity*>& marked) {
  for (const TEntity* entity : marked) showMarked_[static_cast<size_t>(entity->Serial())] = 0;
}

void TOOAPanel::MarkForShow(TEntity& entity) {
  if (!partialShow_) return;
  // By serial, which a reading hands out one after the other: the reader marks at every line, and a
  // mark costs no search.
  const auto serial = static_cast<size_t>(entity.Serial());
  if (serial < showMarked_.size() && showMarked_[serial]) return;
  if (serial >= showMarked_.size()) showMarked_.resize(serial + 1);
  showMarked_[serial] = 1;
  showMarks_.push_back(&entity);
}

void TOOAPanel::EndPartialShow() {
  partialShow_ = false;
  ClearShowMarks(showMarks_);
  showMarks_.clear();
}

void TOOAPanel::ForgetShowMark(TEntity& entity) {
  if (!ShowMarked(entity)) return;
  showMarked_[static_cast<size_t>(entity.Serial())] = 0;
  showMarks_.erase(std::remove(showMarks_.begin(), showMarks_.end(), &entity), showMarks_.end());
}

std::string TOOAPanel::MenuTitle(bool namesNoPage) const {
  return "ER DIAGRAM MENU   ->PAGE : " + (namesNoPage && activePageName_.empty() ? "EMPTY" : activePageName_);
}

void TOOAPanel::UpdateMenuCaption() {
  if (GetPopupMenu() && GetPopupMenu()->Count() > 0) GetPopupMenu()->Item(0).SetCaption(MenuTitle(false));
}

bool TOOAPanel::RefusePageName(const std::string& name) {
  // Everything before the first " @" of a placement entry is its page: objects placed on a page
  // whose name holds one would never stand on it.
  if (name.find(" @") != std::string::npos) {
    platform_.ShowMessage("A page name cannot hold \" @\" (a blank before an at-sign): \"" + name + "\"");
    return true;
  }
  // Page lookups ignore letter case: two pages of one name would be one page to them, and objects
  // would hold two entries for it.
  for (const std::string& page : ownPageList_)
    if (SameText(page, name)) {
      platform_.ShowMessage("The diagram already has a page named \"" + page + "\".");
      return true;
    }
  return false;
}

void TOOAPanel::CreatePage() {
  const TEditStep step(this, "Create Page", {});
  const std::string proposal = "NewPage" + IntToText(static_cast<long long>(ownPageList_.size()) + 1);
  const std::string answer = platform_.InputBox("Create New Page", "Input New Page's Name :", proposal);
  if (IsBlank(answer)) return;
  // Without the blanks around it: the file keeps none around a value, and a page that lost them on
  // reading would lose every object placed on it.
  const std::string name = Trim(answer);
  if (RefusePageName(name)) return;
  if (IsBlank(diagramName_)) diagramName_ = "NewDiagram";
  ownPageList_.push_back(name);
  if (activePageName_.empty()) activePageName_ = name;
  RefreshPageEditor();
}

void TOOAPanel::RenameActivePage() {
  if (IsBlank(activePageName_)) return;
  // A rename may rewrite the entries of every object.
  const TEditStep step(this, "Rename Page " + activePageName_, {}, TEditReach::AllEntities);
  const std::string oldName = activePageName_;
  int line = -1;
  for (size_t i = 0; i < ownPageList_.size(); ++i)
    if (SameText(ownPageList_[i], oldName)) {
      line = static_cast<int>(i);
      break;
    }
  const std::string answer = platform_.InputBox("CurrentPageRename", "Input New Current Page's Name :", oldName);
  if (IsBlank(answer) || line < 0) return;
  const std::string newName = Trim(answer);
  // The page's own name (Cancel gives it back) is no other page's, whatever the list holds.
  if (!SameText(newName, oldName) && RefusePageName(newName)) return;
  // A new name that objects already have entries for merges two pages: their objects join the
  // active page and must be shown at their entries, which the objects already shown do not need.
  bool joined = false;
  auto rewrite = [&](TPlacedControl& object, bool keepFlags) {
    if (newName != oldName && object.EntryIndexFor(newName) >= 0) joined = true;
    const int index = object.EntryIndexFor(oldName);
    if (index < 0) return;
    const std::string& entry = object.ActivePages()[static_cast<size_t>(index)];
    object.ReplaceEntry(static_cast<size_t>(index), MakeEntry(newName, object.Left(), object.Top()) +
                                                        (keepFlags ? HideFlagsText(HideFlagsOf(entry)) : std::string()));
  };
  for (const auto& entity : entities_) {
    if (!entity) continue;
    rewrite(*entity, true);
    for (const auto& slot : entity->RelationList())
      if (slot.Object) rewrite(*slot.Object, false);
    for (const auto& slot : entity->EventList())
      if (slot.Object) rewrite(*slot.Object, false);
  }
  ownPageList_[static_cast<size_t>(line)] = newName;
  activePageName_ = newName;
  UpdateMenuCaption();
  if (joined) ShowActivePage();
  Invalidate();
  RefreshPageEditor();
}

void TOOAPanel::RemoveExistsPage() {
  if (ownPageList_.empty()) return;
  ChoiceDialog dialog = PageListDialog("Remove Display Page", "Page To Remove");
  dialog.CloseCaption = "Remove";
  // Closing the dialog any other way removes nothing: the active page stands preselected.
  dialog.AnswerOnlyByButton = true;
  const std::string chosen = platform_.Choose(dialog);
  if (IsBlank(chosen)) return;
  RemovePage(chosen);
}

void TOOAPanel::RemovePage(const std::string& page) {
  const TEditStep step(this, "Remove Page " + page, {}, TEditReach::AllEntities);
  // Every line of the name goes (an older file may list a page twice), and every object's entries
  // for it; the objects keep their other pages.
  std::erase(ownPageList_, page);
  for (const auto& entity : entities_) {
    if (!entity) continue;
    entity->RemoveEntriesFor(page);
    for (const auto& slot : entity->RelationList())
      if (slot.Object) slot.Object->RemoveEntriesFor(page);
    for (const auto& slot : entity->EventList())
      if (slot.Object) slot.Object->RemoveEntriesFor(page);
  }
  const bool wasActive = activePageName_ == page;
  if (wasActive) {
    activePageName_ = ownPageList_.empty() ? std::string() : ownPageList_.front();
    ShowActivePage();
  }
  RefreshPageEditor();
  // After the page editor's reload, which shows the page again: no page is left to name.
  if (wasActive && activePageName_.empty() && GetPopupMenu() && GetPopupMenu()->Count() > 0)
    GetPopupMenu()->Item(0).SetCaption(MenuTitle(true));
}

ChoiceDialog TOOAPanel::PageListDialog(const std::string& caption, const std::string& label) const {
  ChoiceDialog dialog;
  dialog.Caption = caption;
  dialog.Width = 420;
  dialog.Height = 115;
  dialog.FontSize = 10;
  dialog.Label = label;
  dialog.LabelLeft = 22;
  dialog.LabelTop = 16;
  dialog.ListLeft = 142;
  dialog.ListTop = 12;
  dialog.ListWidth = 240;
  dialog.Items.push_back(" ");
  dialog.Items.insert(dialog.Items.end(), ownPageList_.begin(), ownPageList_.end());
  SortListItems(dialog.Items);
  for (size_t i = 0; i < dialog.Items.size(); ++i)
    if (SameText(dialog.Items[i], activePageName_)) {
      dialog.ItemIndex = static_cast<int>(i);
      break;
    }
  dialog.CloseLeft = 180;
  dialog.CloseTop = 64;
  return dialog;
}

void TOOAPanel::SelectDisplayPage() {
  const std::string chosen = platform_.Choose(PageListDialog("Select DisPlay Page", "New DisPlay Page"));
  if (IsBlank(chosen)) return;
  ShowPage(chosen);
}

void TOOAPanel::ShowPage(const std::string& page) {
  activePageName_ = page;
  RefreshPageEditor();
  UpdateMenuCaption();
  changingPage_ = true;
  try {
    ShowActivePage();
  } catch (...) {
    changingPage_ = false;
    throw;
  }
  changingPage_ = false;
}
