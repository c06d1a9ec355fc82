// The data dictionary of a diagram: one walk over the model (TModelDocument) that the Markdown and
// HTML writers and the Mermaid diagram share, and the two writers. Every text of the model is
// escaped for the format it lands in; the same diagram always gives the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TEntity;
class TEntityEvent;
class TLinkBox;
class TOOAPanel;
class TRelation;
class TRow;

// One entity as the documentation shows it, with every box it takes part in.
struct TDocumentedEntity {
  const TEntity* Entity = nullptr;
  // Its anchor in the documents: valid and unique among the diagram's ids whatever its description.
  std::string Anchor;
  // The relation and event boxes it owns or whose ends are its rows, each once, in the order of the
  // walk (entities alphabetically, each entity's boxes in list order).
  std::vector<const TRelation*> Relations;
  std::vector<const TEntityEvent*> Events;
  // The pages its placement entries name, each once, in the entries' order.
  std::vector<std::string> Pages;
};

// An end of a relation or event box: the entity whose row it is and the row, either none.
struct TBoxEnd {
  const TEntity* Entity = nullptr;
  const TRow* Row = nullptr;
};
TBoxEnd SourceEnd(const TLinkBox& box);
TBoxEnd TargetEnd(const TLinkBox& box);

struct TModelDocument {
  std::string DiagramName;
  // The page list as it stands (names may repeat), each with its anchor "page-N" (N from 1).
  std::vector<std::string> Pages;
  // Alphabetically by description; entities of one description by component name, then serial.
  std::vector<TDocumentedEntity> Entities;
  // The place in Entities of each entity.
  std::unordered_map<const TEntity*, size_t> IndexOf;
  // The place in Pages of the first page of each name.
  std::unordered_map<std::string, size_t> PageIndex;

  // The anchor of an entity of the diagram; empty for none.
  const std::string& AnchorOf(const TEntity* entity) const;
  // The anchor of the first page of the list of that name; empty when the list has none.
  std::string PageAnchorOf(const std::string& page) const;
};

// The walk: a pass over the entities and their boxes, so that its cost grows with the diagram.
TModelDocument DocumentModel(const TOOAPanel& panel);

// An anchor made of the text: "prefix-" and its ASCII letters and digits in lower case, every other
// run of characters one "-"; taken ones get "-2", "-3"... so every anchor is new in taken.
std::string UniqueAnchor(const std::string& prefix, std::string_view text,
                         std::unordered_map<std::string, int>& taken);

// The text as Markdown shows it literally: every character Markdown may read as its own (` * _ [ ] <
// > & | ~ # ! $ and the backslash) backslash-escaped, line breaks as "<br>" (a table cell holds one
// line), other control characters as blanks.
std::string MarkdownText(std::string_view text);
// The text as HTML shows it literally in content and in quoted attributes.
std::string HtmlText(std::string_view text);

// The data dictionary in Markdown.
std::string MarkdownDocumentation(const TModelDocument& document);
// The data dictionary as one HTML5 file holding everything it shows: its style, and the picture of
// each page of the page list (pageDrawings, in the list's order: SVG documents, made fit to stand
// inline here by AppendInlineSvg, each width by height pixels).
std::string HtmlDocumentation(const TModelDocument& document, const std::vector<std::string>& pageDrawings,
                              int width, int height);

// An SVG document made fit to stand inside HTML: what comes before its <svg> element (the XML
// declaration, a doctype, comments) is dropped, its width and height become the pixels it is drawn
// in (a size in millimetres is no size HTML knows), and every id it defines and every reference to
// one get the prefix, so that the drawings of several pages never share an id.
// Appended to out, which may be megabytes already.
void AppendInlineSvg(std::string& out, std::string_view svg, const std::string& idPrefix, int width, int height);

// Each page of the page list drawn as the editor shows it, as an SVG document from the platform;
// the active page is shown again afterwards.
std::vector<std::string> PageDrawings(TOOAPanel& panel);

// Writes the documentation the name asks for (".html" or ".htm" HTML, any other Markdown), replacing
// the file only once the whole text is written.
void WriteDocumentation(TOOAPanel& panel, const std::string& fileName);

// Gives the panel's "-> Export Documentation..." its writer.
void InstallDocumentationExport(TOOAPanel& panel);
