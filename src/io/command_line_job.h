// What the command line asks for besides starting the editor: opening a diagram, importing outside
// sources and choosing a page (also in the editor), and the jobs without a display: exporting, or
// reading a diagram and describing it. The program lends a job its frame: the platform that
// measures text and writes pictures, and whatever that needs set up around it.
#pragma once

#include <functional>
#include <string>

#include "command_line.h"

class TOOAPanel;
class TUnattendedPlatform;

// Opens the diagram, imports the outside sources and selects the page, in that order. Raises
// EToolkitError for a diagram file that does not exist or cannot be read, a source that cannot be
// imported, and a page the diagram does not have.
void ApplyCommandLine(TOOAPanel& panel, const TCommandLine& line);

// The work of a job on the platform it is lent; returns the exit status.
using THeadlessWork = std::function<int(TUnattendedPlatform& platform)>;
// The program's frame of a job without a display: sets up what measures text and writes pictures,
// runs the work on a platform that stands on it (telling its messages on standard error) and
// returns the work's status.
using THeadlessFrame = std::function<int(const THeadlessWork& work)>;

// Does the whole --export job; returns the exit status. A file name no format goes by, or that
// --all-pages cannot write, is refused before the frame is set up.
int RunExport(const TCommandLine& line, const THeadlessFrame& frame);

// Without --export and without a display: reads the diagram (with the imports and the page asked
// for) and prints what it holds, one line, and that the editor was not started. Exit status 0, or 1
// with one line on standard error when the diagram cannot be read.
int RunWithoutDisplay(const TCommandLine& line, const THeadlessFrame& frame);

// "diagram "NAME"; 3 pages: "A" (active), "B", "C"; 5 entities, 17 rows, 4 relations, 2 events".
std::string DiagramSummary(const TOOAPanel& panel);
