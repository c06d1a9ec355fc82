// Painting and mouse handling of the diagram widget. Every call into the diagram may raise an error
// or remove objects: errors go to the error box, and controls held across a call are checked through
// their life tokens before they are used again.
#include "diagram_host.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QTimer>

#include <exception>
#include <utility>
#include <vector>

#include "ooa_panel.h"
#include "platform.h"
#include "popup_menu.h"
#include "deferred_canvas.h"
#include "qt_canvas.h"

namespace {
constexpr int kMaxInvalidatedRects = 32;

TShiftState shiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState state = 0;
  if (modifiers & Qt::ShiftModifier) state |= ssShift;
  if (modifiers & Qt::AltModifier) state |= ssAlt;
  if (modifiers & Qt::ControlModifier) state |= ssCtrl;
  if (buttons & Qt::LeftButton) state |= ssLeft;
  if (buttons & Qt::RightButton) state |= ssRight;
  if (buttons & Qt::MiddleButton) state |= ssMiddle;
  return state;
}

std::optional<TMouseButton> diagramButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return TMouseButton::Left;
    case Qt::RightButton: return TMouseButton::Right;
    case Qt::MiddleButton: return TMouseButton::Middle;
    default: return std::nullopt;
  }
}

QRect boundsInRoot(const Control& control) {
  const TPoint origin = control.OriginInRoot();
  return QRect(origin.X, origin.Y, control.Width(), control.Height());
}

TPoint localPoint(const Control& control, QPoint pos) {
  const TPoint origin = control.OriginInRoot();
  return {pos.x() - origin.X, pos.y() - origin.Y};
}

// The one-pixel frame of a rectangle, one pixel wider each way: what a drag outline covers.
QRegion frameRegion(const QRect& rect) {
  if (rect.isEmpty()) return {};
  const QRect outer = rect.adjusted(-1, -1, 1, 1);
  const QRect inner = rect.adjusted(2, 2, -2, -2);
  QRegion region(outer);
  if (inner.isValid()) region -= QRegion(inner);
  return region;
}

// "&" marks an accelerator in Qt menus; the diagram's captions mean the character itself.
QString menuText(const std::string& caption) {
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()))
      .replace(QLatin1Char('&'), QStringLiteral("&&"));
}
}  // namespace

DiagramHost::DiagramHost(TOOAPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  // The panel paints every pixel itself; Qt need not erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  syncSize();
}

DiagramHost::~DiagramHost() = default;

void DiagramHost::syncSize() {
  const QSize size(std::max(0, panel_.Width()), std::max(0, panel_.Height()));
  if (minimumSize() != size || maximumSize() != size) setFixedSize(size);
}

void DiagramHost::invalidateControl(Control& control) {
  // A command that moves many controls (a page showing moves them all) asks for thousands of
  // rectangles; Qt joins each into the waiting region at a cost that grows with the region, so past
  // a few dozen the whole widget is asked for instead, once. Qt paints only its visible part.
  if (wholeInvalidated_) return;
  if (&control == &panel_ || ++invalidatedSincePaint_ > kMaxInvalidatedRects) {
    wholeInvalidated_ = true;
    update();
    return;
  }
  // A pixel or two around: outlines and erased corners of a box that just moved or shrank.
  update(boundsInRoot(control).adjusted(-2, -2, 2, 2));
}

void DiagramHost::beginDrag(Control& control) {
  if (drag_) setDragOutline(QRect());
  drag_ = Drag{&control, control.LifeToken(), inLeftPress_, QRect()};
}

bool DiagramHost::runGuarded(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const std::exception& error) {
    showError(error.what());
  } catch (...) {
    showError("An unexpected error occurred.");
  }
  return false;
}

void DiagramHost::showError(const std::string& message) {
  // The box runs its own event loop: a drag in progress cannot survive it.
  if (drag_) endDrag();
  panel_.GetPlatformRef().ShowError(message);
}

void DiagramHost::paintEvent(QPaintEvent* event) {
  // Qt has taken what was waiting to be painted; what is asked from now on waits anew.
  invalidatedSincePaint_ = 0;
  wholeInvalidated_ = false;
  const QRect exposed = event->rect();
  // The panel and its controls paint onto a canvas that keeps their drawing; only what stays in
  // sight of it becomes pixels, in a picture of the exposed part that is then shown whole.
  picture_.clear();
  picture_.clearClip();
  picture_.setOrigin(QPoint());
  picture_.setPaintedPart(exposed);
  try {
    picture_.ResetState();
    panel_.PaintOn(picture_);
    paintChildren(panel_, QRect(0, 0, panel_.Width(), panel_.Height()), exposed);
    lastPaintError_.clear();
  } catch (const std::exception& error) {
    reportPaintError(QString::fromUtf8(error.what()));
  } catch (...) {
    reportPaintError(QStringLiteral("An unexpected error occurred."));
  }
  const QRect drawn = picture_.pictureFor(exposed, rect());
  if (exposedPicture_.size() != drawn.size()) exposedPicture_ = QImage(drawn.size(), QImage::Format_RGB32);
  picture_.drawOnto(exposedPicture_, drawn.topLeft(), exposed);
  QPainter painter(this);
  painter.drawImage(exposed.topLeft(), exposedPicture_, exposed.translated(-drawn.topLeft()));
  paintDragOutline(painter);
}

