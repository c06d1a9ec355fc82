// Vector pictures of the diagram on Qt: a drawing painted through a canvas in vector mode (real
// lines, shapes and text) and written by Qt's writers, as every platform of the editor writes them.
#pragma once

#include <functional>
#include <string>

#include "platform.h"

class Canvas;

// Paints the drawing of width by height and writes it in the format, replacing the file only when
// the whole drawing was written; EToolkitError "Cannot create file ..." when it cannot.
void WriteDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                      const std::string& title, const std::function<void(Canvas&)>& draw);
