// The widget that shows one diagram panel: it turns Qt's paint, mouse and key events into the
// control host's (which decides where presses, menus and drops go and what a paint draws), shows
// the popup menus and the drag outline, and turns the recorded drawing into pixels.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "control.h"
#include "control_host.h"
#include "deferred_canvas.h"
#include "in_place_editor.h"
#include "keyboard_focus.h"

class DiagramAccessibility;
class QPainter;
class QTimer;
class TOOAPanel;

class DiagramHost : public QWidget, private THostWindow {
  Q_OBJECT

 public:
  explicit DiagramHost(TOOAPanel& panel, QWidget* parent = nullptr);
  ~DiagramHost() override;

  TOOAPanel& panel() const { return panel_; }
  // The rules this widget feeds with its events.
  TControlHost& controls() { return controls_; }
  const TControlHost& controls() const { return controls_; }

  // Schedules a repaint of the control's rectangle, also when it is hidden (its old picture must go).
  void invalidateControl(Control& control);
  // A control starts being dragged; the drag ends at the next release of the left button.
  void beginDrag(Control& control) { controls_.BeginDrag(control); }
  bool isDragging() const { return controls_.IsDragging(); }
  // Where the outline of the dragged control stands now; empty before the pointer moved.
  QRect dragOutline() const { return outline_; }

  // Runs an action of the diagram. An error it raises is shown in the error box and the editor goes
  // on (a drag in progress ends first); the result tells whether the action ran to its end.
  bool runGuarded(const std::function<void()>& action) { return controls_.RunGuarded(action); }
  // The surface's own menu at a point of this widget, which may lie beside it (the view's grey).
  void openSurfaceMenu(QPoint at);
  // Keeps the widget exactly as large as the panel at the zoom, which commands may resize.
  void syncSize();
  // Shows the panel at the zoom: resized and painted anew; the scrolling view keeps its place.
  void setZoom(TViewZoom zoom);

  // F2: an editor in place over what was pressed last (a title, row or box); nothing during a drag
  // or while an editor is open.
  void renameInPlace();
  // The editor open, if any; a window command about to run keeps what it holds first.
  InPlaceEditor* renameEditor() const { return renameEditor_; }
  void keepRenameInPlace();
  // Told by the editor as it goes.
  void renameEditorClosed() { renameEditor_ = nullptr; }

  // The object the keyboard is on (Tab, Shift+Tab, Up and Down), framed by dots; nothing until the
  // keyboard moved there, and again after a press of the mouse.
  Control* focusedObject() const { return focus_.Current(); }
  // What assistive technology is told of the diagram.
  // None while the widget is being destroyed.
  DiagramAccessibility* accessibility() const { return accessibility_.get(); }
  void setFocusedObject(Control* object);
  // Tab and Shift+Tab: the page's next (or previous) entity or box.
  void stepFocus(bool backwards);
  // Up and Down through the focused entity's rows; false, nothing moved, where there is no row to go
  // to (the keys then scroll).
  bool stepFocusRow(bool up);
  // The Menu key and Shift+F10 on a focused object: its menu at it, as a right click there opens it.
  // False when nothing is focused.
  bool openFocusedMenu();
  // Shift and the arrow keys: the selection, or else the object the keyboard is on (a row's entity),
  // moved by (dx, dy) as one step. False when there is nothing to move.
  bool moveByKeyboard(int dx, int dy);

 signals:
  // The keyboard moved to this object (or to none).
  void objectFocused(Control* object);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Tooltips: the whole text of a title or row its box cuts.
  bool event(QEvent* event) override;
  // Tab and Shift+Tab move through the diagram's objects, not out of the surface.
  bool focusNextPrevChild(bool next) override;

 private:
  std::optional<size_t> ChooseFromMenu(Control& owner, const PopupMenu& menu, TPoint at) override;
  void DragMoved(const TRect& outline, bool accepted) override;
  void DragEnded() override;
  void BandMoved(const TRect& band) override;

  void pressEvent(QMouseEvent* event, TShiftState extra);
  void paintDragOutline(QPainter& painter) const;
  // The dotted frame of the focused object, in the device's pixels as the selection's frames.
  void paintFocus(QPainter& painter, const QRect& exposed, const TViewZoom& zoom, int frame) const;
  // Where the keyboard's presses on the focused object land, in this widget's pixels.
  std::optional<QPoint> focusedPoint() const;
  // The widget pixels the focused object's frame may cover.
  QRect focusFrameArea(const Control& object) const;
  void paintDottedFrame(QPainter& painter, const QRect& r) const;
  // The frames of the selected objects that reach into the exposed part, frame pixels wide, all in
  // the pixels of the device the zoom draws into.
  void paintSelection(QPainter& painter, const QRect& exposed, const TViewZoom& zoom, int frame) const;
  // While a drag or a band goes on with the pointer near the edge of the scroll box's view, the view
  // scrolls towards it, step by step while the pointer rests there, and the drag follows.
  void autoScroll();
  void setDragOutline(const QRect& outline);
  void openRenameEditor(const TShownText& text);

  TOOAPanel& panel_;
  TControlHost controls_;
  QRect outline_;
  QRect band_;
  QTimer* autoScroll_ = nullptr;
  // Where the pointer last moved (on the screen) and what was held then: what the view scrolls
  // towards while the pointer rests.
  QPoint lastPointer_;
  TShiftState lastPointerState_ = 0;
  // Set by a right press that already opened its menu, so that the context menu event the window
  // system sends after that press does not open a second one.
  bool menuShownForPress_ = false;
  // What the panel and its controls draw in a paint, and the pixels it makes of the exposed part.
  DeferredCanvas picture_;
  QImage exposedPicture_;
  // Rectangles asked to be painted since the last paint, and whether the whole widget was asked.
  int invalidatedSincePaint_ = 0;
  bool wholeInvalidated_ = false;
  QPointer<InPlaceEditor> renameEditor_;
  TKeyboardFocus focus_;
  std::unique_ptr<DiagramAccessibility> accessibility_;
};
