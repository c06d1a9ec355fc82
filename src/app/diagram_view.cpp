#include "diagram_view.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

#include "diagram_host.h"
#include "ooa_panel.h"

DiagramView::DiagramView(QWidget* parent) : QScrollArea(parent) { setWidgetResizable(false); }

void DiagramView::setHost(DiagramHost* host) {
  host_ = host;
  setWidget(host);
}

const TViewZoom& DiagramView::zoom() const {
  static const TViewZoom actual;
  return host_ ? host_->controls().Zoom() : actual;
}

QPointF DiagramView::surfacePointAt(QPoint anchor) const {
  const double factor = zoom().Factor();
  const QPoint inHost = host_ ? host_->mapFrom(viewport(), anchor) : anchor;
  return QPointF(inHost.x() / factor, inHost.y() / factor);
}

QPoint DiagramView::zoomAnchor() const {
  // Where the user looks: at the pointer when it stands over the view (a key pressed, or the menu
  // chosen where it opened), else the middle of the view.
  const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
  return viewport()->rect().contains(pointer) ? pointer : viewport()->rect().center();
}

void DiagramView::zoomTo(int perMille, QPoint anchor, std::optional<QPointF> surfacePoint) {
  if (!host_) return;
  const TViewZoom next(perMille);
  const QPointF point = surfacePoint ? *surfacePoint : surfacePointAt(anchor);
  if (next != zoom()) {
    host_->setZoom(next);
    host_->panel().ViewZoomed(next);
    emit zoomed();
  }
  // The host has its new size, and the scroll bars their new ranges: the point goes back under the
  // anchor as far as the ranges let it.
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(point.x() * next.Factor() - anchor.x())));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(point.y() * next.Factor() - anchor.y())));
}

void DiagramView::zoom(TZoomCommand command) {
  if (!host_) return;
  wheel_.reset();
  const int now = zoom().PerMille();
  switch (command) {
    case TZoomCommand::In: zoomTo(TViewZoom::StepIn(now), zoomAnchor()); break;
    case TZoomCommand::Out: zoomTo(TViewZoom::StepOut(now), zoomAnchor()); break;
    case TZoomCommand::Actual: zoomTo(TViewZoom::Actual, zoomAnchor()); break;
    case TZoomCommand::WholePage: {
      // The view without scroll bars: a surface that shows whole needs none.
      const QSize room = maximumViewportSize();
      const DiagramHost& host = *host_;
      zoomTo(TViewZoom::Fitting(room.width(), room.height(), host.panel().Width(), host.panel().Height()), {}, QPointF());
      break;
    }
  }
}

void DiagramView::wheelEvent(QWheelEvent* event) {
  const QPoint turn = event->angleDelta();
  if (event->modifiers() & Qt::ControlModifier) {
    event->accept();
    const int eighths = turn.y() != 0 ? turn.y() : turn.x();
    if (eighths == 0 || !host_) return;
    const QPoint pointer = event->position().toPoint();
    if (!wheel_ || wheel_->Pointer != pointer || wheel_->PerMille != zoom().PerMille())
      wheel_ = TWheelZoom{zoom().Factor(), zoom().PerMille(), pointer, surfacePointAt(pointer)};
    wheel_->Factor = TViewZoom::AfterWheel(wheel_->Factor, eighths);
    zoomTo(static_cast<int>(std::lround(wheel_->Factor * TViewZoom::Actual)), pointer, wheel_->SurfacePoint);
    wheel_->PerMille = zoom().PerMille();
    return;
  }
  if ((event->modifiers() & Qt::ShiftModifier) && turn.x() == 0 && turn.y() != 0) {
    // Sideways, a step as the plain wheel's: the horizontal bar gets the turn as its own.
    QWheelEvent sideways(event->position(), event->globalPosition(), QPoint(event->pixelDelta().y(), 0),
                         QPoint(turn.y(), 0), event->buttons(), event->modifiers() & ~Qt::ShiftModifier,
                         event->phase(), event->inverted(), event->source());
    QCoreApplication::sendEvent(horizontalScrollBar(), &sideways);
    event->setAccepted(sideways.isAccepted());
    return;
  }
  QScrollArea::wheelEvent(event);
}

void DiagramView::contextMenuEvent(QContextMenuEvent* event) {
  // The surface takes its own presses; what comes here was asked for on the grey beside it, or by the
  // menu key while the view had the keyboard.
  event->accept();
  if (event->reason() != QContextMenuEvent::Mouse)
    openSurfaceMenu();
  else if (host_)
    host_->openSurfaceMenu(host_->mapFrom(viewport(), event->pos()));
}

void DiagramView::openSurfaceMenu() {
  if (host_) host_->openSurfaceMenu(keyboardPoint());
}

QPoint DiagramView::keyboardPoint() const {
  if (!host_) return {};
  const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
  const QRect inSight = viewport()->rect() & host_->geometry();
  const QPoint at = viewport()->rect().contains(pointer) ? pointer
                    : inSight.isEmpty()                  ? viewport()->rect().center()
                                                         : inSight.center();
  return host_->mapFrom(viewport(), at);
}