void DiagramHost::reportPaintError(const QString& message) {
  // No dialog may run inside a paint; the box comes once the paint is over. A paint that fails the
  // same way again does not raise a second box, or the editor would never get a paint through.
  if (message == lastPaintError_) return;
  lastPaintError_ = message;
  QTimer::singleShot(0, this, [this, message] { showError(message.toStdString()); });
}

void DiagramHost::paintChildren(Control& parent, const QRect& parentClip, const QRect& exposed) {
  // Painting has side effects (controls resize, hide themselves, restack): walk a copy of the list
  // and let go of any control that died or changed parents meanwhile. Only the controls that stand
  // in the exposed part are taken: on a large diagram most stand elsewhere. One that a paint moves
  // into it asks for its own paint when it moves.
  const QPoint parentOrigin = boundsInRoot(parent).topLeft();
  const QRect wanted = parentClip & exposed;
  if (wanted.isEmpty()) return;
  std::vector<std::pair<Control*, std::weak_ptr<const void>>> children;
  const auto& places = parent.ChildPlaces();
  for (size_t i = 0; i < places.size(); ++i) {
    const TRect& bounds = places[i].Bounds;
    if (!places[i].Visible) continue;
    const QRect box(parentOrigin + QPoint(bounds.Left, bounds.Top), QSize(bounds.Width(), bounds.Height()));
    if (box.intersects(wanted)) children.emplace_back(parent.Children()[i], parent.Children()[i]->LifeToken());
  }

  for (const auto& [child, alive] : children) {
    if (alive.expired() || child->Parent() != &parent || !child->Visible()) continue;
    const QRect box = boundsInRoot(*child);
    const QRect clip = box & parentClip;
    if (clip.isEmpty() || !clip.intersects(exposed)) continue;
    picture_.setClip(clip);
    // The background erase: whatever of the box its paint leaves out shows the control's colour.
    picture_.fill(box, child->Color());
    picture_.ResetState();
    picture_.setOrigin(box.topLeft());
    child->PaintOn(picture_);
    if (!alive.expired() && child->Visible()) paintChildren(*child, clip, exposed);
  }
}

void DiagramHost::paintDragOutline(QPainter& painter) const {
  if (!drag_ || drag_->outline.isEmpty()) return;
  // Alternate black and white pixels: visible on the white surface and on every box colour.
  const QRect& r = drag_->outline;
  QPolygon black;
  QPolygon white;
  auto dot = [&](int x, int y) { (((x + y) & 1) == 0 ? black : white) << QPoint(x, y); };
  for (int x = r.left(); x <= r.right(); ++x) {
    dot(x, r.top());
    if (r.bottom() != r.top()) dot(x, r.bottom());
  }
  for (int y = r.top() + 1; y < r.bottom(); ++y) {
    dot(r.left(), y);
    if (r.right() != r.left()) dot(r.right(), y);
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawPoints(black);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawPoints(white);
}

void DiagramHost::mousePressEvent(QMouseEvent* event) { pressEvent(event, 0); }

void DiagramHost::pressEvent(QMouseEvent* event, TShiftState extra) {
  event->accept();
  const std::optional<TMouseButton> button = diagramButton(event->button());
  if (!button) return;
  menuShownForPress_ = false;
  if (drag_) {
    // A press while a drag is still open means its release never reached us: that drag is void.
    if (*button != TMouseButton::Left) return;
    endDrag();
  }
  press(*button, shiftState(event->modifiers(), event->buttons()) | extra, event->position().toPoint(),
        event->globalPosition().toPoint());
  if (*button == TMouseButton::Right) menuShownForPress_ = true;
}

void DiagramHost::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  const bool shown = menuShownForPress_;
  menuShownForPress_ = false;
  if (event->reason() == QContextMenuEvent::Mouse && shown) return;
  // A menu asked for by the keyboard or without a press before it: the same as a right click there,
  // so that the control is selected before its commands run.
  if (drag_) return;
  press(TMouseButton::Right, shiftState(event->modifiers(), Qt::RightButton), event->pos(), event->globalPos());
}

