#include "window_frame.h"

#include <QGuiApplication>
#include <QRect>
#include <QWidget>

QMargins FrameMarginsOf(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                  outer.bottom() - inner.bottom());
}

bool WindowPositionsHonoured() {
  // Qt tells this only through its private platform integration (no window management on Wayland);
  // the platform's name is the public sign of it, "wayland" and its variants ("wayland-egl").
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
