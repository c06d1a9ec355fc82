// The diagram surface: owns every entity of one diagram, the display pages and the active page, the
// diagram's name and folder, and the surface's popup menu with the commands on the whole diagram.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bitmap.h"
#include "connector_index.h"
#include "diagram_history.h"
#include "control.h"
#include "name_index.h"
#include "placement.h"
#include "platform.h"
#include "popup_menu.h"
#include "surface_selection.h"
#include "view_zoom.h"

class Canvas;
class Platform;
class TEditorWindow;
class TEntity;
class TEntityEvent;
class TMethod;
class TProperty;
class TRelation;
class TOOAPanel;
class TOwnSurfaceItems;
class TPlacedControl;

// The clipboard's commands, Ctrl+X, C, V and D.
enum class TClipboardAction { Cut, Copy, Paste, Duplicate };

using TOnSelectEntity = std::function<void(TOOAPanel& sender, TEntity& selectObject)>;
using TOnSelectProperty = std::function<void(TOOAPanel& sender, TEntity& entity, TProperty& selectObject)>;
using TOnSelectMethod = std::function<void(TOOAPanel& sender, TEntity& entity, TMethod& selectObject)>;
using TOnEntityPopup =
    std::function<void(TOOAPanel& sender, TEntity& entity, const std::string& popupStr, int popupNo)>;

// What the panel's file and picture commands call; the file layer and the host fill it in.
struct TDiagramFileHandlers {
  // Writes the diagram to the name the way a diagram file's name is derived from it (".ERD").
  std::function<void(TOOAPanel&, const std::string& fileName)> SaveDiagramFile;
  // Writes the diagram into exactly this file.
  std::function<void(TOOAPanel&, const std::string& fileName)> WriteDiagramFile;
  // The file a save of this name writes: the one its folder holds under the name in another
  // letter case, when there is one.
  std::function<std::string(const std::string& fileName)> FileToWrite;
  std::function<void(TOOAPanel&, const std::string& fileName)> LoadDiagramFile;
  std::function<void(TOOAPanel&)> ImportSchemaFile;
  // The database imports: from a file chosen in a dialog, and from a PostgreSQL connection.
  std::function<void(TOOAPanel&)> ImportDatabaseFile;
  std::function<void(TOOAPanel&)> ImportPostgres;
  // The diagram's model written as an SQL script.
  std::function<void(TOOAPanel&)> ExportSql;
  // Writes the diagram's documentation into exactly this file, in the format its name asks for.
  std::function<void(TOOAPanel&, const std::string& fileName)> ExportDocumentation;
  // Told of every diagram file opened or written (the recent diagrams keep it); none by default.
  std::function<void(TOOAPanel&, const std::string& fileName)> DiagramFileUsed;
  // Cut, copy, paste (at the surface's point) and duplicate through the platform's clipboard.
  std::function<void(TOOAPanel&, TClipboardAction, TPoint at)> Clipboard;
};

class TOOAPanel : public Control {
 public:
  // The width and height of the editor's surface, in the window and without a display alike.
  static constexpr int EditorSurfaceSize = 2048;

  explicit TOOAPanel(Platform& platform);
  ~TOOAPanel() override;

  Platform* GetPlatform() const override { return &platform_; }
  Platform& GetPlatformRef() const { return platform_; }

  const std::string& DiagramName() const { return diagramName_; }
  void SetDiagramName(const std::string& name) { diagramName_ = name; }
  const std::string& ActivePageName() const { return activePageName_; }
  void SetActivePageName(const std::string& name) { activePageName_ = name; }
  const TEntryList& OwnPageList() const { return ownPageList_; }
  TEntryList& OwnPageList() { return ownPageList_; }
  void SetOwnPageList(const TEntryList& pages) { ownPageList_ = pages; }
  const std::vector<std::string>& EntityPopList() const { return entityPopList_; }
  void SetEntityPopList(const std::vector<std::string>& lines) { entityPopList_ = lines; }
  const std::string& DiagramFolder() const { return diagramFolder_; }
  void SetDiagramFolder(const std::string& folder) { diagramFolder_ = folder; }
  // The diagram's own file: the one it was read from or last saved to with Save As, or that a
  // recovered diagram came from; empty when it has none yet. "-> Save Diagram " writes it.
  const std::string& DiagramFile() const { return diagramFile_; }
  void SetDiagramFile(const std::string& file) { diagramFile_ = file; }

