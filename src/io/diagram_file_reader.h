// The diagram file reader: clears the panel and rebuilds the diagram from a diagram file.
#pragma once

#include <string>
#include <string_view>

class TOOAPanel;

// Does nothing when no file of that name exists. Otherwise reads the whole file first, so that a
// file that cannot be read (EToolkitError "Cannot open file ...") or is no diagram file at all (not
// one of its lines is a section marker; EToolkitError naming the file) leaves the diagram as it
// was, then clears the panel and builds the diagram from the file's lines and shows its active page.
// A format error is shown in a message box and ends the reading, keeping what was read; an invalid
// component name raises EToolkitError and ends it without showing the page. An open page editor is
// reloaded once, when the reading is over.
void LoadDiagramFile(TOOAPanel& panel, const std::string& fileName);
// The same for a file's bytes already in memory; fileName, when given, is the file an error names.
void LoadDiagramText(TOOAPanel& panel, std::string_view fileBytes, const std::string& fileName = {});
