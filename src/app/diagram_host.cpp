// Qt's side of hosting the diagram: events in, menus, the drag outline and pixels out. The rules
// themselves (where a press goes, which menu opens, what a drop does, what a paint draws, how an
// error reaches the user) are the control host's.
#include "diagram_host.h"

#include <QAccessible>
#include <QApplication>

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QTransform>
#include <QPolygon>
#include <QRegion>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <exception>
#include <utility>
#include <vector>

#include "diagram_accessibility.h"
#include "diagram_view.h"
#include "entity.h"
#include "row.h"
#include "ooa_panel.h"
#include "platform.h"
#include "popup_menu.h"
#include "deferred_canvas.h"
#include "placed_control.h"
#include "in_place_editor.h"
#include "qt_canvas.h"
#include "shown_text.h"

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

TRect boundsInRoot(const Control& control) {
  const TPoint origin = control.OriginInRoot();
  return {origin.X, origin.Y, origin.X + control.Width(), origin.Y + control.Height()};
}

QRect toQRect(const TRect& rect) { return QRect(rect.Left, rect.Top, rect.Width(), rect.Height()); }

// Every device pixel that shows a part of the rectangle of widget pixels, at the device's ratio.
QRect devicePixels(const QRect& rect, qreal ratio) {
  if (ratio == 1) return rect;
  const QPoint topLeft(static_cast<int>(std::floor(rect.left() * ratio)), static_cast<int>(std::floor(rect.top() * ratio)));
  const QPoint beyond(static_cast<int>(std::ceil((rect.right() + 1) * ratio)), static_cast<int>(std::ceil((rect.bottom() + 1) * ratio)));
  return QRect(topLeft, beyond - QPoint(1, 1));
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
  return QString::fromStdString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}
}  // namespace

DiagramHost::DiagramHost(TOOAPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel), controls_(panel, *this) {
  setMouseTracking(true);
  // Tab reaches the surface too: the keyboard alone goes through the diagram.
  setFocusPolicy(Qt::StrongFocus);
  // The panel paints every pixel itself; Qt need not erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A press becomes a drag only as far from it as the desktop says; nearer, it is a click.
  controls_.SetDragDistance(QApplication::startDragDistance());
  autoScroll_ = new QTimer(this);
  autoScroll_->setInterval(30);
  connect(autoScroll_, &QTimer::timeout, this, &DiagramHost::autoScroll);
  syncSize();
  accessibility_ = std::make_unique<DiagramAccessibility>(*this);
  connect(this, &DiagramHost::objectFocused, this, [this](Control* object) { accessibility_->objectFocused(object); });
  // After the listeners before: the panel may outlive this widget, which then hears no more.
  const auto listen = [guard = QPointer<DiagramHost>(this)](std::function<void()>& notice, void (DiagramAccessibility::*told)()) {
    notice = [before = std::move(notice), guard, told] {
      if (before) before();
      if (guard && guard->accessibility_) (guard->accessibility_.get()->*told)();
    };
  };
  listen(panel_.DiagramChanged, &DiagramAccessibility::diagramChanged);
  listen(panel_.SelectionChanged, &DiagramAccessibility::selectionChanged);
}

DiagramHost::~DiagramHost() {
  // The surface's interface reads this widget's diagram: it goes before the widget's parts do, and
  // what Qt asks while the widget itself is destroyed is answered by a plain one.
  if (QAccessibleInterface* surface = QAccessible::queryAccessibleInterface(this))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(surface));
  accessibility_.reset();
}

void DiagramHost::syncSize() {
  const QSize size = toQRect(controls_.WindowRect({0, 0, std::max(0, panel_.Width()), std::max(0, panel_.Height())})).size();
  if (minimumSize() != size || maximumSize() != size) setFixedSize(size);
}

void DiagramHost::setZoom(TViewZoom zoom) {
  if (zoom == controls_.Zoom()) return;
  // A drag's outline stands at the old zoom; the drag itself goes on at the new one.
  setDragOutline(QRect());
  controls_.SetZoom(zoom);
  syncSize();
  update();
  if (renameEditor_) renameEditor_->place();
}

