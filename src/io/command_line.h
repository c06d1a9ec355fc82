// The program's command line: the diagram to open, the outside sources to import, the page to show
// and, for work without a display, the file to export to.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sql_export.h"

class TOOAPanel;

// An outside source to import into the diagram, and the importer that reads it.
struct TImport {
  std::string Source;
  void (*Import)(TOOAPanel& panel, const std::string& source) = nullptr;
};

struct TCommandLine {
  bool Help = false;
  bool Version = false;
  // Every display page exported, in the order of the page list.
  bool AllPages = false;
  // The page shown is laid out anew (as "-> Arrange Page" does) before OUT is written.
  bool Arrange = false;
  std::optional<std::string> Diagram;
  // Imported in the order given, after the diagram is opened.
  std::vector<TImport> Imports;
  std::optional<std::string> Page;
  std::optional<std::string> Export;
  // --diff and the files after it (OLD NEW, or the seven arguments git gives a diff driver); it goes
  // with no other option.
  std::optional<std::vector<std::string>> Diff;
  // The dialect of an SQL script exported (--sql-dialect); PostgreSQL's when none is given.
  std::optional<TSqlDialect> SqlDialect;
  // The pixels of a .png picture to each pixel of the page, across and down (--scale, 1 to 4): the
  // picture drawn in them rather than enlarged.
  std::optional<int> Scale;
  // Set when the arguments make no sense; the rest is then not to be used.
  std::string Error;
};

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);
// What --help prints.
std::string CommandLineUsage();
// What --version prints: the program's name and the version given, one line.
std::string VersionLine(const std::string& version);
