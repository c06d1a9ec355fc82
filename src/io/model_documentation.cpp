#include "model_documentation.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

#include "canvas.h"
#include "entity.h"
#include "entity_event.h"
#include "file_access.h"
#include "method.h"
#include "ooa_panel.h"
#include "placement.h"
#include "property.h"
#include "relation.h"
#include "text.h"

namespace {
// What Markdown (with GitHub's tables, strike-through and maths) may read as its own in a line of
// text; a backslash before any ASCII punctuation shows it as it is.
constexpr std::string_view kMarkdownMarks = "\\`*_[]<>&|~#!$";

std::string FoldedAscii(const std::string& text) {
  std::string folded = text;
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

// What an entity is called in the documents: its description, or its component name in brackets
// when it has none, so that no link has an empty text.
std::string ShownName(const TEntity& entity) {
  return entity.EntityDesc().empty() ? Cat("(", entity.Name(), ")") : entity.EntityDesc();
}

TBoxEnd EndOf(TEntity* entity, TRow* row) { return {row ? row->OwnerEntity() : entity, row}; }

// The entities a box concerns, each once: its owner and the entities of its ends.
template <class Box>
void AddToEntities(TModelDocument& document, const Box& box, std::vector<const Box*> TDocumentedEntity::*list) {
  const TEntity* involved[] = {box.OwnerEntity(), SourceEnd(box).Entity, TargetEnd(box).Entity};
  for (size_t i = 0; i < 3; ++i) {
    if (!involved[i] || std::find(involved, involved + i, involved[i]) != involved + i) continue;
    const auto at = document.IndexOf.find(involved[i]);
    if (at != document.IndexOf.end()) (document.Entities[at->second].*list).push_back(&box);
  }
}

// The two writers differ only in how they spell things; what they say, and in which order, is one.
class TDocumentWriter {
 public:
  virtual ~TDocumentWriter() = default;
  void Write(const TModelDocument& document, const std::vector<std::string>& drawings);
  std::string Text() && { return std::move(out_); }

 protected:
  virtual void Begin(const std::string& name) = 0;
  virtual void End() = 0;
  virtual void Heading(int level, const std::string& anchor, const std::string& text) = 0;
  virtual void Paragraph(const std::string& label, const std::string& content) = 0;
  virtual void BeginList() = 0;
  virtual void Item(const std::string& content) = 0;
  virtual void EndList() = 0;
  virtual void Drawing(const std::string& svg, size_t page) = 0;
  virtual void Table(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows) = 0;
  // Content: a literal text, and a link to an anchor of the document.
  virtual std::string Plain(std::string_view text) = 0;
  virtual std::string Link(const std::string& anchor, std::string_view text) = 0;

  std::string out_;

 private:
  std::string EntityLink(const TModelDocument& document, const TEntity* entity) {
    const std::string& anchor = document.AnchorOf(entity);
    return anchor.empty() ? Plain(entity ? ShownName(*entity) : std::string("(none)")) : Link(anchor, ShownName(*entity));
  }
  std::string EndText(const TModelDocument& document, const TBoxEnd& end) {
    if (!end.Entity) return Plain("(none)");
    return EntityLink(document, end.Entity) + Plain(".") + (end.Row ? Plain(end.Row->Desc()) : Plain("(no row)"));
  }
  std::string PageLink(const TModelDocument& document, const std::string& page) {
    const std::string anchor = document.PageAnchorOf(page);
    return anchor.empty() ? Plain(page) : Link(anchor, page);
  }
  template <class Box>
  void Boxes(const TModelDocument& document, const char* title, const char* kind, const char* from, const char* to,
             const std::vector<const Box*>& boxes) {
    Heading(3, {}, title);
    std::vector<std::vector<std::string>> rows;
    for (const Box* box : boxes)
      rows.push_back({Plain(box->Desc()), EntityLink(document, box->OwnerEntity()), EndText(document, SourceEnd(*box)),
                      EndText(document, TargetEnd(*box))});
    Table({kind, "Owner", from, to}, rows);
  }
};

void TDocumentWriter::Write(const TModelDocument& document, const std::vector<std::string>& drawings) {
  // About what an entity of a few rows takes, so that the text of megabytes is not copied as it grows.
  size_t size = document.Entities.size() * 1024;
  for (const std::string& drawing : drawings) size += drawing.size();
  out_.reserve(size);
  Begin(document.DiagramName);
  Heading(2, "pages", "Pages");
  for (size_t i = 0; i < document.Pages.size(); ++i) {
    Heading(3, Cat("page-", std::to_string(i + 1)), document.Pages[i]);
    if (i < drawings.size()) Drawing(drawings[i], i);
  }
  if (document.Pages.empty()) Table({"Page"}, {});
  Heading(2, "entities", "Entities");
  if (document.Entities.empty()) Table({"Entity"}, {});
  if (!document.Entities.empty()) BeginList();
  for (const TDocumentedEntity& entry : document.Entities)
    Item(Link(entry.Anchor, ShownName(*entry.Entity)) + Plain(std::string(" (") + EntityTypeName(entry.Entity->EntityType()) + ")"));
  if (!document.Entities.empty()) EndList();
  for (const TDocumentedEntity& entry : document.Entities) {
    const TEntity& entity = *entry.Entity;
    Heading(2, entry.Anchor, ShownName(entity));
    Paragraph("Kind", Plain(EntityTypeName(entity.EntityType())));
    std::string pages;
    for (const std::string& page : entry.Pages) pages += (pages.empty() ? "" : Plain(", ")) + PageLink(document, page);
    Paragraph("Pages", pages.empty() ? Plain("(none)") : pages);
    Heading(3, {}, "Properties");
    std::vector<std::vector<std::string>> rows;
    for (const auto& slot : entity.PropertyList()) {
      if (const TProperty* row = slot.Object.get())
        rows.push_back({Plain(row->Desc()), Plain(DataTypeName(row->DataType())), Plain(std::to_string(row->DataSize())),
                        Plain(std::to_string(row->DataScale())), Plain(row->PrimaryKey() ? "PK" : ""),
                        Plain(row->NotNull() ? "no" : "yes")});
    }
    Table({"Name", "Type", "Size", "Scale", "Key", "Nullable"}, rows);
    Heading(3, {}, "Methods");
    rows.clear();
    for (const auto& slot : entity.MethodList()) {
      if (const TMethod* row = slot.Object.get()) {
        const TMethod* called = row->CallMethod();
        rows.push_back({Plain(row->Desc()), called ? EndText(document, {called->OwnerEntity(), called}) : Plain("")});
      }
    }
    Table({"Method", "Calls"}, rows);
    Boxes(document, "Relations", "Relation", "From property", "To property", entry.Relations);
    Boxes(document, "Events", "Event", "Triggered by", "Executes", entry.Events);
  }
  End();
}

class TMarkdownWriter : public TDocumentWriter {
 protected:
  void Begin(const std::string& name) override { Append(out_, "# Data dictionary: ", MarkdownText(name), "\n"); }
  void End() override {}
  void Heading(int level, const std::string& anchor, const std::string& text) override {
    out_.append(1, '\n').append(static_cast<size_t>(level), '#').append(1, ' ');
    if (!anchor.empty()) out_ += "<a id=\"" + anchor + "\"></a>";
    out_ += MarkdownText(text) + "\n";
  }
  void Paragraph(const std::string& label, const std::string& content) override {
    Append(out_, "\n", label, ": ", content, "\n");
  }
  void BeginList() override { out_ += "\n"; }
  void Item(const std::string& content) override { Append(out_, "- ", content, "\n"); }
  void EndList() override {}
  void Drawing(const std::string&, size_t) override {}
  void Table(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows) override {
    if (rows.empty()) {
      out_ += "\nNone.\n";
      return;
    }
    const auto line = [this](const std::vector<std::string>& cells) {
      out_ += "|";
      for (const std::string& cell : cells) Append(out_, " ", cell, " |");
      out_ += "\n";
    };
    out_ += "\n";
    line(header);
    out_ += "|";
    for (size_t i = 0; i < header.size(); ++i) out_ += "---|";
    out_ += "\n";
    for (const auto& row : rows) line(row);
  }
  std::string Plain(std::string_view text) override { return MarkdownText(text); }
  std::string Link(const std::string& anchor, std::string_view text) override {
    std::string link(1, '[');
    link.append(MarkdownText(text)).append("](#").append(anchor).push_back(')');
    return link;
  }
};

class THtmlWriter : public TDocumentWriter {
 public:
  THtmlWriter(int width, int height) : width_(width), height_(height) {}

 protected:
  void Begin(const std::string& name) override {
    const std::string title = HtmlText(name.empty() ? std::string("Data dictionary") : Cat("Data dictionary: ", name));
    out_ +=
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
        "</title>\n<style>\n"
        "body { font-family: \"DejaVu Sans\", sans-serif; margin: 2em; }\n"
        "table { border-collapse: collapse; margin: 0.5em 0; }\n"
        "th, td { border: 1px solid #999; padding: 0.2em 0.6em; text-align: left; vertical-align: top; }\n"
        "figure { margin: 0.5em 0; overflow: auto; }\n"
        "figure svg { max-width: 100%; height: auto; border: 1px solid #ccc; }\n"
        "</style>\n</head>\n<body>\n<h1>" +
        title + "</h1>\n";
  }
  void End() override { out_ += "</body>\n</html>\n"; }
  void Heading(int level, const std::string& anchor, const std::string& text) override {
    const std::string tag{'h', static_cast<char>('0' + level)};
    Append(out_, "<", tag);
    if (!anchor.empty()) Append(out_, " id=\"", anchor, "\"");
    Append(out_, ">", HtmlText(text), "</", tag, ">\n");
  }
  void Paragraph(const std::string& label, const std::string& content) override {
    Append(out_, "<p>", label, ": ", content, "</p>\n");
  }
  void BeginList() override { out_ += "<ul>\n"; }
  void Item(const std::string& content) override { Append(out_, "<li>", content, "</li>\n"); }
  void EndList() override { out_ += "</ul>\n"; }
  void Drawing(const std::string& svg, size_t page) override {
    std::string prefix(1, 'p');
    prefix.append(std::to_string(page + 1)).push_back('-');
    out_.append("<figure>\n");
    AppendInlineSvg(out_, svg, prefix, width_, height_);
    out_.append("\n</figure>\n");
  }
  void Table(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows) override {
    if (rows.empty()) {
      out_ += "<p>None.</p>\n";
      return;
    }
    out_ += "<table>\n<thead><tr>";
    for (const std::string& cell : header) Append(out_, "<th>", cell, "</th>");
    out_ += "</tr></thead>\n<tbody>\n";
    for (const auto& row : rows) {
      out_ += "<tr>";
      for (const std::string& cell : row) Append(out_, "<td>", cell, "</td>");
      out_ += "</tr>\n";
    }
    out_ += "</tbody>\n</table>\n";
  }
  std::string Plain(std::string_view text) override { return HtmlText(text); }
  std::string Link(const std::string& anchor, std::string_view text) override {
    return Cat("<a href=\"#", anchor, "\">", HtmlText(text), "</a>");
  }

 private:
  int width_;
  int height_;
};
}  // namespace

TBoxEnd SourceEnd(const TLinkBox& box) { return EndOf(box.SourceEntity(), box.SourceRow()); }
TBoxEnd TargetEnd(const TLinkBox& box) { return EndOf(box.TargetEntity(), box.TargetRow()); }

const std::string& TModelDocument::AnchorOf(const TEntity* entity) const {
  static const std::string none;
  const auto at = IndexOf.find(entity);
  return at == IndexOf.end() ? none : Entities[at->second].Anchor;
}

std::string TModelDocument::PageAnchorOf(const std::string& page) const {
  const auto at = PageIndex.find(page);
  return at == PageIndex.end() ? std::string() : Cat("page-", std::to_string(at->second + 1));
}

std::string UniqueAnchor(const std::string& prefix, std::string_view text, std::unordered_map<std::string, int>& taken) {
  std::string base = prefix;
  bool dash = true;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // Letters beyond ASCII stay as they are: an id may hold them, and a reader knows the name again.
    if (IsAsciiAlnum(byte) || byte >= 0x80) {
      if (dash) base += '-';
      dash = false;
      base += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    } else {
      dash = true;
    }
  }
  auto [at, fresh] = taken.try_emplace(base, 2);
  if (fresh) return base;
  int& next = at->second;
  for (;;) {
    std::string candidate = base;
    candidate.append(1, '-').append(std::to_string(next++));
    if (taken.try_emplace(candidate, 2).second) return candidate;
  }
}

