// The editor's main window: the diagram panel in a scroll box, docked at the left edge of the screen
// so that the page editor can stand beside it.
#pragma once

#include <QMargins>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class DiagramHost;
class DiagramStatusBar;
class DiagramView;
class FindBar;
class QScrollArea;
class QMoveEvent;
class QResizeEvent;
class QShowEvent;
class QtEditorWindow;
class QtPlatform;
class QtRecoveryKeeper;
class TOOAPanel;
class TRecoveryKeeper;

class TfMain : public QWidget {
  Q_OBJECT

 public:
  explicit TfMain(QWidget* parent = nullptr);
  ~TfMain() override;

  TOOAPanel& panel() const { return *panel_; }
  QtPlatform& platform() const { return *platform_; }
  QtEditorWindow& editorWindow() const { return *editorWindow_; }
  DiagramHost& host() const { return *host_; }
  QScrollArea& scrollBox() const;
  DiagramView& view() const { return *scrollBox_; }
  FindBar& findBar() const { return *findBar_; }
  DiagramStatusBar& statusBar() const { return *statusBar_; }
  // From now on the diagram's unsaved state is kept in a recovery copy in the folder (the editor
  // started by the user; tests and jobs without a display keep none).
  TRecoveryKeeper& keepRecoveryCopies(const std::string& folder);
  TRecoveryKeeper* recovery() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Left edge of the screen's available area, its full height, the window's own width: the whole
  // window, frame included, within the area. Where the window system places windows, only the
  // size is kept within the area.
  void dockAtLeftEdge();
  // The window system framed the window (or framed it anew) since it was docked: dock it again,
  // now that the frame is known. A move by the user changes no frame and is left alone.
  void dockAgainIfFramed();
  // Ctrl+Z takes the last edit back, Ctrl+Shift+Z and Ctrl+Y do it again; Ctrl+S, Ctrl+Shift+S,
  // Ctrl+O and Delete run the menu commands they stand for; F2 renames in place; arrows, Page Up
  // and Down, Home and End scroll the surface; Ctrl and "+" or "=", "-" and "0" zoom in, out and back to 100 %.
  void bindKeys();
  // Keys of the whole window, so that they work wherever its focus is; the page editor, a window of
  // its own or a part of this one, keeps its keys for its own fields.
  void bindKey(const QList<QKeySequence>& keys, std::function<void()> command);
  // Ctrl+F opens the find bar, F3 and Shift+F3 go to the next and the previous match; the Menu key
  // and Shift+F10 open the surface's menu.
  void bindFindAndMenuKeys();

  // The platform and the editor window outlive the panel: the panel's objects reach the platform
  // while they are destroyed, and the panel frees its page editor through the window.
  std::unique_ptr<QtPlatform> platform_;
  std::unique_ptr<QtEditorWindow> editorWindow_;
  std::unique_ptr<TOOAPanel> panel_;
  // Goes before the panel: it writes what is still to be written from the panel as it goes.
  std::unique_ptr<QtRecoveryKeeper> recovery_;
  DiagramView* scrollBox_ = nullptr;
  DiagramHost* host_ = nullptr;
  FindBar* findBar_ = nullptr;
  DiagramStatusBar* statusBar_ = nullptr;
  bool docked_ = false;
  QMargins dockedFrame_;
};
