// Vector pictures of the diagram on Qt: a drawing painted through a canvas in vector mode (real
// lines, shapes and text) and written by Qt's writers, as every platform of the editor writes them.
#pragma once

#include <functional>
#include <string>

#include "platform.h"

class Canvas;

// Paints the drawing of width by height pixels, page by page, and writes it in the format,
// replacing the file only when the whole drawing was written; EToolkitError "Cannot create file ..."
// when it cannot, or when an SVG is asked for more than one page. A PDF page is the drawing's size at
// 96 pixels an inch; a PDF holds at least one.
// The drawing of width by height pixels as the text of a compact SVG document (SvgTextCanvas): what
// a document of the model holds of each page.
std::string SvgDrawingText(int width, int height, const std::string& title, const std::function<void(Canvas&)>& draw);

void WriteDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                      const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw);