  TOnSelectEntity OnSelectEntity;
  TOnSelectProperty OnSelectProperty;
  TOnSelectMethod OnSelectMethod;
  TOnEntityPopup OnEntityPopup;
  TDiagramFileHandlers FileHandlers;

  // The window the panel is shown in; none (the default) leaves "-> Page Editor" without an editor
  // to show. The window must outlive the panel, or be taken away first.
  TEditorWindow* EditorWindow() const { return editorWindow_; }
  void SetEditorWindow(TEditorWindow* window) { editorWindow_ = window; }
  bool PageEditorShown() const { return pageEditorShown_; }
  void SetPageEditorShown(bool shown) { pageEditorShown_ = shown; }
  // Reloads the page editor when it is shown.
  void RefreshPageEditor();
  // Runs the work with the page editor's reloads held back, then reloads it once, also when the
  // work fails: the editor never lists a diagram half built.
  void WithOneEditorRefresh(const std::function<void()>& work);

  // How many objects the selection holds: those gathered by Ctrl+click, the band or Ctrl+A, else the
  // one pressed last (the selected entity, or its box), else none.
  size_t SelectionSize() const;
  // Told whenever the selection may have changed (the status bar listens).
  std::function<void()> SelectionChanged;
  // The objects gathered by Ctrl+click, the band or Ctrl+A, which move, align and go together; it
  // holds only objects shown on the active page and empties when another page is shown.
  const TSurfaceSelection& Selection() const { return selection_; }
  // What the selection's commands act on: its objects still shown (a command since may have taken one
  // off the page).
  std::vector<TPlacedControl*> SelectedObjects() const;
  // A press on an object (an entity, by its title or a row, or a relation or event box): a left one
  // with Ctrl takes the object into the selection or out of it (the first one taken brings along
  // what was selected before it) and is used up, true; a left one without Ctrl lets the selection go
  // unless it holds the object, so that pressing a selected object drags the whole selection.
  bool SelectionPress(TPlacedControl& object, TMouseButton button, TShiftState shift);
  // Ctrl+A: every object shown on the active page.
  void SelectAllOnPage();
  // Escape: nothing selected, the selected entity neither.
  void ClearSelection();
  // The selection becomes these objects, those of them shown (a paste selects what it made).
  void SelectObjects(const std::vector<TPlacedControl*>& objects);
  // The band: every object shown that it encloses; with Ctrl added to what was selected.
  bool SelectsByBand() const override { return true; }
  void BandSelect(const TRect& band, TShiftState shift) override;
  // A selected object dragged carries the selection: the outline holds all of it.
  TRect DragBounds(const Control& source) const override;
  // The selection moved by (dx, dy) as one step "Move Selection", held within the surface's top and
  // left edges, each object's entry for the page keeping its new place.
  void MoveSelection(int dx, int dy);
  // The same for any objects of the page, as one step of that name (the keyboard's move of the
  // object it is on).
  void MoveObjects(const std::vector<TPlacedControl*>& objects, int dx, int dy, const std::string& what);
  // Puts each object at its place (a corner on the surface, held within its top and left edges),
  // stores it in the object's entry for the active page and lets the lines follow; no step of its
  // own.
  void PlaceObjects(const std::vector<TPlacedControl*>& objects, const std::vector<TPoint>& places);
  // Where the objects stand, as one rectangle (empty for none).
  static TRect BoundsOf(const std::vector<TPlacedControl*>& objects);
  // The entities whose images an edit moving or removing these objects needs.
  static std::vector<TEntity*> ScopeOfObjects(const std::vector<TPlacedControl*>& objects);
  TEntity* SelectedEntity() const { return selectedEntity_; }
  // Another entity selected is told to whoever listens for the selection.
  void SetSelectedEntity(TEntity* entity) {
    if (entity == selectedEntity_) return;
    selectedEntity_ = entity;
    if (SelectionChanged) SelectionChanged();
  }
  // The entity whose title, row or box was pressed last (its PressedPart says which); none once it
  // goes.
  TEntity* PressedEntity() const { return pressedEntity_; }
  void SetPressedEntity(TEntity* entity) { pressedEntity_ = entity; }
  // Delete: what was pressed last goes, as its menu's removal does it, one step: a row, a relation or
  // event box, or the selected entity itself when its title was pressed.
  void DeleteCommand();
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  const std::vector<std::unique_ptr<TEntity>>& Entities() const { return entities_; }
  int LastMouseX() const { return lastMouseX_; }
  int LastMouseY() const { return lastMouseY_; }
  void SetLastMouse(int x, int y) { lastMouseX_ = x; lastMouseY_ = y; }
  int BitmapWidth() const { return bitmapWidth_; }
  int BitmapHeight() const { return bitmapHeight_; }
  PopupMenu& SurfaceMenu() { return *surfaceMenu_; }

