#include "export_format.h"

#include <filesystem>
#include <memory>
#include <set>

#include "bitmap.h"
#include "diagram_file_writer.h"
#include "file_access.h"
#include "mermaid_export.h"
#include "model_documentation.h"
#include "ooa_panel.h"
#include "text.h"
#include "toolkit_error.h"

namespace {
void WritePicture(TOOAPanel& panel, const std::string& fileName) { panel.SavePictureFile(fileName); }

// The PNG picture drawn at the scale into a picture of its own: the panel's own keeps its size.
void WriteScaledPicture(TOOAPanel& panel, const std::string& fileName, int scale) {
  if (scale == 1) return WritePicture(panel, fileName);
  const std::unique_ptr<Bitmap> picture = panel.GetPlatformRef().CreateBitmap();
  if (!picture) throw EToolkitError("No picture can be painted here");
  picture->SetScale(scale);
  picture->SetSize(panel.Width(), panel.Height());
  panel.DrawPicture(picture->GetCanvas(), panel.Width(), panel.Height());
  picture->SaveToFile(fileName, TPictureFormat::Png);
}

// One PDF, a page of it each: every page is shown only when its turn comes to be drawn.
void WritePdfPages(TOOAPanel& panel, const std::string& fileName, const std::vector<std::string>& pages) {
  panel.GetPlatformRef().SaveDrawingFile(fileName, TDrawingFormat::Pdf, panel.Width(), panel.Height(),
                                         panel.DiagramName(), static_cast<int>(pages.size()),
                                         [&](Canvas& canvas, int page) { panel.DrawPageOf(pages, page, canvas); });
}
}  // namespace

const std::vector<TExportFormat>& ExportFormats() {
  static const std::vector<TExportFormat> formats = {
      {".ERD",
       std::nullopt,
       {"the diagram file, exactly as \"-> Save Diagram \" writes it"},
       WriteDiagramFile,
       TAllPages::No,
       "--all-pages writes pictures; the diagram file holds every page",
       {}},
      {".bmp",
       TPictureFileFormat::Bmp,
       {"the picture of the active page, exactly as \"-> Save Diagram To BitMap File\"",
        "writes it (2048 by 2048 pixels, 24 bits per pixel)"},
       WritePicture,
       TAllPages::FilePerPage,
       {},
       {}},
      {".png",
       TPictureFileFormat::Png,
       {"the same picture as PNG; with --scale=N, N times as wide and high"},
       WritePicture,
       TAllPages::FilePerPage,
       {},
       {},
       {},
       WriteScaledPicture},
      {".svg",
       TPictureFileFormat::Svg,
       {"the same drawing as SVG, with real lines, shapes and text"},
       WritePicture,
       TAllPages::FilePerPage,
       {},
       {}},
      {".pdf",
       TPictureFileFormat::Pdf,
       {"the same drawing as a one-page PDF the size of the picture (2048 by 2048",
        "pixels at 96 dpi), with real lines, shapes and text"},
       WritePicture,
       TAllPages::OneFile,
       {},
       WritePdfPages},
      {".sql",
       std::nullopt,
       {"the diagram's model as an SQL script: a table per entity, a column per",
        "property row, a foreign key per relation box, in the dialect of",
        "--sql-dialect=postgresql (the default), mysql or sqlite"},
       [](TOOAPanel& panel, const std::string& fileName) { WriteSqlScript(panel, fileName, TSqlDialect::PostgreSql); },
       TAllPages::No,
       "--all-pages writes pictures; the SQL script holds every entity of every page",
       {},
       WriteSqlScript},
      // The documents of the whole model.
      {".md",
       std::nullopt,
       {"the data dictionary in Markdown, as \"-> Export Documentation...\" writes it:",
        "every entity with its properties, methods, relations, events and pages"},
       WriteDocumentation,
       TAllPages::No,
       "--all-pages writes pictures; the documentation holds every page",
       {}},
      {".html",
       std::nullopt,
       {"the same data dictionary as one HTML file, the picture of every page inside"},
       WriteDocumentation,
       TAllPages::No,
       "--all-pages writes pictures; the documentation holds every page",
       {}},
      {".mmd",
       std::nullopt,
       {"the entities, their properties and relations as a Mermaid erDiagram"},
       WriteMermaidDiagram,
       TAllPages::No,
       "--all-pages writes pictures; the Mermaid diagram holds the whole model",
       {}},
  };
  return formats;
}

const TExportFormat* ExportFormatOf(const std::string& fileName) {
  const std::optional<TPictureFileFormat> picture = PictureFileFormatOf(fileName);
  const std::string extension = std::filesystem::path(fileName).extension().string();
  for (const TExportFormat& format : ExportFormats())
    if (format.Picture ? format.Picture == picture : SameText(extension, format.Extension)) return &format;
  return nullptr;
}

std::string ExportExtensionsText() {
  const std::vector<TExportFormat>& formats = ExportFormats();
  std::string text;
  for (size_t i = 0; i < formats.size(); ++i)
    text += (i == 0 ? "" : i + 1 == formats.size() ? " or " : ", ") + formats[i].Extension;
  return text;
}

std::string PageFileName(const std::string& pattern, const std::string& page) {
  const std::string name = PageNameForFile(page);
  std::string fileName = pattern;
  for (size_t at = fileName.find("%p"); at != std::string::npos; at = fileName.find("%p", at + name.size()))
    fileName.replace(at, 2, name);
  return fileName;
}

void ExportAllPages(TOOAPanel& panel, const TExportFormat& format, const std::string& fileName,
                    const std::function<void(TOOAPanel& panel, const std::string& fileName)>& write) {
  const TEntryList pages = panel.OwnPageList();
  if (pages.empty()) throw EToolkitError("The diagram has no display page to export");
  switch (format.AllPages) {
    case TAllPages::No:
      throw EToolkitError(format.NoAllPages);
    case TAllPages::OneFile:
      format.WriteAllPages(panel, fileName, pages);
      return;
    case TAllPages::FilePerPage: {
      std::set<std::string> written;
      for (const std::string& page : pages) {
        std::string pageFile = PageFileName(fileName, page);
        for (int n = 2; !written.insert(pageFile).second; ++n) pageFile = PageFileName(fileName, page + "_" + std::to_string(n));
        panel.ShowPage(page);
        (write ? write : format.Write)(panel, pageFile);
      }
      return;
    }
  }
}