void DiagramHost::openSurfaceMenu(QPoint at) {
  controls_.OpenRootMenu({at.x(), at.y()});
  syncSize();
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
  // The focused object's dotted frame stands further out.
  if (&control == focus_.Current()) {
    update(focusFrameArea(control));
    return;
  }
  // A pixel or two around: outlines and erased corners of a box that just moved or shrank.
  const int margin = std::max(2, controls_.Zoom().LengthToWindow(2));
  update(toQRect(controls_.WindowRect(boundsInRoot(control))).adjusted(-margin, -margin, margin, margin));
}

void DiagramHost::paintEvent(QPaintEvent* event) {
  // Qt has taken what was waiting to be painted; what is asked from now on waits anew.
  invalidatedSincePaint_ = 0;
  wholeInvalidated_ = false;
  QPainter painter(this);
  // The pixels of the device painted on: a high-density screen has more than one to each pixel of
  // the widget (and a picture the widget is rendered into may have its own). The diagram is drawn in
  // them, at the view's zoom times their ratio, rather than drawn at the widget's size and enlarged:
  // lines stay straight and even, texts are set at the scale. At a ratio of 1 the two are one.
  const QPaintEngine* engine = painter.paintEngine();
  const qreal ratio = engine && engine->paintDevice() ? engine->paintDevice()->devicePixelRatio() : devicePixelRatio();
  const TViewZoom zoom = controls_.Zoom().OnDevice(ratio);
  const QRect exposed = devicePixels(event->rect(), ratio);
  // The panel and its controls paint onto a canvas that keeps their drawing; only what stays in
  // sight of it becomes pixels, in a picture of the exposed part that is then shown whole. They paint
  // every surface pixel that shows in the exposed part; the canvas zooms their drawing.
  const TRect surface = zoom.ToSurfaceCovering({exposed.left(), exposed.top(), exposed.right() + 1, exposed.bottom() + 1});
  const QRect whole = toQRect(zoom.ToWindow(TRect{0, 0, panel_.Width(), panel_.Height()}));
  picture_.clear();
  picture_.setZoom(zoom);
  picture_.setWholePicture(whole);
  picture_.setPaintedPart(toQRect(surface));
  const std::string error = controls_.Paint(picture_, surface);
  // No dialog may run inside a paint; the box comes once the paint is over.
  if (!error.empty()) QTimer::singleShot(0, this, [this, error] { controls_.ShowError(error); });
  const QRect drawn = picture_.pictureFor(exposed, whole);
  if (exposedPicture_.size() != drawn.size()) exposedPicture_ = QImage(drawn.size(), QImage::Format_RGB32);
  picture_.drawOnto(exposedPicture_, drawn.topLeft(), exposed);
  painter.save();
  // In the device's own pixels: the picture is shown as it is, pixel for pixel, never resampled.
  if (ratio != 1) painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
  painter.drawImage(exposed.topLeft(), exposedPicture_, exposed.translated(-drawn.topLeft()));
  paintSelection(painter, exposed, zoom, TViewZoom().OnDevice(ratio).LengthToWindow(2));
  paintFocus(painter, exposed, zoom, TViewZoom().OnDevice(ratio).LengthToWindow(2));
  painter.restore();
  paintDragOutline(painter);
  paintDottedFrame(painter, band_);
}

void DiagramHost::paintSelection(QPainter& painter, const QRect& exposed, const TViewZoom& zoom, int frame) const {
  const TSurfaceSelection& selection = panel_.Selection();
  if (selection.Empty()) return;
  // The desktop's highlight just outside each box: the box itself stays as it is drawn (and as
  // pictures of it show it).
  const QColor highlight = palette().color(QPalette::Highlight);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const TPlacedControl* object : selection.Objects()) {
    if (!object->Visible()) continue;
    const QRect box = toQRect(zoom.ToWindow(boundsInRoot(*object)));
    const QRect outer = box.adjusted(-frame, -frame, frame, frame);
    if (!outer.intersects(exposed)) continue;
    QRegion border(outer);
    border -= QRegion(box);
    for (const QRect& part : border) painter.fillRect(part, highlight);
  }
}

