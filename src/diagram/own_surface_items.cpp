#include "own_surface_items.h"

#include <functional>
#include <utility>

#include "diagram_history.h"
#include "ooa_panel.h"
#include "page_arrangement.h"
#include "popup_menu.h"
#include "view_zoom.h"

namespace {
const char kZoomActual[] = "-> Zoom 100 %";
}  // namespace

TOwnSurfaceItems::TOwnSurfaceItems(TOOAPanel& panel, PopupMenu& menu) {
  TOOAPanel* const p = &panel;
  menu.Add("-");
  const size_t undo = menu.Count();
  menu.Add("-> Undo ", [p] { p->UndoCommand(); });
  menu.Add("-> Redo ", [p] { p->RedoCommand(); });
  // A paste from the menu puts its objects where the menu was asked for.
  PopupMenu& edit = menu.AddSubmenu("Edit");
  const auto clipboard = [p](TClipboardAction action) {
    return [p, action] { p->ClipboardCommand(action, {p->LastMouseX(), p->LastMouseY()}); };
  };
  edit.Add("-> Cut", clipboard(TClipboardAction::Cut));
  edit.Add("-> Copy", clipboard(TClipboardAction::Copy));
  edit.Add("-> Paste", clipboard(TClipboardAction::Paste));
  edit.Add("-> Duplicate", clipboard(TClipboardAction::Duplicate));
  PopupMenu& view = menu.AddSubmenu("View");
  zoomIn_ = &view.Add("-> Zoom In", [p] { p->ZoomCommand(TZoomCommand::In); });
  zoomOut_ = &view.Add("-> Zoom Out", [p] { p->ZoomCommand(TZoomCommand::Out); });
  zoomActual_ = &view.Add(kZoomActual, [p] { p->ZoomCommand(TZoomCommand::Actual); });
  view.Add("-> Zoom Whole Page", [p] { p->ZoomCommand(TZoomCommand::WholePage); });
  // The selection's items, each with the least number of objects it needs, by place in its submenu:
  // an item stays where it is only until the next one is added.
  struct TPlaced {
    PopupMenu* Menu;
    size_t At;
    size_t Least;
  };
  std::vector<TPlaced> onSelection;
  const auto needing = [&onSelection](size_t least, PopupMenu& submenu, const char* caption, std::function<void()> command) {
    onSelection.push_back({&submenu, submenu.Count(), least});
    submenu.Add(caption, std::move(command));
  };
  PopupMenu& select = menu.AddSubmenu("Select");
  select.Add("-> Select All on Page", [p] { p->SelectAllOnPage(); });
  needing(1, select, "-> Select None", [p] { p->ClearSelection(); });
  needing(1, select, "-> Remove Selected Objects", [p] { p->DeleteCommand(); });
  PopupMenu& arrange = menu.AddSubmenu("Arrange");
  arrange.Add("-> Arrange Page", [p] { ArrangePageCommand(*p); });
  needing(1, arrange, "-> Arrange Selection", [p] { ArrangeSelectionCommand(*p); });
  arrange.Add("-");
  const auto align = [&](const char* caption, TAlignment alignment) {
    needing(2, arrange, caption, [p, alignment] { AlignSelection(*p, alignment); });
  };
  align("-> Align Left Edges", TAlignment::Left);
  align("-> Align Right Edges", TAlignment::Right);
  align("-> Align Top Edges", TAlignment::Top);
  align("-> Align Bottom Edges", TAlignment::Bottom);
  align("-> Align Centres Across", TAlignment::CentresAcross);
  align("-> Align Centres Down", TAlignment::CentresDown);
  needing(3, arrange, "-> Distribute Across", [p] { DistributeSelection(*p, true); });
  needing(3, arrange, "-> Distribute Down", [p] { DistributeSelection(*p, false); });
  PopupMenu& imports = menu.AddSubmenu("Import");
  imports.Add("-> Import Database Schema...", [p] { p->ImportDatabaseFileCommand(); });
  imports.Add("-> Import PostgreSQL Database...", [p] { p->ImportPostgresCommand(); });
  PopupMenu& exports = menu.AddSubmenu("Export");
  exports.Add("-> Export Page As...", [p] { p->ExportPageCommand(); });
  exports.Add("-> Export SQL...", [p] { if (p->FileHandlers.ExportSql) p->FileHandlers.ExportSql(*p); });
  exports.Add("-> Export Documentation...", [p] { p->ExportDocumentationCommand(); });
  // Paper is one more way out of the diagram, drawn as the PDF export draws it.
  exports.Add("-> Print...", [p] { p->PrintCommand(); });
  recent_ = &menu.AddSubmenu("Recent Diagrams");
  panel_ = p;
  // Taken once the menu's own items are all added: an item stays where it is until the next one.
  undo_ = &menu.Item(undo);
  redo_ = &menu.Item(undo + 1);
  for (const TPlaced& placed : onSelection) selectionItems_.push_back({&placed.Menu->Item(placed.At), placed.Least});
  HistoryChanged(panel.History());
  ViewZoomed(TViewZoom());
  SelectionChanged(0);
  RecentDiagramsChanged(panel.RecentDiagrams());
}

void TOwnSurfaceItems::RecentDiagramsChanged(const std::vector<std::string>& files) {
  recent_->Clear();
  if (files.empty()) recent_->Add("(none)").SetEnabled(false);
  TOOAPanel* const p = panel_;
  for (const std::string& file : files) recent_->Add(file, [p, file] { p->OpenRecentDiagramCommand(file); });
}

void TOwnSurfaceItems::SelectionChanged(size_t size) {
  for (const auto& [item, least] : selectionItems_) item->SetEnabled(size >= least);
}

void TOwnSurfaceItems::HistoryChanged(const TDiagramHistory& history) {
  undo_->SetCaption("-> Undo " + history.UndoName());
  undo_->SetEnabled(history.CanUndo());
  redo_->SetCaption("-> Redo " + history.RedoName());
  redo_->SetEnabled(history.CanRedo());
}

void TOwnSurfaceItems::ViewZoomed(const TViewZoom& zoom) {
  zoomIn_->SetEnabled(zoom.PerMille() < TViewZoom::Most);
  zoomOut_->SetEnabled(zoom.PerMille() > TViewZoom::Least);
  zoomActual_->SetEnabled(!zoom.IsActual());
  zoomActual_->SetCaption(zoom.IsActual() ? kZoomActual
                                          : std::string(kZoomActual) + " (now " +
                                                std::to_string((zoom.PerMille() + 5) / 10) + " %)");
}