void DiagramHost::press(TMouseButton button, TShiftState shift, QPoint pos, QPoint globalPos) {
  Control* target = panel_.ControlAt(pos.x(), pos.y());
  if (!target) return;
  const std::weak_ptr<const void> alive = target->LifeToken();
  const TPoint local = localPoint(*target, pos);
  inLeftPress_ = button == TMouseButton::Left;
  const bool done = runGuarded([&] { target->MouseDown(button, shift, local.X, local.Y); });
  inLeftPress_ = false;
  syncSize();
  if (done && button == TMouseButton::Right && !alive.expired()) openPopupMenu(*target, globalPos);
}

void DiagramHost::openPopupMenu(Control& control, QPoint globalPos) {
  Control* owner = &control;
  while (owner && !owner->GetPopupMenu()) owner = owner->Parent();
  if (!owner || owner->GetPopupMenu()->Count() == 0) return;
  const std::weak_ptr<const void> ownerAlive = owner->LifeToken();

  // Built fresh from the diagram's menu each time: captions change with the diagram.
  const PopupMenu& items = *owner->GetPopupMenu();
  std::vector<std::string> captions;
  QMenu menu(this);
  for (size_t i = 0; i < items.Count(); ++i) {
    const MenuItem& item = items.Item(i);
    captions.push_back(item.Caption());
    if (item.IsSeparator()) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(menuText(item.Caption()));
    action->setData(QVariant::fromValue(static_cast<qulonglong>(i)));
  }
  QAction* chosen = menu.exec(globalPos);
  if (!chosen) return;

  // The menu's event loop may have let anything happen: find the item again, and run it only when
  // its owner still lives and the item still stands where it stood.
  const size_t index = static_cast<size_t>(chosen->data().toULongLong());
  if (ownerAlive.expired()) return;
  PopupMenu* current = owner->GetPopupMenu();
  if (!current || index >= current->Count() || index >= captions.size() ||
      current->Item(index).Caption() != captions[index])
    return;
  runGuarded([&] { current->Item(index).Click(); });
  syncSize();
}

void DiagramHost::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  const QPoint pos = event->position().toPoint();
  if (drag_) {
    if (drag_->withButton && !(event->buttons() & Qt::LeftButton)) {
      endDrag();
      return;
    }
    dragMove(pos);
    return;
  }
  Control* target = panel_.ControlAt(pos.x(), pos.y());
  if (!target) return;
  const TPoint local = localPoint(*target, pos);
  runGuarded([&] { target->MouseMove(shiftState(event->modifiers(), event->buttons()), local.X, local.Y); });
  syncSize();
}

void DiagramHost::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !drag_) return;
  drop(event->position().toPoint());
  syncSize();
}

void DiagramHost::mouseDoubleClickEvent(QMouseEvent* event) {
  // Qt hands the second press of a double click to widgets as this event instead of a press; for the
  // diagram it is a press like any other, marked as the second of a double click.
  pressEvent(event, ssDouble);
}

void DiagramHost::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && drag_) {
    endDrag();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void DiagramHost::dragMove(QPoint pos) {
  if (drag_->sourceAlive.expired()) {
    endDrag();
    return;
  }
  Control& source = *drag_->source;
  bool accept = false;
  if (Control* target = panel_.ControlAt(pos.x(), pos.y())) {
    const TPoint local = localPoint(*target, pos);
    if (!runGuarded([&] { target->DragOver(source, local.X, local.Y, TDragState::Move, accept); })) return;
  }
  if (!drag_ || drag_->sourceAlive.expired()) {
    endDrag();
    return;
  }
  setCursor(accept ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
  // The outline stands where a drop on the surface puts the box: its top-left corner at the pointer.
  setDragOutline(QRect(pos, QSize(std::max(1, source.Width()), std::max(1, source.Height()))));
}

void DiagramHost::drop(QPoint pos) {
  const Drag drag = *drag_;
  // Ended before the diagram hears of the drop: the drop may ask questions in dialogs of its own.
  endDrag();
  if (drag.sourceAlive.expired()) return;
  Control* target = panel_.ControlAt(pos.x(), pos.y());
  if (!target) return;
  const std::weak_ptr<const void> targetAlive = target->LifeToken();
  const TPoint local = localPoint(*target, pos);
  runGuarded([&] {
    bool accept = false;
    target->DragOver(*drag.source, local.X, local.Y, TDragState::Move, accept);
    if (!accept || drag.sourceAlive.expired() || targetAlive.expired()) return;
    target->DragDrop(*drag.source, local.X, local.Y);
  });
}

void DiagramHost::endDrag() {
  if (!drag_) return;
  setDragOutline(QRect());
  drag_.reset();
  unsetCursor();
}

void DiagramHost::setDragOutline(const QRect& outline) {
  if (!drag_ || drag_->outline == outline) return;
  update(frameRegion(drag_->outline));
  drag_->outline = outline;
  update(frameRegion(outline));
}