void DiagramHost::paintFocus(QPainter& painter, const QRect& exposed, const TViewZoom& zoom, int frame) const {
  const Control* object = focus_.Current();
  if (!object) return;
  const QRect box = toQRect(zoom.ToWindow(boundsInRoot(*object)));
  // A row's frame stands just inside it, where it covers no neighbour; a box's or an entity's just
  // outside its selection frame.
  const QRect dots = dynamic_cast<const TRow*>(object) ? box.adjusted(1, 1, -2, -2)
                                                       : box.adjusted(-frame - 1, -frame - 1, frame, frame);
  if (dots.intersects(exposed)) paintDottedFrame(painter, dots);
}

QRect DiagramHost::focusFrameArea(const Control& object) const {
  const int margin = 2 * std::max(2, controls_.Zoom().LengthToWindow(2)) + 2;
  return toQRect(controls_.WindowRect(boundsInRoot(object))).adjusted(-margin, -margin, margin, margin);
}

void DiagramHost::setFocusedObject(Control* object) {
  Control* old = focus_.Current();
  focus_.Set(object);
  Control* now = focus_.Current();
  if (old) update(focusFrameArea(*old));
  if (now) {
    update(focusFrameArea(*now));
    // The view scrolls to show it.
    for (QWidget* outer = parentWidget(); outer; outer = outer->parentWidget())
      if (auto* view = qobject_cast<QScrollArea*>(outer)) {
        const QRect area = focusFrameArea(*now);
        view->ensureVisible(area.center().x(), area.center().y(), area.width() / 2 + 8, area.height() / 2 + 8);
        break;
      }
  }
  if (old != now) emit objectFocused(now);
}

void DiagramHost::stepFocus(bool backwards) {
  TKeyboardFocus next = focus_;
  setFocusedObject(next.Step(panel_, backwards));
}

bool DiagramHost::stepFocusRow(bool up) {
  TKeyboardFocus next = focus_;
  Control* row = next.StepRow(panel_, up);
  if (!row) return false;
  setFocusedObject(row);
  return true;
}

bool DiagramHost::focusNextPrevChild(bool next) {
  if (controls_.IsDragging() || renameEditor_) return QWidget::focusNextPrevChild(next);
  stepFocus(!next);
  return true;
}

std::optional<QPoint> DiagramHost::focusedPoint() const {
  const Control* object = focus_.Current();
  if (!object) return std::nullopt;
  const TRect bounds = boundsInRoot(*object);
  // An entity is pressed on its title, above its rows; anything else in its middle.
  const TPoint at = dynamic_cast<const TEntity*>(object) ? TPoint{bounds.Left + bounds.Width() / 2, bounds.Top + 3}
                                                         : TPoint{bounds.Left + bounds.Width() / 2, bounds.Top + bounds.Height() / 2};
  return QPoint(controls_.Zoom().ToWindow(at.X), controls_.Zoom().ToWindow(at.Y));
}

bool DiagramHost::openFocusedMenu() {
  const std::optional<QPoint> at = focusedPoint();
  if (!at || controls_.IsDragging()) return false;
  controls_.Press(TMouseButton::Right, 0, {at->x(), at->y()}, focus_.Current());
  syncSize();
  return true;
}

bool DiagramHost::moveByKeyboard(int dx, int dy) {
  if (controls_.IsDragging()) return false;
  std::vector<TPlacedControl*> objects = panel_.SelectedObjects();
  Control* focused = focus_.Current();
  if (objects.empty() && focused) {
    if (auto* row = dynamic_cast<TRow*>(focused)) focused = row->OwnerEntity();
    if (auto* placed = dynamic_cast<TPlacedControl*>(focused)) objects.push_back(placed);
  }
  if (objects.empty()) return false;
  runGuarded([&] { panel_.MoveObjects(objects, dx, dy, objects.size() == 1 && !panel_.Selection().Contains(*objects[0]) ? "Move" : "Move Selection"); });
  syncSize();
  // The view follows what the keyboard is on.
  if (focus_.Current()) setFocusedObject(focus_.Current());
  return true;
}

void DiagramHost::paintDragOutline(QPainter& painter) const { paintDottedFrame(painter, outline_); }

