#include "command_line_job.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <filesystem>
#include <iostream>
#include <memory>

#include "diagram_file_writer.h"
#include "diagram_files.h"
#include "file_access.h"
#include "headless_platform.h"
#include "ooa_panel.h"
#include "qt_canvas.h"
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

// The diagram as a vector picture: the same drawing as the bitmap, with lines, shapes and text.
void SaveSvgFile(TOOAPanel& panel, const std::string& fileName) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(panel.Width(), panel.Height()));
  generator.setViewBox(QRect(0, 0, panel.Width(), panel.Height()));
  generator.setTitle(QString::fromStdString(panel.DiagramName()));
  {
    QPainter painter(&generator);
    QtCanvas canvas(painter);
    canvas.setVectorMode(true);
    panel.DrawPicture(canvas, panel.Width(), panel.Height());
  }
  WriteFileAtomically(fileName, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

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
    if (extension != ".erd" && extension != ".bmp" && extension != ".png" && extension != ".svg")
      throw EToolkitError("cannot export to \"" + out + "\": the file name must end in .ERD, .bmp, .png or .svg");
    auto job = std::make_unique<TExportJob>();
    HeadlessPlatform& platform = job->Platform;
    TOOAPanel& panel = job->Panel;
    panel.SetBounds(0, 0, 2048, 2048);
    panel.SetEntityPopList({"Add New Property"});
    InstallDiagramFiles(panel);
    ApplyCommandLine(panel, line);
    // A message box during the work is a format error of the diagram file: already printed.
    if (!platform.Messages().empty()) return 1;
    if (extension == ".erd")
      WriteFileAtomically(out, DiagramFileText(panel));
    else if (extension == ".bmp")
      panel.SaveToBitmapFile(out, TPictureFormat::Bmp);
    else if (extension == ".png")
      panel.SaveToBitmapFile(out, TPictureFormat::Png);
    else
      SaveSvgFile(panel, out);
    // The work is written: the diagram is left to the end of the process, which hands all its
    // memory back at once. Freed object by object, a large diagram took longer than it took to save.
    gFinishedExportJob = job.release();
  } catch (const std::exception& error) {
    std::cerr << "quorvane: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
