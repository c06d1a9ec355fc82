// The program's command line: the diagram to open, the schema files to import, the page to show
// and, for work without a display, the file to export to.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct TCommandLine {
  bool Help = false;
  bool Version = false;
  // Every display page exported, in the order of the page list.
  bool AllPages = false;
  std::optional<std::string> Diagram;
  std::vector<std::string> Schemas;
  std::optional<std::string> Page;
  std::optional<std::string> Export;
  // Set when the arguments make no sense; the rest is then not to be used.
  std::string Error;
};

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);
// What --help prints.
std::string CommandLineUsage();
// What --version prints: the program's name and version, one line.
std::string VersionLine();
