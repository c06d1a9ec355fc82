// What the command line asks for besides starting the editor: opening a diagram, importing schema
// files and choosing a page (also in the editor), and exporting without a display.
#pragma once

#include <string>

#include "command_line.h"

class TOOAPanel;

// Opens the diagram, imports the schema files and selects the page, in that order. Raises
// EToolkitError for a diagram file that does not exist or cannot be read, a schema file that
// cannot be imported, and a page the diagram does not have.
void ApplyCommandLine(TOOAPanel& panel, const TCommandLine& line);

// Does the whole --export job without a display; returns the exit status.
int RunExport(const TCommandLine& line);

// Without --export and without a display: reads the diagram (with the schema imports and the page
// asked for) and prints what it holds, one line, and that the editor was not started. Exit status
// 0, or 1 with one line on standard error when the diagram cannot be read.
int RunWithoutDisplay(const TCommandLine& line);

// The file of a page exported with --all-pages: the pattern with the page's name in place of every
// %p, characters a file name cannot hold replaced by "_".
std::string PageFileName(const std::string& pattern, const std::string& page);

// "diagram "NAME"; 3 pages: "A" (active), "B", "C"; 5 entities, 17 rows, 4 relations, 2 events".
std::string DiagramSummary(const TOOAPanel& panel);
