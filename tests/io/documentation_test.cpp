// The documents of the model (data dictionary in Markdown and HTML, Mermaid erDiagram) on the
// diagrams the file tests know and on hostile descriptions: every entity and row is there, every
// link lands on an id that exists once, and no description breaks out of its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
// GCC 12 finds a std::function of <regex> "maybe uninitialized" in its own code at -O1 (the
// sanitizers' build); the warning is about the library, not about these tests.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>

#include "diagram_file_reader.h"
#include "editor_panel.h"
#include "popup_menu.h"
#include "entity.h"
#include "io_test_support.h"
#include "mermaid_export.h"
#include "method.h"
#include "model_documentation.h"
#include "property.h"
#include "relation.h"
#include "scripted_platform.h"

namespace {
const char* const kHostile[] = {"<script>alert('x')</script> | `pk`", "a|b\\|c\n# d", "Tom & \"Jerry\" %% direction TB",
                                "*_[x](#y)_*", "", "Ünïcödé ~~x~~ $y$", "PK", "to"};

std::vector<std::string> All(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) found.push_back((*it)[1]);
  return found;
}

// Every id once, and every link to an id of the document.
void ExpectLinksResolve(const std::string& text, const std::string& idPattern, const std::string& linkPattern) {
  std::set<std::string> ids;
  for (const std::string& id : All(text, idPattern)) {
    EXPECT_TRUE(ids.insert(id).second) << "id twice: " << id;
    EXPECT_EQ(id.find_first_of(" \t\n\"'<>&"), std::string::npos) << id;
  }
  for (const std::string& link : All(text, linkPattern)) EXPECT_TRUE(ids.count(link)) << "no such id: " << link;
}

// The diagrams: the golden files, generated ones, and one whose every text is hostile.
struct Diagram {
  std::string name;
  std::function<void(TOOAPanel&)> build;
};
std::vector<Diagram> Diagrams() {
  std::vector<Diagram> diagrams;
  for (const char* file : {"orders_example.ERD", "orders_built.ERD"})
    diagrams.push_back({file, [file](TOOAPanel& panel) { LoadDiagramFile(panel, std::string(QUORVANE_IO_GOLDEN_DIR) + "/" + file); }});
  for (unsigned seed : {3u, 7u}) diagrams.push_back({"seed " + std::to_string(seed), [seed](TOOAPanel& panel) { GenerateDiagram(panel, seed); }});
  diagrams.push_back({"hostile", [](TOOAPanel& panel) {
                        GenerateDiagram(panel, 5);
                        size_t n = 0;
                        panel.SetDiagramName(kHostile[0]);
                        for (const auto& entity : panel.Entities()) {
                          entity->SetEntityDesc(kHostile[n++ % std::size(kHostile)]);
                          for (const auto& row : entity->PropertyList()) row.Object->SetDesc(kHostile[n++ % std::size(kHostile)]);
                          for (const auto& row : entity->MethodList()) row.Object->SetDesc(kHostile[n++ % std::size(kHostile)]);
                          for (const auto& box : entity->RelationList()) box.Object->SetDesc(kHostile[n++ % std::size(kHostile)]);
                        }
                      }});
  return diagrams;
}
}  // namespace