  // Lookups by description: the first match in entity-list order, compared exactly.
  TEntity* FindEntity(const std::string& desc) const;
  TRelation* FindRelation(const std::string& desc) const;
  TEntityEvent* FindEntityEvent(const std::string& desc) const;
  // The first entity in creation order whose component name equals name, letter case ignored.
  TEntity* EntityByName(const std::string& name) const;
  // Position of the entity in the entity list, or -1.
  int IndexOfEntity(const TEntity* entity) const;
  // The entity list stands in creation order, which is serial order: the position of the entity of
  // this serial (-1: none), found by halving, and the entity itself.
  int IndexOfSerial(long long serial) const;
  TEntity* EntityBySerial(long long serial) const;
  // The serial the next entity made gets: entities from it on were made after this moment.
  long long NextSerial() const { return nextSerial_; }

  TEntity& CreateEntity(const std::string& name, bool keepHidden);
  // An entity made again by an undo: its serial, at its place in the list, hidden and empty until
  // its image is restored.
  TEntity& RemakeEntity(long long serial, size_t position);
  // Destroys the entity at this place of the list, every link to it cleared first.
  void DestroyEntityAt(size_t index);
  void RemoveSelectedEntity();
  void ClearDiagram();
  void CloseDiagram();

  // Pages.
  // A call made while the page is being shown (painting a method row that widens its entity asks
  // for one) runs once the pass under way is over.
  void ShowActivePage();
  // Anything that may change how an entity's rows lie (every edit, undo and redo, every page
  // showing not asked for by a mere change of page) starts a new layout epoch: within one, a page
  // showing lays out only the rows of entities it shows with other hide flags than last time.
  // Changing pages alone then costs a move of each box, not a pass over every row.
  void LayoutMayHaveChanged() { ++layoutEpoch_; }
  // While a diagram file is read, ShowActivePage passes only over the entities marked since its
  // last run (over all of them when the active page changed in between). Passing over an entity
  // that did not change since it was last shown changes nothing, so the result is the same as
  // full passes, at a cost that does not grow with the diagram at every run.
  void BeginPartialShow();
  void MarkForShow(TEntity& entity);
  void EndPartialShow();
  // An entity that goes is no longer to be shown.
  void ForgetShowMark(TEntity& entity);
  void UpdateMenuCaption();
  void CreatePage();
  void RenameActivePage();
  void SelectDisplayPage();
  // Makes the page the active one and shows it, as "-> Select Display Page" does: no step of the
  // history (selecting a page is none).
  void ShowPage(const std::string& page);
  // "-> Remove Exists Page": a choice of the pages, the active one preselected; the page chosen
  // with the dialog's button goes.
  void RemoveExistsPage();
  // Takes the page off the page list and every object's entries for it; when it was the active
  // page, the first page left becomes active (none when no page is left).
  void RemovePage(const std::string& page);

  // The surface menu's commands on the whole diagram. The menu's load names no folder to start in;
  // Ctrl+O, the editor's own key for it, starts in the last folder used.
  void LoadDiagramCommand(bool inLastFolder = false);
  void CloseDiagramCommand();
  void SaveDiagramCommand();
  void SaveDiagramAsCommand();
  void PageEditorCommand();
  void SaveDiagramFile(const std::string& fileName);
  // Writes the diagram into exactly this file; the clean point.
  void WriteDiagramFile(const std::string& fileName);
  void LoadDiagramFile(const std::string& fileName);
  // Loads the file and makes its folder the diagram folder, as "-> Load Diagram " does.
  void OpenDiagramFile(const std::string& fileName);
  // "-> Load Diagram " once its file is chosen: the load is one step, the diagram before it is
  // replaced without a question and can be taken back.
  void OpenDiagramCommand(const std::string& fileName);
  // An item of "Recent Diagrams": the file opened as the load command opens it; one that no
  // longer exists is told of and leaves the list.
  void OpenRecentDiagramCommand(const std::string& fileName);
  // The files "Recent Diagrams" offers, newest first.
  const std::vector<std::string>& RecentDiagrams() const { return recentDiagrams_; }
  void SetRecentDiagrams(std::vector<std::string> files);