TModelDocument DocumentModel(const TOOAPanel& panel) {
  TModelDocument document;
  document.DiagramName = panel.DiagramName();
  document.Pages = panel.OwnPageList();
  for (size_t i = 0; i < document.Pages.size(); ++i) document.PageIndex.try_emplace(document.Pages[i], i);
  struct TKey {
    std::string Folded;
    const TEntity* Entity;
  };
  std::vector<TKey> keys;
  keys.reserve(panel.Entities().size());
  for (const auto& entity : panel.Entities()) keys.push_back({FoldedAscii(entity->EntityDesc()), entity.get()});
  std::sort(keys.begin(), keys.end(), [](const TKey& a, const TKey& b) {
    if (a.Folded != b.Folded) return a.Folded < b.Folded;
    if (a.Entity->EntityDesc() != b.Entity->EntityDesc()) return a.Entity->EntityDesc() < b.Entity->EntityDesc();
    if (a.Entity->Name() != b.Entity->Name()) return a.Entity->Name() < b.Entity->Name();
    return a.Entity->Serial() < b.Entity->Serial();
  });
  // Page sections and the document's own sections hold ids of other shapes ("page-N", "pages",
  // "entities"); entity anchors all start with "entity".
  std::unordered_map<std::string, int> taken;
  document.Entities.reserve(keys.size());
  for (const TKey& key : keys) {
    TDocumentedEntity entry;
    entry.Entity = key.Entity;
    entry.Anchor = UniqueAnchor("entity", key.Entity->EntityDesc(), taken);
    std::unordered_set<std::string> seen;
    for (const std::string& placement : key.Entity->ActivePages()) {
      std::string page = PageOfEntry(placement);
      if (!page.empty() && seen.insert(page).second) entry.Pages.push_back(std::move(page));
    }
    document.IndexOf.emplace(key.Entity, document.Entities.size());
    document.Entities.push_back(std::move(entry));
  }
  for (size_t i = 0; i < document.Entities.size(); ++i) {
    const TEntity& entity = *document.Entities[i].Entity;
    for (const auto& slot : entity.RelationList())
      if (slot.Object) AddToEntities<TRelation>(document, *slot.Object, &TDocumentedEntity::Relations);
    for (const auto& slot : entity.EventList())
      if (slot.Object) AddToEntities<TEntityEvent>(document, *slot.Object, &TDocumentedEntity::Events);
  }
  return document;
}

