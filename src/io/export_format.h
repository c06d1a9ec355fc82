// The formats the command line exports to, chosen by the name of the file written: what each writes,
// how --help describes it, and whether --all-pages writes every page in it. A new format is one more
// entry of ExportFormats(); the checks, the messages and --help follow from the list.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bitmap.h"
#include "picture_file.h"
#include "sql_export.h"

class TOOAPanel;

// How --all-pages writes every display page in a format.
enum class TAllPages {
  // Not at all: the format holds the whole diagram (NoAllPages says so).
  No,
  // Into the one file, a page of it each (WriteAllPages).
  OneFile,
  // A file each, named by the file name given with the page's name for %p, written as Write writes.
  FilePerPage,
};

struct TExportFormat {
  // The extension as --help and the messages show it; a file name's is matched to it ignoring
  // letter case.
  std::string Extension;
  // A picture is matched by the picture files' own rule (PictureFileFormatOf) instead, so that the
  // command line writes whatever the menu's export would write under that name.
  std::optional<TPictureFileFormat> Picture;
  // The lines --help describes it with, beside the extension.
  std::vector<std::string> Usage;
  // Writes the file from the diagram as it stands: the whole diagram, or its active page.
  std::function<void(TOOAPanel& panel, const std::string& fileName)> Write;
  TAllPages AllPages = TAllPages::No;
  // With TAllPages::No, why --all-pages cannot write it.
  std::string NoAllPages;
  // With TAllPages::OneFile, writes the pages named, in their order, into the file.
  std::function<void(TOOAPanel& panel, const std::string& fileName, const std::vector<std::string>& pages)>
      WriteAllPages;
  // Set for a format written in one of the SQL dialects (--sql-dialect): writes it in the one given.
  // Write writes it in the default dialect, PostgreSQL's.
  std::function<void(const TOOAPanel& panel, const std::string& fileName, TSqlDialect dialect)> WriteInDialect = {};
  // Set for a picture that can be written at a scale (--scale): writes it at the one given.
  std::function<void(TOOAPanel& panel, const std::string& fileName, int scale)> WriteAtScale = {};
};

// The largest --scale: a page of 2048 pixels becomes 8192, 256 MiB of pixels while drawn.
inline constexpr int kMostPictureScale = kMostBitmapScale;

// Every format, in the order --help lists them.
const std::vector<TExportFormat>& ExportFormats();
// The format the file name asks for; nullptr when it names none.
const TExportFormat* ExportFormatOf(const std::string& fileName);
// Every format's extension, for a message: ".ERD, .bmp, .png, .svg or .pdf".
std::string ExportExtensionsText();

// Writes every display page of the diagram in the format, in the order of the page list, each
// shown first as the editor shows it: into the one file, or each into the file of PageFileName. Two
// pages whose names come out alike in a file name are told apart by a number, so that no page's
// picture overwrites another's. A file per page is written by write (the format's Write when none is
// given). EToolkitError when the diagram has no display page.
void ExportAllPages(TOOAPanel& panel, const TExportFormat& format, const std::string& fileName,
                    const std::function<void(TOOAPanel& panel, const std::string& fileName)>& write = {});

// The file of a page exported one file a page: the pattern with the page's name in place of every
// %p, as a file name can hold it (PageNameForFile).
std::string PageFileName(const std::string& pattern, const std::string& page);
