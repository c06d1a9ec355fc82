// What the command line asks for besides starting the editor: opening a diagram, importing schema
// files and choosing a page (also in the editor), and exporting without a display.
#pragma once

#include "command_line.h"

class TOOAPanel;

// Opens the diagram, imports the schema files and selects the page, in that order. Raises
// EToolkitError for a diagram file that does not exist or cannot be read, a schema file that
// cannot be imported, and a page the diagram does not have.
void ApplyCommandLine(TOOAPanel& panel, const TCommandLine& line);

// Does the whole --export job without a display; returns the exit status.
int RunExport(const TCommandLine& line);