  // Paints every entity's connectors and then its boxes and rows onto a foreign canvas.
  void DrawToCanvas(Canvas& canvas);
  // Paints the whole diagram of the active page as a picture of the given size: white, a frame in
  // the canvas's pen, then entity by entity its connectors and its boxes and rows.
  void DrawPicture(Canvas& canvas, int width, int height);
  // DrawPicture into the panel's bitmap.
  void DrawToBitmap();
  // DrawToBitmap, then writes the bitmap to the file.
  void SaveToBitmapFile(const std::string& fileName, TPictureFormat format = TPictureFormat::Bmp);
  Bitmap* GetBitmap() const { return bitmap_.get(); }
  void SaveToBitmapCommand();
  // The picture of the active page in the format its name asks for (PictureFileFormatOf): ".svg"
  // and ".pdf" a drawing, ".png" a PNG picture, any other name a Windows bitmap.
  void SavePictureFile(const std::string& fileName);
  // "-> Export Page As...": the active page's picture in the format the dialog's filter or the
  // name's extension says.
  void ExportPageCommand();
  // "-> Export Documentation...": the diagram's documentation, Markdown or HTML as the dialog's
  // filter or the name's extension says, proposed under the diagram's name in its folder (nothing
  // without the file layer).
  void ExportDocumentationCommand();
  // "-> Print..." and Ctrl+P: the print form (the pages, the sheets; the last print's answers
  // proposed), then the printer's dialogs; the pages drawn as their PDF is, the active page shown
  // again afterwards.
  void PrintCommand();
  // "Edit" and Ctrl+X, C, V, D: the clipboard's command, a paste putting its objects at `at` on the
  // surface; nothing where no file layer fills it in.
  void ClipboardCommand(TClipboardAction action, TPoint at);
  // Draws the page-th of the pages, shown first (ShowPage); with no pages, the active page as it
  // stands. Every drawing of several pages (their PDF, a print, the documents' pictures) draws a
  // page this way.
  void DrawPageOf(const std::vector<std::string>& pages, int page, Canvas& canvas);
  // Runs the action, then shows the page that was active before it again, also when it fails.
  void KeepingActivePage(const std::function<void()>& action);
  // The database imports of the surface menu's "Import" group (nothing without the file layer).
  void ImportDatabaseFileCommand();
  void ImportPostgresCommand();

  void Paint() override;
  // The connector lines of every entity that reach into the part of the canvas.
  void DrawConnectorsIn(Canvas& canvas, const TRect& part);
  void Resize() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void DragOver(Control& source, int x, int y, TDragState state, bool& accept) override;
  // A box dropped on the surface lands where its outline showed it: taken at the point of it that was
  // pressed (SetDragGrab, told by the box or entity as it is pressed), not by its corner.
  void DragDrop(Control& source, int x, int y) override;
  void SetDragGrab(TPoint grab) { dragGrab_ = grab; }

  // Where the connector lines of the diagram run; boxes and rows keep it told.
  TConnectorIndex& Connectors() { return connectors_; }

  // The edits, to be undone and redone. Edit runs one command of the user's as one step named what,
  // holding the entities of scope (all of them, with the diagram's name and folder, for
  // wholeDiagram); EditOf holds an entity and what links to it.
  TDiagramHistory& History() { return history_; }
  void Edit(const std::string& what, const std::vector<TEntity*>& scope, const std::function<void()>& action) {
    history_.Edit(what, scope, TEditReach::Scope, action);
  }
  void EditOf(TEntity* entity, const std::string& what, const std::function<void()>& action) {
    history_.Edit(what, TDiagramHistory::ScopeOf(entity), TEditReach::Scope, action);
  }
  void EditAll(const std::string& what, const std::function<void()>& action, TEditReach reach = TEditReach::AllEntities) {
    history_.Edit(what, {}, reach, action);
  }
  void UndoCommand();
  void RedoCommand();
  // The zoom items ask the window to zoom its view; the window tells the zoom it shows, and the items
  // that would change nothing are greyed.
  void ZoomCommand(TZoomCommand command);
  void ViewZoomed(const TViewZoom& zoom);
  // The undo and redo items say what they would take back or do again, greyed when nothing; the
  // diagram's change is told (DiagramChanged).
  void HistoryChanged();
  // Called after every step, undo, redo and clean point: what keeps the recovery copy listens.
  std::function<void()> DiagramChanged;

