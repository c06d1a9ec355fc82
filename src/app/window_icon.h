// The editor's icon: an entity box in small, pale yellow with a title band and two rows, and a
// connector leaving it. One drawing serves the window and every installed icon file, so that they
// are the same picture.
#pragma once

#include <QIcon>

class QPainter;

// The id the desktop knows the editor by: its desktop entry, icon, file type and metainfo.
extern const char kApplicationId[];

// Draws the icon on a 32 by 32 square (scale the painter for other sizes).
void PaintWindowIcon(QPainter& painter);
// The icon at a size in pixels, on a transparent square.
QImage WindowIconImage(int size);
// The window's icon: the installed one of the icon theme, else the one drawn here.
QIcon WindowIcon();