TEST(Documentation, EveryEntityAndRowIsThereAndEveryLinkResolves) {
  for (const Diagram& diagram : Diagrams()) {
    SCOPED_TRACE(diagram.name);
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    diagram.build(panel);
    const std::string active = panel.ActivePageName();
    const std::vector<std::string> drawings = PageDrawings(panel);
    EXPECT_EQ(panel.ActivePageName(), active);
    ASSERT_EQ(drawings.size(), panel.OwnPageList().size());
    const TModelDocument document = DocumentModel(panel);
    const std::string markdown = MarkdownDocumentation(document);
    const std::string html = HtmlDocumentation(document, drawings, 2048, 2048);
    EXPECT_EQ(MarkdownDocumentation(DocumentModel(panel)), markdown) << "the same bytes each time";
    EXPECT_EQ(HtmlDocumentation(DocumentModel(panel), drawings, 2048, 2048), html);
    ExpectLinksResolve(html, R"re(\sid="([^"]*)")re", R"re(href="#([^"]*)")re");
    ExpectLinksResolve(markdown, R"re(<a id="([^"]*)")re", R"re(\]\(#([^)]*)\))re");
    EXPECT_EQ(html.find("<?xml"), std::string::npos);
    EXPECT_EQ(html.find("<!DOCTYPE svg"), std::string::npos);
    EXPECT_EQ(All(html, R"re(url\(#(p\d+-clip)\))re").size(), panel.OwnPageList().size()) << "references follow their ids";
    EXPECT_EQ(All(html, R"re(<svg viewBox="0 0 (2048) 2048")re").size(), panel.OwnPageList().size());
    // Each entity's section holds its every row, in its table, and its relations.
    ASSERT_EQ(document.Entities.size(), panel.Entities().size());
    for (const TDocumentedEntity& entry : document.Entities) {
      const size_t start = html.find("<h2 id=\"" + entry.Anchor + "\">");
      ASSERT_NE(start, std::string::npos) << entry.Anchor;
      const std::string section = html.substr(start, html.find("<h2 ", start + 1) - start);
      std::vector<std::string> rows;
      for (const auto& row : entry.Entity->PropertyList()) rows.push_back(row.Object->Desc());
      for (const auto& row : entry.Entity->MethodList()) rows.push_back(row.Object->Desc());
      for (const std::string& row : rows) EXPECT_NE(section.find("<tr><td>" + HtmlText(row) + "</td>"), std::string::npos) << row;
      EXPECT_EQ(All(section, "(<tr><td>)").size(), rows.size() + entry.Relations.size() + entry.Events.size());
      for (const auto& relation : entry.Entity->RelationList())
        EXPECT_NE(std::find(entry.Relations.begin(), entry.Relations.end(), relation.Object.get()), entry.Relations.end());
    }
    // A Markdown table row has its columns, whatever the cells hold: no pipe but the cells' own.
    for (const std::string& line : All(markdown, "\n(\\|[^-\n][^\n]*)")) {
      const size_t pipes = All(line, "(^| )\\|").size();
      EXPECT_TRUE(pipes == 3 || pipes == 5 || pipes == 7) << line;
    }
    EXPECT_EQ(html.find("<script"), std::string::npos);
  }
}

// Every line is one of the statements Mermaid's erDiagram grammar has, in the forms it accepts for
// names (no word of its language at their start, no key as an attribute's name) and strings (no
// quote, "%", backslash or line break in them; "#" only in entity codes; no "direction").
TEST(Documentation, MermaidLinesFollowTheGrammarWhateverTheDescriptions) {
  const std::string name = R"(E_[^ "\[\]{}:]*)";
  const std::string text = R"re("((?:[^"%\\#\r\n]|#\w+;)*)")re";
  const std::regex entity("    (" + name + ")(?:\\[" + text + "\\])?( \\{)?");
  const std::regex attribute(R"(        [A-Z][a-z]+(?:\(\d+(?:,\d+)?\))? ([A-Za-z_]\w*)(?: PK| FK| PK, FK)?(?: )" + text + ")?");
  const std::regex relationship("    (" + name + ") (?:\\|\\|--o\\{|\\}o\\.\\.o\\{) (" + name + ") : " + text);
  for (const Diagram& diagram : Diagrams()) {
    SCOPED_TRACE(diagram.name);
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    diagram.build(panel);
    const std::string mermaid = MermaidDiagram(DocumentModel(panel));
    ASSERT_EQ(mermaid.rfind("erDiagram\n", 0), 0u);
    std::set<std::string> declared;
    size_t relationships = 0, attributes = 0, linked = 0, rows = 0;
    for (const auto& e : panel.Entities()) {
      rows += e->PropertyList().size();
      for (const auto& box : e->RelationList()) linked += SourceEnd(*box.Object).Entity && TargetEnd(*box.Object).Entity;
    }
    for (const std::string& line : All(mermaid.substr(10), "([^\n]*)\n")) {
      std::smatch match;
      if (std::regex_match(line, match, entity)) {
        EXPECT_TRUE(declared.insert(match[1]).second) << line;
      } else if (std::regex_match(line, match, attribute)) {
        EXPECT_FALSE(std::regex_match(match[1].str(), std::regex("(?:PK|FK|UK)", std::regex::icase))) << line;
        ++attributes;
      } else if (std::regex_match(line, match, relationship)) {
        EXPECT_TRUE(declared.count(match[1]) && declared.count(match[2])) << line;
        ++relationships;
      } else {
        EXPECT_TRUE(line == "    }" || line.rfind("    %% ", 0) == 0) << line;
      }
      EXPECT_FALSE(std::regex_search(line, std::regex("direction\\s", std::regex::icase))) << line;
    }
    EXPECT_EQ(declared.size(), panel.Entities().size());
    EXPECT_EQ(attributes, rows);
    EXPECT_EQ(relationships, linked);
  }
}

// The menu's export: proposed under the diagram's name in its folder, in the format the filter chosen
// says; never over the diagram's own file.
TEST(Documentation, MenuExportWritesTheFormatChosen) {
  TTempFolder folder;
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  SetUpEditorPanel(panel);
  GenerateDiagram(panel, 2);
  panel.SetDiagramName("Shop/Main");
  panel.SetDiagramFolder(folder.Path().string() + "/");
  platform.PickFile(folder / "doc", 1);
  panel.SurfaceMenu().Find("-> Export Documentation...")->Click();
  const FileDialogOptions save = platform.CallsOf("Save").at(0).File;
  EXPECT_EQ(save.FileName, folder / "Shop_Main.md");
  EXPECT_EQ(save.Filter, "Markdown|*.md|HTML|*.html");
  EXPECT_EQ(save.Title, "Export Documentation");
  EXPECT_EQ(ReadBytes(folder / "doc.html").rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(platform.CallsOf("Drawing").size(), panel.OwnPageList().size());
}

#pragma GCC diagnostic pop
