// "-> Arrange Page": the active page's entities, relation boxes and entity event boxes laid out anew
// (graph_layout.h), each relation or event box between the rows it links.
#pragma once

class TOOAPanel;

// Moves every object shown on the active page to its laid-out place and stores the places in its
// entries for the page; no undo step of its own (a command or an import holds one around it). False
// when they could not all be placed within the surface without overlapping; nothing on the active
// page, or no active page, is true and changes nothing.
bool ArrangeActivePage(TOOAPanel& panel);

// The menu command: ArrangeActivePage as one undo step "Arrange Page", telling the user when the
// page holds more than the surface can show without overlaps.
void ArrangePageCommand(TOOAPanel& panel);
