// The editor's own items of the surface menu: after the diagram's fourteen, behind one separator,
// "-> Undo " and "-> Redo " naming the step they would take back or do again, then one submenu per
// group of commands ("View": the zoom; "Arrange": the page or the selection laid out anew, the selection aligned or spread evenly; "Import": databases;
// "Export": the page as a picture, the model as an SQL script, the diagram's documentation, a print; "Recent Diagrams": the diagrams opened or saved last), so that the menu stays short as commands arrive. Built once and
// kept current as the history and the view's zoom change.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class MenuItem;
class PopupMenu;
class TDiagramHistory;
class TOOAPanel;
class TViewZoom;

class TOwnSurfaceItems {
 public:
  // Adds the items to the end of the panel's surface menu, which holds its own items already.
  TOwnSurfaceItems(TOOAPanel& panel, PopupMenu& menu);

  // The undo and redo items name their steps, greyed when there is none.
  void HistoryChanged(const TDiagramHistory& history);
  // The zoom items that would change nothing are greyed; the way back to 100 % tells the zoom shown
  // (the window's caption is the diagram's, so this is where the zoom shows).
  void ViewZoomed(const TViewZoom& zoom);
  // The commands on the selection are greyed while it holds too few objects for them.
  void SelectionChanged(size_t size);
  // "Recent Diagrams" lists the files, newest first, each opening its diagram; with none it holds a
  // greyed "(none)".
  void RecentDiagramsChanged(const std::vector<std::string>& files);

 private:
  MenuItem* undo_ = nullptr;
  MenuItem* redo_ = nullptr;
  MenuItem* zoomIn_ = nullptr;
  MenuItem* zoomOut_ = nullptr;
  MenuItem* zoomActual_ = nullptr;
  TOOAPanel* panel_ = nullptr;
  PopupMenu* recent_ = nullptr;
  // Each with the least number of selected objects it needs.
  std::vector<std::pair<MenuItem*, size_t>> selectionItems_;
};
