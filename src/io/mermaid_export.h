// The model as a Mermaid entity relationship diagram: entities with their typed property rows, and
// each relation box as a relationship between the entities whose rows it links.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

class TOOAPanel;
struct TModelDocument;

// An identifier Mermaid reads as a name whatever the text: the prefix, then the text's ASCII
// letters and digits (and, with beyondAscii, its characters beyond ASCII, which an entity's name
// may hold and an attribute's only in part), every other run of characters one "_"; one that would
// read as a key ("PK", "FK", "UK") or start with a digit made otherwise; taken ones get "_2",
// "_3"..., so that every identifier is new in taken. The entities' prefix "E_" keeps their names
// from starting like a word of Mermaid's language ("to", "one", "class"...).
std::string MermaidIdentifier(const std::string& prefix, std::string_view text, bool beyondAscii,
                              std::unordered_map<std::string, int>& taken);
// The text inside a quoted Mermaid string: the characters a string cannot hold, or that Mermaid
// would read as its own (quotes, "#", "%", "\", "<", ">", "&", "~", a "direction"), as Mermaid's
// entity codes ("#quot;", "#35;"...); control characters as blanks.
std::string MermaidText(std::string_view text);

// The Mermaid text of the model: entities in the document's order, each under an identifier with
// its description as the name shown; its property rows as attributes (type with size and scale,
// name, "PK", "FK", the row's description as the comment where the name had to change); then the
// relations in the same order, each labelled with its description and its rows. A relation box
// tells no cardinality: one whose target row is a primary key reads as a foreign key (its source
// row "FK"; one target to zero or more sources, as the database import makes them), any other links
// its two entities zero or more to zero or more, not identifying. A relation with an end on no
// entity is told in a comment.
std::string MermaidDiagram(const TModelDocument& document);

// Writes the Mermaid text of the diagram, replacing the file only once the whole text is written.
void WriteMermaidDiagram(TOOAPanel& panel, const std::string& fileName);
