#include "command_line_job.h"

#include <QGuiApplication>

#include <filesystem>
#include <iostream>

#include "diagram_file_writer.h"
#include "diagram_files.h"
#include "file_access.h"
#include "headless_platform.h"
#include "ooa_panel.h"
#include "schema_import.h"
#include "text.h"
#include "toolkit_error.h"

namespace {
std::string LowerExtension(const std::string& fileName) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  for (char& c : extension) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
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

int RunExport(const TCommandLine& line) {
  // No window is ever shown: Qt serves only the font metrics and the picture writers. Its own
  // warnings (about a missing runtime folder and the like) would break the promise of one clear
  // line on standard error, and say nothing about the job.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::cerr << "quorvane: " << message.toStdString() << '\n';
  });
  int argc = 1;
  char name[] = "quorvane";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);

  const std::string out = *line.Export;
  const std::string extension = LowerExtension(out);
  try {
    if (extension != ".erd")
      throw EToolkitError("cannot export to \"" + out + "\": the file name must end in .ERD");
    HeadlessPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, 2048, 2048);
    panel.SetEntityPopList({"Add New Property"});
    InstallDiagramFiles(panel);
    ApplyCommandLine(panel, line);
    // A message box during the work is a format error of the diagram file: already printed.
    if (!platform.Messages().empty()) return 1;
    WriteFileAtomically(out, DiagramFileText(panel));
  } catch (const std::exception& error) {
    std::cerr << "quorvane: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