void DiagramHost::paintDottedFrame(QPainter& painter, const QRect& r) const {
  if (r.isEmpty()) return;
  // Alternate black and white pixels: visible on the white surface and on every box colour.
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
  // The mouse takes over from the keyboard: its dotted frame goes.
  setFocusedObject(nullptr);
  const QPoint pos = event->position().toPoint();
  controls_.Press(*button, shiftState(event->modifiers(), event->buttons()) | extra, {pos.x(), pos.y()});
  syncSize();
  if (*button == TMouseButton::Right) menuShownForPress_ = true;
}

void DiagramHost::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  const bool shown = menuShownForPress_;
  menuShownForPress_ = false;
  if (event->reason() == QContextMenuEvent::Mouse && shown) return;
  // The menu key: Qt puts its menu in the middle of the whole surface, a place the user may not even
  // see. The key opens the surface's menu where the user looks instead, as the view places it.
  if (event->reason() == QContextMenuEvent::Keyboard && event->spontaneous()) {
    if (openFocusedMenu()) return;
    for (QWidget* outer = parentWidget(); outer; outer = outer->parentWidget())
      if (auto* view = qobject_cast<DiagramView*>(outer)) {
        view->openSurfaceMenu();
        return;
      }
  }
  // A menu asked for by the keyboard or without a press before it: the same as a right click there,
  // so that the control is selected before its commands run.
  if (controls_.IsDragging()) return;
  controls_.Press(TMouseButton::Right, shiftState(event->modifiers(), Qt::RightButton), {event->pos().x(), event->pos().y()});
  syncSize();
}

namespace {
// Adds the diagram's menu to the Qt menu, each action knowing the item's place in the menu read down
// with its submenus (PopupMenu::AllItems); returns the place after the last item added.
size_t addItems(QMenu& menu, const PopupMenu& items, size_t place) {
  for (size_t i = 0; i < items.Count(); ++i) {
    const MenuItem& item = items.Item(i);
    const size_t own = place++;
    if (item.IsSeparator()) {
      menu.addSeparator();
    } else if (const PopupMenu* submenu = item.Submenu()) {
      QMenu* inner = menu.addMenu(menuText(item.Caption()));
      inner->setEnabled(item.Enabled());
      place = addItems(*inner, *submenu, place);
    } else {
      QAction* action = menu.addAction(menuText(item.Caption()));
      // Shown greyed, and not chosen, while it has nothing to do (undo with no step behind it).
      action->setEnabled(item.Enabled());
      action->setData(QVariant::fromValue(static_cast<qulonglong>(own)));
    }
  }
  return place;
}
}  // namespace

std::optional<size_t> DiagramHost::ChooseFromMenu(Control&, const PopupMenu& items, TPoint at) {
  // Built fresh from the diagram's menu each time: captions change with the diagram.
  QMenu menu(this);
  addItems(menu, items, 0);
  const QAction* chosen = menu.exec(mapToGlobal(QPoint(at.X, at.Y)));
  if (!chosen || !chosen->data().isValid()) return std::nullopt;
  return static_cast<size_t>(chosen->data().toULongLong());
}

void DiagramHost::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  const QPoint pos = event->position().toPoint();
  lastPointer_ = event->globalPosition().toPoint();
  lastPointerState_ = shiftState(event->modifiers(), event->buttons());
  controls_.Move(lastPointerState_, {pos.x(), pos.y()});
  syncSize();
  if ((controls_.IsDragging() || controls_.IsBanding()) && !autoScroll_->isActive()) autoScroll_->start();
}

void DiagramHost::autoScroll() {
  auto* view = parentWidget() ? qobject_cast<QScrollArea*>(parentWidget()->parentWidget()) : nullptr;
  if (!view || !(controls_.IsDragging() || controls_.IsBanding()) || !(lastPointerState_ & ssLeft)) {
    autoScroll_->stop();
    return;
  }
  // Within 24 pixels of an edge of the view the view scrolls, the faster the nearer (or past) it.
  static constexpr int kEdge = 24;
  const QPoint at = view->viewport()->mapFromGlobal(lastPointer_);
  const QSize size = view->viewport()->size();
  const auto speed = [](int pos, int length) {
    if (pos < kEdge) return -std::min(kEdge, kEdge - pos) / 2 - 1;
    if (pos >= length - kEdge) return std::min(kEdge, pos - (length - kEdge)) / 2 + 1;
    return 0;
  };
  const int dx = speed(at.x(), size.width());
  const int dy = speed(at.y(), size.height());
  if (dx == 0 && dy == 0) return;
  QScrollBar* across = view->horizontalScrollBar();
  QScrollBar* down = view->verticalScrollBar();
  const int oldX = across->value();
  const int oldY = down->value();
  across->setValue(oldX + dx);
  down->setValue(oldY + dy);
  if (across->value() == oldX && down->value() == oldY) return;
  // The pointer now stands over another point of the surface: the outline or the band follows it.
  const QPoint pos = mapFromGlobal(lastPointer_);
  controls_.Move(lastPointerState_, {pos.x(), pos.y()});
}

