#include "command_line_job.h"

#include <algorithm>
#include <functional>
#include <filesystem>
#include <iostream>
#include <memory>

#include "editor_panel.h"
#include "entity.h"
#include "export_format.h"
#include "file_access.h"
#include "ooa_panel.h"
#include "page_arrangement.h"
#include "text.h"
#include "toolkit_error.h"
#include "unattended_platform.h"

// The diagram whose job is done, kept for the end of the process (see RunHeadlessJob). Outside any
// function and namespace, so that it stays in the program and leak checks find the diagram held.
TOOAPanel* gFinishedJobPanel = nullptr;

void ApplyCommandLine(TOOAPanel& panel, const TCommandLine& line) {
  if (line.Diagram) {
    std::error_code error;
    if (!std::filesystem::exists(*line.Diagram, error))
      throw EToolkitError("Cannot open file \"" + FullFileName(*line.Diagram) + "\". No such file or directory");
    panel.OpenDiagramFile(*line.Diagram);
  }
  for (const TImport& import : line.Imports) import.Import(panel, import.Source);
  if (line.Page) {
    const TEntryList& pages = panel.OwnPageList();
    auto page = std::find_if(pages.begin(), pages.end(), [&](const std::string& name) { return SameText(name, *line.Page); });
    if (page == pages.end()) throw EToolkitError("The diagram has no page \"" + *line.Page + "\"");
    panel.SetActivePageName(*page);
    panel.ShowActivePage();
  }
  if (line.Arrange && !ArrangeActivePage(panel))
    panel.GetPlatformRef().ShowNotice("The page \"" + panel.ActivePageName() +
                                      "\" holds more than fits on the surface without overlaps.");
}

namespace {
// Every job without a display, inside the program's frame: the diagram is read, imported into and
// put on the page the command line asks for, on the frame's platform, and handed to the work; a
// format message while reading (already told), or any error, ends the job with status 1.
int RunHeadlessJob(const TCommandLine& line, const THeadlessFrame& frame, const std::function<void(TOOAPanel&)>& work) {
  return frame([&](TUnattendedPlatform& platform) {
    try {
      auto panel = std::make_unique<TOOAPanel>(platform);
      SetUpEditorPanel(*panel);
      ApplyCommandLine(*panel, line);
      if (!platform.Messages().empty()) return 1;
      work(*panel);
      // The work is done: the diagram is left to the end of the process, which hands all its memory
      // back at once. Freed object by object, a large diagram took longer than it took to save.
      gFinishedJobPanel = panel.release();
    } catch (const std::exception& error) {
      std::cerr << "quorvane: " << error.what() << '\n';
      return 1;
    }
    return 0;
  });
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Count(size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }
}  // namespace

std::string DiagramSummary(const TOOAPanel& panel) {
  size_t rows = 0;
  size_t relations = 0;
  size_t events = 0;
  for (const auto& entity : panel.Entities()) {
    rows += entity->PropertyList().size() + entity->MethodList().size();
    relations += entity->RelationList().size();
    events += entity->EventList().size();
  }
  std::string pages;
  for (const std::string& page : panel.OwnPageList()) {
    if (!pages.empty()) pages += ", ";
    pages += Quoted(page);
    if (page == panel.ActivePageName()) pages += " (active)";
  }
  return "diagram " + Quoted(panel.DiagramName()) + "; " + Count(panel.OwnPageList().size(), "page", "pages") +
         (pages.empty() ? "" : ": " + pages) + "; " + Count(panel.Entities().size(), "entity", "entities") + ", " +
         Count(rows, "row", "rows") + ", " + Count(relations, "relation", "relations") + ", " +
         Count(events, "event", "events");
}

int RunWithoutDisplay(const TCommandLine& line, const THeadlessFrame& frame) {
  return RunHeadlessJob(line, frame, [&](TOOAPanel& panel) {
    std::cout << (line.Diagram ? *line.Diagram + ": " : std::string()) << DiagramSummary(panel) << '\n'
              << "No display, so the editor was not started; --export=OUT writes the diagram or a picture of a "
                 "page (see --help).\n";
  });
}

int RunExport(const TCommandLine& line, const THeadlessFrame& frame) {
  const std::string out = *line.Export;
  const auto refuse = [&](const std::string& why) {
    std::cerr << "quorvane: cannot export to \"" << out << "\": " << why << '\n';
    return 1;
  };
  const TExportFormat* format = ExportFormatOf(out);
  if (!format) return refuse("the file name must end in " + ExportExtensionsText());
  if (line.SqlDialect && !format->WriteInDialect) return refuse("--sql-dialect applies to .sql scripts only");
  if (line.Scale && !format->WriteAtScale) return refuse("--scale applies to .png pictures only");
  if (line.AllPages && format->AllPages == TAllPages::No) return refuse(format->NoAllPages);
  if (line.AllPages && format->AllPages == TAllPages::FilePerPage && out.find("%p") == std::string::npos)
    return refuse("with --all-pages the file name must hold %p, where each page's name goes");
  return RunHeadlessJob(line, frame, [&](TOOAPanel& panel) {
    std::function<void(TOOAPanel&, const std::string&)> write = format->Write;
    if (format->WriteInDialect)
      write = [&](TOOAPanel& p, const std::string& f) { format->WriteInDialect(p, f, line.SqlDialect.value_or(TSqlDialect::PostgreSql)); };
    if (line.Scale) write = [&](TOOAPanel& p, const std::string& f) { format->WriteAtScale(p, f, *line.Scale); };
    if (line.AllPages)
      ExportAllPages(panel, *format, out, write);
    else
      write(panel, out);
  });
}
