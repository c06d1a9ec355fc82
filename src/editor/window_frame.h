// The frame the window system puts around a top-level window (title bar and borders), as margins
// around its inside. Nothing (all zero) until the window is framed, and always without a window
// manager.
#pragma once

#include <QMargins>

class QWidget;

QMargins FrameMarginsOf(const QWidget& window);
