#include "command_line.h"

namespace {
bool TakeValue(const std::string& argument, const std::string& option, std::string& value) {
  if (argument.rfind(option + "=", 0) != 0) return false;
  value = argument.substr(option.size() + 1);
  return true;
}
}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  TCommandLine line;
  for (const std::string& argument : arguments) {
    std::string value;
    if (argument == "--help" || argument == "-h") {
      line.Help = true;
    } else if (argument == "--version") {
      line.Version = true;
    } else if (argument == "--all-pages") {
      line.AllPages = true;
    } else if (TakeValue(argument, "--export", value)) {
      if (value.empty()) line.Error = "--export needs a file name";
      line.Export = value;
    } else if (TakeValue(argument, "--page", value)) {
      line.Page = value;
    } else if (TakeValue(argument, "--import-schema", value)) {
      if (value.empty()) line.Error = "--import-schema needs a file name";
      line.Schemas.push_back(value);
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
  if (line.Error.empty() && line.AllPages && line.Page) line.Error = "--all-pages and --page cannot be given together";
  return line;
}

std::string VersionLine() { return std::string("quorvane ") + QUORVANE_VERSION + "\n"; }

std::string CommandLineUsage() {
  return R"(Usage: quorvane [--page=NAME] [--import-schema=FILE.SFD ...] [FILE.ERD]
       quorvane --export=OUT [--page=NAME | --all-pages] [--import-schema=FILE.SFD ...] [FILE.ERD]
  quorvane --help | --version

Without --export, starts the editor: on FILE.ERD when given (its folder becomes the
diagram folder), then imports each schema file and shows page NAME. Without a display,
it reads them the same way instead and prints one line of what the diagram holds.

With --export, works without a display, for scripts:
  1. loads FILE.ERD if given, else starts from an empty diagram;
  2. imports each schema export file (.SFD) in order, as a new entity;
  3. switches to page NAME if given (matched ignoring letter case; an unknown page is an error);
  4. writes OUT, chosen by its extension (letter case ignored):
       .ERD  the diagram file, exactly as "-> Save Diagram " writes it
       .bmp  the picture of the active page, exactly as "-> Save Diagram To BitMap File"
             writes it (2048 by 2048 pixels, 24 bits per pixel)
       .png  the same picture as PNG
       .svg  the same drawing as SVG, with real lines, shapes and text
       .pdf  the same drawing as a one-page PDF the size of the picture (2048 by 2048
             pixels at 96 dpi), with real lines, shapes and text
     OUT is written exactly at the path given, and only when everything before succeeded.
  With --all-pages, every display page is written, in the order of the page list: a
  .pdf holds one page each; the other pictures are one file each, named by OUT with
  the page's name in place of %p (which OUT must then hold; characters a file name
  cannot hold become "_").
Questions are answered with their proposals (as Cancel does), Yes/No boxes with No, choice
dialogs with their preselection; messages go to standard error.

--version prints the program's name and version.

Exit status: 0 on success; 1 on any error (a missing or unreadable file, a format error in
the diagram file, an invalid component name, an unknown page, an OUT that cannot be written),
with one line on standard error, and OUT left untouched.
)";
}
