#include "command_line.h"

#include <algorithm>
#include <string>

#include "export_format.h"
#include "database_import.h"
#include "diagram_diff.h"

namespace {
// Every outside source the command line imports from: its option, what the option's value names,
// and the importer that reads it. An importer goes in here and nowhere else.
struct TImportOption {
  const char* Option;
  const char* Value;
  void (*Import)(TOOAPanel& panel, const std::string& source);
};
const TImportOption kImportOptions[] = {
    {"--import-schema", "a file name or a PostgreSQL URI", ImportSchemaSource},
};

bool TakeValue(const std::string& argument, const std::string& option, std::string& value) {
  if (argument.rfind(option + "=", 0) != 0) return false;
  value = argument.substr(option.size() + 1);
  return true;
}
}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  TCommandLine line;
  // Every argument after --diff is one of its files, whatever it looks like.
  if (const auto diff = std::find(arguments.begin(), arguments.end(), "--diff"); diff != arguments.end()) {
    line.Diff.emplace(diff + 1, arguments.end());
    if (diff != arguments.begin()) line.Error = "--diff cannot be combined with " + arguments.front() + " (see --help)";
    return line;
  }
  for (const std::string& argument : arguments) {
    std::string value;
    if (argument == "--help" || argument == "-h") {
      line.Help = true;
    } else if (argument == "--version") {
      line.Version = true;
    } else if (argument == "--all-pages") {
      line.AllPages = true;
    } else if (argument == "--arrange") {
      line.Arrange = true;
    } else if (TakeValue(argument, "--export", value)) {
      if (value.empty()) line.Error = "--export needs a file name";
      line.Export = value;
    } else if (TakeValue(argument, "--sql-dialect", value)) {
      line.SqlDialect = SqlDialectByName(value);
      if (!line.SqlDialect) line.Error = "unknown SQL dialect \"" + value + "\" (postgresql, mysql or sqlite)";
    } else if (TakeValue(argument, "--scale", value)) {
      if (value.size() == 1 && value[0] >= '1' && value[0] <= '0' + kMostPictureScale)
        line.Scale = value[0] - '0';
      else
        line.Error = "--scale takes a whole number from 1 to " + std::to_string(kMostPictureScale) + ", not \"" + value + "\"";
    } else if (TakeValue(argument, "--page", value)) {
      line.Page = value;
    } else if (const auto import = std::find_if(std::begin(kImportOptions), std::end(kImportOptions),
                                                [&](const TImportOption& option) {
                                                  return TakeValue(argument, option.Option, value);
                                                });
               import != std::end(kImportOptions)) {
      if (value.empty()) line.Error = std::string(import->Option) + " needs " + import->Value;
      line.Imports.push_back({value, import->Import});
    } else if (argument.rfind("-", 0) == 0 && argument != "-") {
      line.Error = "unknown option " + argument + " (see --help)";
    } else if (line.Diagram) {
      line.Error = "more than one diagram file given: " + *line.Diagram + " and " + argument;
    } else {
      line.Diagram = argument;
    }
    if (!line.Error.empty()) break;
  }
  if (line.Error.empty() && line.AllPages && !line.Export) line.Error = "--all-pages needs --export=OUT";
  if (line.Error.empty() && line.SqlDialect && !line.Export) line.Error = "--sql-dialect needs --export=OUT.sql";
  if (line.Error.empty() && line.Scale && !line.Export) line.Error = "--scale needs --export=OUT.png";
  if (line.Error.empty() && line.AllPages && line.Page) line.Error = "--all-pages and --page cannot be given together";
  return line;
}

std::string VersionLine(const std::string& version) { return "quorvane " + version + "\n"; }

namespace {
// The export formats as --help lists them: each extension in a column of its own, its lines beside.
std::string ExportFormatsUsage() {
  size_t width = 0;
  for (const TExportFormat& format : ExportFormats()) width = std::max(width, format.Extension.size());
  std::string usage;
  for (const TExportFormat& format : ExportFormats()) {
    std::string lead = "       " + format.Extension + std::string(width - format.Extension.size() + 2, ' ');
    for (const std::string& line : format.Usage) {
      usage += lead + line + "\n";
      lead.assign(lead.size(), ' ');
    }
  }
  return usage;
}
}  // namespace

std::string CommandLineUsage() {
  return R"(Usage: quorvane [--page=NAME] [--import-schema=SOURCE ...] [--arrange] [FILE.ERD]
       quorvane --export=OUT [--page=NAME | --all-pages] [--import-schema=SOURCE ...] [--arrange] [FILE.ERD]
       quorvane --diff OLD.ERD NEW.ERD
       quorvane --export=OUT.sql [--sql-dialect=postgresql|mysql|sqlite] [--import-schema=SOURCE ...] [FILE.ERD]
       quorvane --export=OUT.png --scale=N [--page=NAME | --all-pages] [FILE.ERD]
  quorvane --help | --version

SOURCE is told apart by what it holds: a schema export file (.SFD), made one entity; an SQL
script (PostgreSQL, MySQL/MariaDB or SQLite flavour, dumps included), a SQLite database file,
or a PostgreSQL database given as postgresql://USER@HOST:PORT/DATABASE (or postgres://...),
each made one entity per table and one relation per foreign key column, laid out on a new
page named after the source (split into pages with an overview when they do not fit on one).
What was imported is told on standard error.

Without --export, starts the editor: on FILE.ERD when given (its folder becomes the
diagram folder), then imports each source and shows page NAME. Without a display,
it reads them the same way instead and prints one line of what the diagram holds.
--arrange lays out the page shown anew, as "-> Arrange Page" does.

With --export, works without a display, for scripts:
  1. loads FILE.ERD if given, else starts from an empty diagram;
  2. imports each source in order;
  3. switches to page NAME if given (matched ignoring letter case; an unknown page is an error);
  4. lays the page out anew with --arrange;
  5. writes OUT, chosen by its extension (letter case ignored):
)" + ExportFormatsUsage() + R"(     OUT is written exactly at the path given, and only when everything before succeeded.
  With --all-pages, every display page is written, in the order of the page list: a
  .pdf holds one page each; the other pictures are one file each, named by OUT with
  the page's name in place of %p (which OUT must then hold; characters a file name
  cannot hold become "_").
  --sql-dialect chooses the dialect of a .sql script (an unknown one, or with another OUT, is an
  error); the script's first lines tell how names were made unique and which relations made no key.
  --scale=N (1 to 4) writes a .png picture N times as wide and high, drawn in those pixels (for
  documents shown on high-density screens); other OUTs take no scale.
Questions are answered with their proposals (as Cancel does), Yes/No boxes with No, choice
dialogs with their preselection; messages go to standard error.

--version prints the program's name and version.

Exit status: 0 on success; 1 on any error (a missing or unreadable file, a format error in
the diagram file, an invalid component name, an unknown page, an OUT that cannot be written),
with one line on standard error, and OUT left untouched.

)" + DiffUsage();
}
