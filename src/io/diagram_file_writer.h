// The diagram file writer: the text of a whole diagram file and of each object's section in it,
// the file name a diagram is saved under, and saving.
#pragma once

#include <string>
#include <vector>

class TEntity;
class TEntityEvent;
class TMethod;
class TOOAPanel;
class TProperty;
class TRelation;

// The whole file: header, every entity section, then every relation and event section, and the
// closing marker; CR LF after every line, the last one included.
std::string DiagramFileText(const TOOAPanel& panel);
// A diagram text of only these entities, in this order, with the boxes they own that stand on the
// active page: what a copy puts on the clipboard. Its one page is the active page, whose entries a
// paste reads.
std::string DiagramFileText(const TOOAPanel& panel, const std::vector<TEntity*>& entities);

// An object's section, its lines joined with CR LF and no line break after the closing marker.
std::string RecordText(const TEntity& entity);
std::string RecordText(const TProperty& row);
std::string RecordText(const TMethod& row);
std::string RecordText(const TRelation& relation);
std::string RecordText(const TEntityEvent& event);

// The name a diagram is saved under: the file name's part from its first "." on becomes ".ERD"
// (".ERD" is appended when it has no "."), unless it is ".ERD" in another letter case, which stays;
// when the text before that "." is blank, ".ERD" is appended to the whole name. Dots in folder
// names do not count.
std::string DiagramFileName(const std::string& fileName);

// Writes the diagram to DiagramFileName(fileName), or to the file of its folder whose name differs
// from that only in letter case (ExistingSpellingOf), replacing it atomically; does nothing for an
// empty name. Raises EToolkitError "Cannot create file ..." when it cannot.
void SaveDiagramFile(TOOAPanel& panel, const std::string& fileName);
// Writes the diagram into exactly this file, replacing it atomically.
void WriteDiagramFile(TOOAPanel& panel, const std::string& fileName);
