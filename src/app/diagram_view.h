// The scrolling frame that shows the diagram host, and zooms it: Ctrl and the wheel about the
// pointer, the keys' and the menu's steps too (or about the middle of the view), back to 100 %, and the whole
// surface in sight. The zoom is a view setting: the diagram, its file and its history never hear of
// it; the panel is told only to grey the zoom items that would change nothing.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QScrollArea>

#include <optional>

#include "view_zoom.h"

class DiagramHost;
class QContextMenuEvent;
class QWheelEvent;

class DiagramView : public QScrollArea {
  Q_OBJECT

 public:
  explicit DiagramView(QWidget* parent = nullptr);

  // Shows the host (once): the view owns it from then on.
  void setHost(DiagramHost* host);
  DiagramHost* host() const { return host_; }
  const TViewZoom& zoom() const;

  // Zooms to the factor, the surface point under the anchor (a point of the viewport) staying under
  // it; that point may be given exactly, as a series of wheel steps keeps it.
  void zoomTo(int perMille, QPoint anchor, std::optional<QPointF> surfacePoint = std::nullopt);
  // A zoom command of the menu or the keys, about the pointer when it stands over the view, else
  // about the middle of the view.
  void zoom(TZoomCommand command);
  // The surface point under a point of the viewport, exactly.
  QPointF surfacePointAt(QPoint anchor) const;
  // The surface's menu asked for by the keyboard: at the pointer when it stands over the view, else
  // in the middle of the part of the surface in sight.
  void openSurfaceMenu();
  // Where a command of the keyboard acts on the surface, in the host's pixels: at the pointer while
  // it is over the view, else at the middle of the surface in sight.
  QPoint keyboardPoint() const;

 signals:
  // The zoom shown changed.
  void zoomed();

 protected:
  // Ctrl zooms about the pointer; Shift scrolls sideways; the plain wheel scrolls up and down.
  void wheelEvent(QWheelEvent* event) override;
  // Beside a zoomed-out surface, the grey of the view opens the surface's menu too.
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QPoint zoomAnchor() const;

  DiagramHost* host_ = nullptr;
  // What a series of wheel steps aims at: the exact factor, fine steps added up (the zoom shown is
  // it rounded to per mille), and the surface point it keeps under the pointer, while the pointer
  // stays where it was and nothing else zoomed.
  struct TWheelZoom {
    double Factor = 1.0;
    int PerMille = TViewZoom::Actual;
    QPoint Pointer;
    QPointF SurfacePoint;
  };
  std::optional<TWheelZoom> wheel_;
};
