// "-> Arrange Page": the active page's entities, relation boxes and entity event boxes laid out anew
// (graph_layout.h), each relation or event box between the rows it links.
#pragma once

class TOOAPanel;

// How "Align" lines the selected objects up: along an edge of the rectangle holding them all, or
// with their centres on its middle line across or down.
enum class TAlignment { Left, Right, Top, Bottom, CentresAcross, CentresDown };

// Moves every object shown on the active page to its laid-out place and stores the places in its
// entries for the page; no undo step of its own (a command or an import holds one around it). False
// when they could not all be placed within the surface without overlapping; nothing on the active
// page, or no active page, is true and changes nothing.
bool ArrangeActivePage(TOOAPanel& panel);

// The menu command: ArrangeActivePage as one undo step "Arrange Page", telling the user when the
// page holds more than the surface can show without overlaps.
void ArrangePageCommand(TOOAPanel& panel);

// The selected objects lined up (at least two) or spread with even gaps between them, left to right
// or top to bottom, the outermost two staying (at least three), each as one undo step named as its
// item. Only the selection moves.
void AlignSelection(TOOAPanel& panel, TAlignment alignment);
void DistributeSelection(TOOAPanel& panel, bool across);

// "-> Arrange Selection": the selected objects laid out as "-> Arrange Page" lays out a page, linked
// among themselves only, in the place the selection held (its top-left corner kept); the rest stays.
void ArrangeSelectionCommand(TOOAPanel& panel);
