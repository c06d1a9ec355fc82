// Printing the diagram's drawing on Qt: the job's sheets of every page painted on a QPrinter by the
// vector drawing of the PDF export, and Qt's print preview, whose Print button opens the printer's
// dialog.
#pragma once

#include <functional>
#include <string>

#include "print_job.h"

class Canvas;
class QPrinter;
class QWidget;

// Paints every page of the drawing of width by height pixels on the printer's sheets, as the job
// lays them on the printable area of the printer's page as it is set now (its size and orientation).
// A PDF file it prints into is replaced only when every sheet was written; EToolkitError when the
// printer cannot be painted on or the file cannot be written.
void PrintDrawingOn(QPrinter& printer, const TPrintJob& job, int width, int height, int pages,
                    const std::function<void(Canvas&, int page)>& draw);

// Shows the sheets in the print preview, set to the job's orientation, until the user prints them
// through the printer's dialog or closes it. The printer keeps what the user set for the next print.
// A drawing or print that failed is told as EToolkitError once the preview has closed.
void PreviewAndPrint(QPrinter& printer, QWidget* parent, const TPrintJob& job, int width, int height,
                     const std::string& title, int pages, const std::function<void(Canvas&, int page)>& draw);
