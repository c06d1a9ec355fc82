// How the window system treats the program's top-level windows: the frame it puts around them
// (title bar and borders), and whether it lets the program place them at all.
#pragma once

#include <QMargins>

class QWidget;

// The frame as margins around the window's inside. Nothing (all zero) until the window is framed,
// and always without a window manager.
QMargins FrameMarginsOf(const QWidget& window);

// False where the window system places every window itself and ignores the place a program asks
// for (Wayland: a client never learns or sets its windows' positions on the screen). There the
// main window is not docked and the page editor stands inside it instead of beside it.
bool WindowPositionsHonoured();