std::string MarkdownText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "<br>";
    } else if (c < 0x20 || c == 0x7F) {
      out += ' ';
    } else {
      if (kMarkdownMarks.find(static_cast<char>(c)) != std::string_view::npos) out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string HtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      // HTML allows no other control characters than these.
      case '\t': case '\n': case '\r': out += ch; break;
      default: out += (c < 0x20 || c == 0x7F) ? ' ' : ch;
    }
  }
  return out;
}

std::string MarkdownDocumentation(const TModelDocument& document) {
  TMarkdownWriter writer;
  writer.Write(document, {});
  return std::move(writer).Text();
}

std::string HtmlDocumentation(const TModelDocument& document, const std::vector<std::string>& pageDrawings,
                              int width, int height) {
  THtmlWriter writer(width, height);
  writer.Write(document, pageDrawings);
  return std::move(writer).Text();
}

void AppendInlineSvg(std::string& out, std::string_view svg, const std::string& idPrefix, int width, int height) {
  const size_t start = svg.find("<svg");
  if (start == std::string_view::npos) return;
  svg.remove_prefix(start);
  const size_t rootEnd = svg.find('>');
  std::string root(svg.substr(0, rootEnd == std::string_view::npos ? svg.size() : rootEnd));
  svg.remove_prefix(root.size());
  for (const auto& [name, value] : {std::pair{" width=\"", width}, std::pair{" height=\"", height}}) {
    const size_t at = root.find(name);
    const size_t end = at == std::string::npos ? at : root.find('"', at + std::string_view(name).size());
    if (end != std::string::npos) root.replace(at, end + 1 - at, Cat(name, std::to_string(value), "\""));
  }
  const size_t begin = out.size();
  out += root;
  // What names an id: its definition, and the references of attributes and of styles.
  static const std::string_view kMarks[] = {" id=\"", "href=\"#", "url(#"};
  size_t at = 0;
  while (at < svg.size()) {
    size_t next = std::string_view::npos;
    size_t length = 0;
    for (const std::string_view mark : kMarks) {
      const size_t found = svg.find(mark, at);
      if (found < next) {
        next = found;
        length = mark.size();
      }
    }
    if (next == std::string_view::npos) break;
    out.append(svg.substr(at, next + length - at)).append(idPrefix);
    at = next + length;
  }
  out.append(svg.substr(at));
  while (out.size() > begin && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
}

std::vector<std::string> PageDrawings(TOOAPanel& panel) {
  const TEntryList pages = panel.OwnPageList();
  std::vector<std::string> drawings;
  panel.KeepingActivePage([&] {
    for (size_t page = 0; page < pages.size(); ++page)
      drawings.push_back(panel.GetPlatformRef().SvgDrawing(panel.Width(), panel.Height(), pages[page], [&](Canvas& canvas) {
        panel.DrawPageOf(pages, static_cast<int>(page), canvas);
      }));
  });
  return drawings;
}

void WriteDocumentation(TOOAPanel& panel, const std::string& fileName) {
  const std::string extension = std::filesystem::path(fileName).extension().string();
  const bool html = SameText(extension, ".html") || SameText(extension, ".htm");
  std::vector<std::string> drawings;
  if (html) drawings = PageDrawings(panel);
  const TModelDocument document = DocumentModel(panel);
  WriteFileAtomically(fileName, html ? HtmlDocumentation(document, drawings, panel.Width(), panel.Height())
                                     : MarkdownDocumentation(document));
}

void InstallDocumentationExport(TOOAPanel& panel) { panel.FileHandlers.ExportDocumentation = WriteDocumentation; }
