#include "own_surface_items.h"

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
  PopupMenu& view = menu.AddSubmenu("View");
  zoomIn_ = &view.Add("-> Zoom In", [p] { p->ZoomCommand(TZoomCommand::In); });
  zoomOut_ = &view.Add("-> Zoom Out", [p] { p->ZoomCommand(TZoomCommand::Out); });
  zoomActual_ = &view.Add(kZoomActual, [p] { p->ZoomCommand(TZoomCommand::Actual); });
  view.Add("-> Zoom Whole Page", [p] { p->ZoomCommand(TZoomCommand::WholePage); });
  PopupMenu& arrange = menu.AddSubmenu("Arrange");
  arrange.Add("-> Arrange Page", [p] { ArrangePageCommand(*p); });
  PopupMenu& imports = menu.AddSubmenu("Import");
  imports.Add("-> Import Database Schema...", [p] { p->ImportDatabaseFileCommand(); });
  imports.Add("-> Import PostgreSQL Database...", [p] { p->ImportPostgresCommand(); });
  PopupMenu& exports = menu.AddSubmenu("Export");
  exports.Add("-> Export Page As...", [p] { p->ExportPageCommand(); });
  // Taken once the menu's own items are all added: an item stays where it is until the next one.
  undo_ = &menu.Item(undo);
  redo_ = &menu.Item(undo + 1);
  HistoryChanged(panel.History());
  ViewZoomed(TViewZoom());
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
