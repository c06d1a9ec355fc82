#include "qt_editor_window.h"

#include <QBoxLayout>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include "diagram_host.h"
#include "diagram_view.h"
#include "ooa_panel.h"
#include "page_editor_dialog.h"
#include "qt_canvas.h"
#include "qt_platform.h"
#include "window_frame.h"

QtEditorWindow::QtEditorWindow(QtPlatform& platform) : platform_(platform) {}

QtEditorWindow::~QtEditorWindow() = default;

int QtEditorWindow::ScreenWidth() {
  const QScreen* desktop = platform_.screen();
  return desktop ? desktop->availableGeometry().width() : 0;
}

QMargins QtEditorWindow::frameEstimate() const {
  // The window system decorates the page editor as it decorated the main window; before the main
  // window is framed, a thin border and a title bar are the usual frame.
  const QWidget* main = platform_.mainWindow();
  if (main && main->isVisible()) return FrameMarginsOf(*main);
  return QMargins(4, 24, 4, 4);
}

int QtEditorWindow::ShowPageEditor(TOOAPanel& panel) {
  if (pageEditor_) pageEditor_->SetEditorPanel(nullptr);
  pageEditor_.reset();
  pageEditor_ = std::make_unique<TEREditDlg>(platform_, diagramFont());
  TEREditDlg* dialog = pageEditor_.get();
  dialog->SetEditorPanel(&panel);
  // Closed any way, it hands the keyboard back to the surface it worked on.
  QObject::connect(dialog, &QDialog::finished, dialog, [this] { focusSurface(); });
  if (innerDock_ && !WindowPositionsHonoured()) {
    // A window the window system places as it likes may cover the diagram or stand off the screen;
    // inside the main window the editor stands where it belongs, and takes its width from the view.
    dialog->DockInside(*innerDock_);
    dialog->show();
    return TEREditDlg::ClientWidth;
  }
  const QMargins estimate = frameEstimate();
  dialog->DockAtRightEdge(estimate, platform_.screen());
  if (const QWidget* main = platform_.mainWindow(); main && main->windowHandle()) {
    // A tool window of the main window: the window system keeps it with it.
    dialog->winId();
    dialog->windowHandle()->setTransientParent(main->windowHandle());
  }
  // Showing reloads the dialog from the panel.
  dialog->show();
  const int width = dialog->OuterWidth();
  // The real frame is known only once the window system has framed the window: dock again with it,
  // and keep the main window beside the dialog if the frame was not as estimated.
  QTimer::singleShot(0, dialog, [this, dialog, estimate, width] {
    dialog->DockAtRightEdge(estimate, platform_.screen());
    if (dialog->IsBound() && dialog->OuterWidth() != width) SetMainWindowWidth(ScreenWidth() - dialog->OuterWidth());
  });
  return width;
}

void QtEditorWindow::RefreshPageEditor() {
  if (pageEditor_) pageEditor_->RefreshEditor();
}

void QtEditorWindow::DestroyPageEditor(TOOAPanel& panel) {
  if (!pageEditor_) return;
  const TOOAPanel* bound = pageEditor_->EditorPanel();
  if (bound && bound != &panel) return;
  pageEditor_->SetEditorPanel(nullptr);
  pageEditor_.reset();
}

void QtEditorWindow::SetMainWindowWidth(int width) {
  QWidget* main = platform_.mainWindow();
  if (!main || width <= 0) return;
  // Where the window system places windows, the main window holds the page editor and keeps its
  // width: grown beyond the place it was given, it could reach past the screen's edge.
  if (!WindowPositionsHonoured()) return;
  // The width asked for is the outer one, window frame included, and never more than the screen's.
  if (const int screenWidth = ScreenWidth(); screenWidth > 0) width = std::min(width, screenWidth);
  const QMargins frame = FrameMarginsOf(*main);
  main->resize(std::max(1, width - std::max(0, frame.left() + frame.right())), main->height());
}

void QtEditorWindow::ZoomView(TZoomCommand command) {
  if (view_) view_->zoom(command);
}

void QtEditorWindow::setView(DiagramView* view) { view_ = view; }

void QtEditorWindow::setInnerDock(QBoxLayout* row) { innerDock_ = row; }

void QtEditorWindow::focusSurface() {
  if (QWidget* main = platform_.mainWindow()) main->activateWindow();
  if (view_ && view_->host()) view_->host()->setFocus(Qt::ActiveWindowFocusReason);
}
