#include "command_line_job.h"

#include <QGuiApplication>

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <set>

#include "diagram_file_writer.h"
#include "drawing_file.h"
#include "editor_panel.h"
#include "entity.h"
#include "file_access.h"
#include "headless_platform.h"
#include "ooa_panel.h"
#include "schema_import.h"
#include "text.h"
#include "toolkit_error.h"

// The diagram of an export and the platform it stands on.
struct TExportJob {
  HeadlessPlatform Platform;
  TOOAPanel Panel{Platform};
};

// The export whose work is written, kept for the end of the process (see RunExport). Outside any
// function and namespace, so that it stays in the program and leak checks find the diagram held.
TExportJob* gFinishedExportJob = nullptr;

namespace {

std::string LowerExtension(const std::string& fileName) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  for (char& c : extension) c = LowerAscii(c);
  return extension;
}
}  // namespace

void ApplyCommandLine(TOOAPanel& panel, const TCommandLine& line) {
  if (line.Diagram) {
    std::error_code error;
    if (!std::filesystem::exists(*line.Diagram, error))
      throw EToolkitError("Cannot open file \"" + FullFileName(*line.Diagram) + "\". No such file or directory");
    panel.OpenDiagramFile(*line.Diagram);
  }
  for (const std::string& schema : line.Schemas) ImportSchemaFromFile(panel, schema);
  if (line.Page) {
    const TEntryList& pages = panel.OwnPageList();
    auto page = std::find_if(pages.begin(), pages.end(), [&](const std::string& name) { return SameText(name, *line.Page); });
    if (page == pages.end()) throw EToolkitError("The diagram has no page \"" + *line.Page + "\"");
    panel.SetActivePageName(*page);
    panel.ShowActivePage();
  }
}

namespace {
// The frame of every job without a display: Qt serves only the font metrics and the picture
// writers, and its own warnings (about a missing runtime folder and the like) are kept quiet, for
// they would break the promise of one clear line on standard error. The diagram is read, imported
// into and put on the page the command line asks for, on the headless platform, and handed to the
// work; a format message while reading (already printed), or any error, ends the job with status 1.
int RunHeadlessJob(const TCommandLine& line, const std::function<void(TOOAPanel&)>& work) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::cerr << "quorvane: " << message.toStdString() << '\n';
  });
  int argc = 1;
  char name[] = "quorvane";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  try {
    auto job = std::make_unique<TExportJob>();
    TOOAPanel& panel = job->Panel;
    SetUpEditorPanel(panel);
    ApplyCommandLine(panel, line);
    if (!job->Platform.Messages().empty()) return 1;
    work(panel);
    // The work is done: the diagram is left to the end of the process, which hands all its memory
    // back at once. Freed object by object, a large diagram took longer than it took to save.
    gFinishedExportJob = job.release();
  } catch (const std::exception& error) {
    std::cerr << "quorvane: " << error.what() << '\n';
    return 1;
  }
  return 0;
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

int RunWithoutDisplay(const TCommandLine& line) {
  return RunHeadlessJob(line, [&](TOOAPanel& panel) {
    std::cout << (line.Diagram ? *line.Diagram + ": " : std::string()) << DiagramSummary(panel) << '\n'
              << "No display, so the editor was not started; --export=OUT writes the diagram or a picture of a "
                 "page (see --help).\n";
  });
}

std::string PageFileName(const std::string& pattern, const std::string& page) {
  // A file name holds no "/" and no NUL, and control characters in one only make trouble.
  std::string name = page;
  for (char& c : name)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
  std::string fileName = pattern;
  for (size_t at = fileName.find("%p"); at != std::string::npos; at = fileName.find("%p", at + name.size()))
    fileName.replace(at, 2, name);
  return fileName;
}

namespace {
// Every display page in the order of the page list: one PDF of a page each, or one picture file
// each, named by the pattern. Two pages whose names come out alike in a file name are told apart by
// a number, so that no page's picture overwrites another's.
void ExportAllPages(TOOAPanel& panel, const std::string& out, bool pdf) {
  const TEntryList pages = panel.OwnPageList();
  if (pages.empty()) throw EToolkitError("The diagram has no display page to export");
  const auto show = [&](const std::string& page) {
    panel.SetActivePageName(page);
    panel.ShowActivePage();
  };
  if (pdf) {
    WriteDrawingPages(out, static_cast<int>(pages.size()), panel.Width(), panel.Height(), panel.DiagramName(),
                      [&](Canvas& canvas, int page) {
                        show(pages[static_cast<size_t>(page)]);
                        panel.DrawPicture(canvas, panel.Width(), panel.Height());
                      });
    return;
  }
  std::set<std::string> written;
  for (const std::string& page : pages) {
    std::string fileName = PageFileName(out, page);
    for (int n = 2; !written.insert(fileName).second; ++n) fileName = PageFileName(out, page + "_" + std::to_string(n));
    show(page);
    panel.SavePictureFile(fileName);
  }
}
}  // namespace

int RunExport(const TCommandLine& line) {
  const std::string out = *line.Export;
  const std::string extension = LowerExtension(out);
  const auto refuse = [&](const std::string& why) {
    std::cerr << "quorvane: cannot export to \"" << out << "\": " << why << '\n';
    return 1;
  };
  if (extension != ".erd" && extension != ".bmp" && extension != ".png" && extension != ".svg" && extension != ".pdf")
    return refuse("the file name must end in .ERD, .bmp, .png, .svg or .pdf");
  if (line.AllPages && extension == ".erd") return refuse("--all-pages writes pictures; the diagram file holds every page");
  if (line.AllPages && extension != ".pdf" && out.find("%p") == std::string::npos)
    return refuse("with --all-pages the file name must hold %p, where each page's name goes");
  return RunHeadlessJob(line, [&](TOOAPanel& panel) {
    if (line.AllPages)
      ExportAllPages(panel, out, extension == ".pdf");
    else if (extension == ".erd")
      WriteFileAtomically(out, DiagramFileText(panel));
    else
      panel.SavePictureFile(out);
  });
}
