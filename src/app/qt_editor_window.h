// The editor's window as the diagram's commands see it, on Qt: the one page editor, docked at the
// right edge of the main window's screen, and the main window's width beside it; or, where the
// window system places windows itself, the page editor inside the main window at its right edge.
#pragma once

#include <QMargins>
#include <QPointer>

#include <memory>

#include "editor_window.h"

class DiagramView;
class QBoxLayout;
class QtPlatform;
class TEREditDlg;

class QtEditorWindow : public TEditorWindow {
 public:
  // The page editor's questions go through the platform, whose main window is the one resized.
  explicit QtEditorWindow(QtPlatform& platform);
  ~QtEditorWindow() override;

  int ScreenWidth() override;
  // Showing frees the earlier, closed editor and binds a fresh one to the panel; the returned width
  // is the dialog's outer width (see frameEstimate).
  int ShowPageEditor(TOOAPanel& panel) override;
  void RefreshPageEditor() override;
  void DestroyPageEditor(TOOAPanel& panel) override;
  void SetMainWindowWidth(int width) override;
  void ZoomView(TZoomCommand command) override;
  // The scrolling view the zoom commands zoom.
  void setView(DiagramView* view);
  // The main window's row the page editor joins at its right end where it cannot stand beside it.
  void setInnerDock(QBoxLayout* row);

  // The page editor shown last, open or closed; none before the first or after its panel went.
  TEREditDlg* pageEditor() const { return pageEditor_.get(); }

 private:
  // The main window active again, the keyboard on its surface.
  void focusSurface();
  // The frame the window system will give the page editor, until it has framed it.
  QMargins frameEstimate() const;

  QtPlatform& platform_;
  std::unique_ptr<TEREditDlg> pageEditor_;
  QPointer<DiagramView> view_;
  QPointer<QBoxLayout> innerDock_;
};
