// Vector pictures of the diagram on Qt: a drawing painted through a canvas in vector mode (real
// lines, shapes and text) and written by Qt's writers, as every platform of the editor writes them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform.h"
#include "print_job.h"

class Canvas;
class QPageLayout;
class QPagedPaintDevice;
class QPainter;

// Paints the drawing of width by height pixels, page by page, and writes it in the format,
// replacing the file only when the whole drawing was written; EToolkitError "Cannot create file ..."
// when it cannot, or when an SVG is asked for more than one page. A PDF page is the drawing's size at
// 96 pixels an inch; a PDF holds at least one.
// The drawing of width by height pixels as the text of a compact SVG document (SvgTextCanvas): what
// a document of the model holds of each page.
std::string SvgDrawingText(int width, int height, const std::string& title, const std::function<void(Canvas&)>& draw);

void WriteDrawingFile(const std::string& fileName, TDrawingFormat format, int width, int height,
                      const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw);

// Paints the pages of a drawing of width by height pixels on the device, each page on all its
// sheets in turn, a new sheet of the device for every one after the first: the drawing through a
// QtCanvas in vector mode, as every vector picture of the diagram is drawn, laid as the sheet lays
// the picture (a unit of the sheet is unitPixels of the device's pixels), cut to the part the sheet
// shows, and the sheet's join marks over it. A sheet that shows the picture whole at its size is
// drawn as it is, so a PDF of it holds the drawing's own coordinates.
void PaintDrawingSheets(QPainter& painter, QPagedPaintDevice& device, const std::vector<TPrintSheet>& sheets,
                        double unitPixels, int width, int height, int pages,
                        const std::function<void(Canvas&, int page)>& draw);

// A PDF of pages of the layout at the resolution (pixels an inch), painted by paint and written as
// every file of the editor is: the file replaced only when the whole PDF was written; EToolkitError
// "Cannot create file ..." when it cannot be.
void WritePdfFile(const std::string& fileName, const QPageLayout& layout, int resolution, const std::string& title,
                  const std::function<void(QPainter&, QPagedPaintDevice&)>& paint);