  // The panel's own state an edit may change (the file's name and folder only withFile), and that
  // state given back: the pages first (true when another page became active), the selection once
  // the entities stand again.
  TPanelImage Image(bool withFile) const;
  bool RestorePages(const TPanelImage& image);
  void RestoreSelection(const TPanelImage& image);

  // A number no row or box of this panel has had: what the history knows it by.
  long long NextObjectId() { return ++lastObjectId_; }

  // Called by entities when their component name changes, to keep the name index.
  void EntityRenamed(TEntity& entity, const std::string& oldName);

  // Whether the file may be written: nothing or a folder stands there, or the user answers Yes to
  // the question of a save dialog whose caption is given.
  bool MayReplace(const std::string& fileName, const std::string& caption);

 private:
  void BuildSurfaceMenu();
  // The same for a picture, which never replaces the diagram's own file (refused with a message).
  bool MayWritePicture(const std::string& fileName, const std::string& caption);
  // The surface menu's title line naming the active page. Where namesNoPage (the menu just built,
  // the last page removed) "EMPTY" stands for none; elsewhere an empty name leaves it ending in ": ".
  std::string MenuTitle(bool namesNoPage) const;
  // Tells the user and answers true when the name cannot be given to a new page: it holds the
  // entry separator, or the page list holds it already (letter case ignored).
  bool RefusePageName(const std::string& name);
  // The dialog of the page commands: a blank item and the sorted pages, the active one preselected.
  ChoiceDialog PageListDialog(const std::string& caption, const std::string& label) const;
  void ShowEntity(TEntity& entity, const std::string& page);
  void LayOutRows(TEntity& entity);
  void ShowEntityInEdit(TEntity& entity, const std::string& page);
  void ShowActivePagePass();
  bool ShowMarked(const TEntity& entity) const;
  void ClearShowMarks(const std::vector<TEntity*>& marked);
  // Clears every relation and event end that names the entity, before it goes.
  void DetachLinksTo(TEntity& entity);
  // The selection changed: the objects whose look changed are painted again, the menu and the
  // listeners told.
  void SelectionWasChanged(const std::vector<TPlacedControl*>& repaint);
  // Delete with a selection: every selected object goes, one step.
  void DeleteSelection();

  Platform& platform_;
  TEditorWindow* editorWindow_ = nullptr;
  std::string diagramName_;
  std::unique_ptr<PopupMenu> surfaceMenu_;
  std::string activePageName_;
  std::vector<std::string> entityPopList_;
  TEntryList ownPageList_;
  std::string diagramFolder_;
  std::string diagramFile_;
  std::vector<std::string> recentDiagrams_;
  bool pageEditorShown_ = false;
  int editorRefreshHeld_ = 0;
  TEntity* selectedEntity_ = nullptr;
  TEntity* pressedEntity_ = nullptr;
  TSurfaceSelection selection_;
  // Before the entities, so that it outlives every box and row it lists.
  TConnectorIndex connectors_;
  TDiagramHistory history_{*this};
  std::unique_ptr<TOwnSurfaceItems> ownItems_;
  std::vector<std::unique_ptr<TEntity>> entities_;
  std::vector<TConnectorIndex::TFound> connectorsFound_;
  std::unique_ptr<Bitmap> bitmap_;
  int bitmapWidth_ = 0;
  int bitmapHeight_ = 0;
  int lastMouseX_ = 0;
  int lastMouseY_ = 0;
  TPrintJob printJob_;  // the last print's, proposed by the next
  TPoint dragGrab_;
  // By creation order; set up in the constructor, where entities are a complete type.
  TNameIndex<TEntity> entityIndex_;
  long long nextSerial_ = 0;
  long long lastObjectId_ = 0;
  bool partialShow_ = false;
  bool showing_ = false;
  bool showAgain_ = false;
  bool changingPage_ = false;  // ShowPage's pass, which starts no layout epoch
  long long layoutEpoch_ = 0;
  bool shownOnce_ = false;
  std::string lastShownPage_;
  std::string toldPage_;  // the active page DiagramChanged last told of
  std::vector<TEntity*> showMarks_;
  std::vector<char> showMarked_;  // by serial
};