void DiagramHost::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  lastPointerState_ = shiftState(event->modifiers(), event->buttons());
  autoScroll_->stop();
  const std::optional<TMouseButton> button = diagramButton(event->button());
  if (!button) return;
  const QPoint pos = event->position().toPoint();
  controls_.Release(*button, {pos.x(), pos.y()});
  syncSize();
}

void DiagramHost::mouseDoubleClickEvent(QMouseEvent* event) {
  // Qt hands the second press of a double click to widgets as this event instead of a press; for the
  // diagram it is a press like any other, marked as the second of a double click.
  pressEvent(event, ssDouble);
  // A double click on a title, row or box renames it in place; the drag its press began is no drag.
  if (event->button() != Qt::LeftButton || renameEditor_) return;
  const QPoint pos = event->position().toPoint();
  if (const auto text = TShownText::At(panel_, controls_.RootPoint({pos.x(), pos.y()}))) {
    controls_.CancelDrag();
    openRenameEditor(*text);
  }
}

void DiagramHost::renameInPlace() {
  if (controls_.IsDragging() || renameEditor_) return;
  if (const auto text = TShownText::OfPressed(panel_)) openRenameEditor(*text);
}

void DiagramHost::keepRenameInPlace() {
  if (renameEditor_) renameEditor_->finish(true);
}

void DiagramHost::openRenameEditor(const TShownText& text) {
  renameEditor_ = new InPlaceEditor(*this, text);
  renameEditor_->show();
  renameEditor_->setFocus(Qt::OtherFocusReason);
}

bool DiagramHost::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const TPoint at = controls_.RootPoint({help->pos().x(), help->pos().y()});
  const std::string cut = TShownText::CutTextAt(panel_, at);
  if (cut.empty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), QString::fromStdString(cut), this);
  }
  return true;
}

void DiagramHost::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && (controls_.IsDragging() || controls_.IsBanding())) {
    controls_.CancelDrag();
    controls_.CancelBand();
    event->accept();
    return;
  }
  // Space on the focused object: a click there (with Ctrl, the selection's Ctrl+click).
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && (event->modifiers() & ~Qt::ControlModifier) == 0) {
    if (const std::optional<QPoint> at = focusedPoint(); at && !controls_.IsDragging()) {
      const TShiftState shift = (event->modifiers() & Qt::ControlModifier) ? ssCtrl : 0;
      controls_.Press(TMouseButton::Left, shift | ssLeft, {at->x(), at->y()}, focus_.Current());
      controls_.Release(TMouseButton::Left, {at->x(), at->y()});
      syncSize();
      event->accept();
      return;
    }
  }
  // Escape with nothing moving: nothing selected any more, and the keyboard off the objects (the
  // menu keys then open the surface's menu).
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    setFocusedObject(nullptr);
    runGuarded([this] { panel_.ClearSelection(); });
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void DiagramHost::DragMoved(const TRect& outline, bool accepted) {
  setCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
  setDragOutline(QRect(outline.Left, outline.Top, outline.Width(), outline.Height()));
}

void DiagramHost::BandMoved(const TRect& band) {
  const QRect next(band.Left, band.Top, band.Width(), band.Height());
  if (band_ == next) return;
  update(frameRegion(band_));
  band_ = next;
  update(frameRegion(band_));
}

void DiagramHost::DragEnded() {
  setDragOutline(QRect());
  unsetCursor();
}

void DiagramHost::setDragOutline(const QRect& outline) {
  if (outline_ == outline) return;
  update(frameRegion(outline_));
  outline_ = outline;
  update(frameRegion(outline));
}
