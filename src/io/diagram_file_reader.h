// The diagram file reader: clears the panel and rebuilds the diagram from a diagram file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TOOAPanel;
class TPlacedControl;

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

// Adds the objects of diagram text to the diagram as it stands, on its active page (a paste): the
// text's entities with their rows and calls, and the relation and event boxes its entities own,
// their ends kept where they name the text's own entities and dropped where not. An entity keeps
// the text's name unless one here bears it; a renamed entity's rows and boxes are named after its
// new name. Only the text's entries for its active page are read, moved to the active page here.
// Returns the entities and boxes made, entities first in the text's order; none, with the diagram
// untouched, for text that does not open with the diagram's marker. Never shows a message: a
// format error ends the reading with what was read.
std::vector<TPlacedControl*> ReadDiagramTextInto(TOOAPanel& panel, std::string_view text);
