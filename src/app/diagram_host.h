// The widget that shows one diagram panel: paints it and its controls, hands mouse presses to the
// control under the pointer, opens the controls' popup menus and carries their drags to a drop.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "control.h"
#include "deferred_canvas.h"

class QPainter;
class TOOAPanel;

class DiagramHost : public QWidget {
  Q_OBJECT

 public:
  explicit DiagramHost(TOOAPanel& panel, QWidget* parent = nullptr);
  ~DiagramHost() override;

  TOOAPanel& panel() const { return panel_; }

  // Schedules a repaint of the control's rectangle, also when it is hidden (its old picture must go).
  void invalidateControl(Control& control);
  // A control starts being dragged; the drag ends at the next release of the left button.
  void beginDrag(Control& control);
  bool isDragging() const { return drag_.has_value(); }
  // Where the outline of the dragged control stands now; empty before the pointer moved.
  QRect dragOutline() const { return drag_ ? drag_->outline : QRect(); }

  // Runs an action of the diagram. An error it raises is shown in the error box and the editor goes
  // on (a drag in progress ends first); the result tells whether the action ran to its end.
  bool runGuarded(const std::function<void()>& action);
  // Keeps the widget exactly as large as the panel, which commands may resize.
  void syncSize();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Drag {
    Control* source = nullptr;
    std::weak_ptr<const void> sourceAlive;
    // Started by a press of the left button: a move without that button means the release was lost.
    bool withButton = false;
    QRect outline;
  };

  void pressEvent(QMouseEvent* event, TShiftState extra);
  void press(TMouseButton button, TShiftState shift, QPoint pos, QPoint globalPos);
  void openPopupMenu(Control& control, QPoint globalPos);
  void paintChildren(Control& parent, const QRect& parentClip, const QRect& exposed);
  void paintDragOutline(QPainter& painter) const;
  void dragMove(QPoint pos);
  void drop(QPoint pos);
  void endDrag();
  void setDragOutline(const QRect& outline);
  void showError(const std::string& message);
  void reportPaintError(const QString& message);

  TOOAPanel& panel_;
  std::optional<Drag> drag_;
  bool inLeftPress_ = false;
  // Set by a right press that already opened its menu, so that the context menu event the window
  // system sends after that press does not open a second one.
  bool menuShownForPress_ = false;
  QString lastPaintError_;
  // What the panel and its controls draw in a paint, and the pixels it makes of the exposed part.
  DeferredCanvas picture_;
  QImage exposedPicture_;
  // Rectangles asked to be painted since the last paint, and whether the whole widget was asked.
  int invalidatedSincePaint_ = 0;
  bool wholeInvalidated_ = false;
};
