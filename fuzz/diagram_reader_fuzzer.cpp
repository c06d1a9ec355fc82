// The diagram file reader on any bytes: a diagram is built on a headless panel and drawn, and saving
// it must give a file that loads cleanly and that loading and saving again leaves byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "entity.h"
#include "entity_event.h"
#include "fuzz_check.h"
#include "ooa_panel.h"
#include "quiet_platform.h"
#include "relation.h"
#include "toolkit_error.h"

namespace {
// False when the diagram holds something the file format has no line for, which the reader then
// fills in with its defaults when the saved file is loaded again:
// - an empty diagram name (DIAGRAMNAME= loads as NewDiagram) or no active page (ACTIVEPAGE= loads as
//   the first page, making NewPage1 when there is none), as a file lacking those lines leaves them;
// - no page at all (a diagram that was never closed, or opened again and left open): the closing
//   marker of the saved file adds NewPage1;
// - an object without any placement entry (a section that was never closed, or one whose entries
//   were all removed): its saved section gets the closing marker's default entry on the active page;
// - an empty placement entry, which the writer leaves out;
// - the same page twice in a row in the page list (a page created while reading, when the file
//   names no active page, may take the name of the page before it), or the same entry twice in a
//   row: the reader keeps one of two equal lines in a row.
bool RepeatsALine(const TEntryList& lines) {
  for (size_t i = 1; i < lines.size(); ++i)
    if (lines[i] == lines[i - 1]) return true;
  return false;
}

bool FileCarriesEverything(const TOOAPanel& panel) {
  if (panel.DiagramName().empty() || panel.ActivePageName().empty() || panel.OwnPageList().empty()) return false;
  if (RepeatsALine(panel.OwnPageList())) return false;
  auto carried = [](const TEntryList& entries) {
    if (entries.empty() || RepeatsALine(entries)) return false;
    for (const auto& entry : entries)
      if (entry.empty()) return false;
    return true;
  };
  for (const auto& entity : panel.Entities()) {
    if (!carried(entity->ActivePages())) return false;
    for (const auto& slot : entity->RelationList())
      if (!carried(slot.Object->ActivePages())) return false;
    for (const auto& slot : entity->EventList())
      if (!carried(slot.Object->ActivePages())) return false;
  }
  return true;
}

struct TLoaded {
  std::string Saved;
  bool Complete = true;
  int Messages = 0;
  bool Raised = false;
};

// Loads the bytes into a fresh panel the size the main window gives it, draws the active page as
// the host would, and saves the diagram into memory.
TLoaded LoadAndSave(std::string_view bytes) {
  QuietPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  TLoaded loaded;
  try {
    LoadDiagramText(panel, bytes);
  } catch (const EToolkitError&) {
    // An invalid component name ends the reading; what was read stays and must still be usable.
    loaded.Raised = true;
  }
  QuietCanvas canvas;
  panel.DrawToCanvas(canvas);
  loaded.Saved = DiagramFileText(panel);
  loaded.Complete = FileCarriesEverything(panel);
  loaded.Messages = platform.Messages + platform.Errors;
  return loaded;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TLoaded first = LoadAndSave(bytes);
  const TLoaded second = LoadAndSave(first.Saved);
  if (second.Raised || second.Messages != 0)
    FailCheck("a diagram this editor saved does not load cleanly", first.Saved);
  if (!second.Complete) FailCheck("a saved diagram loads with something its file cannot carry", first.Saved);
  // A reading ended by an invalid name leaves the objects read so far where they were made, without
  // the final page showing that would place relation and event boxes by their entries; the saved
  // file places them on loading. That too is the one step below.
  if (first.Complete && !first.Raised) {
    if (second.Saved != first.Saved)
      FailCheck("load and save of a saved diagram changed it", first.Saved, second.Saved);
  } else {
    // The one step in which the reader's defaults fill in what the file could not carry; from then
    // on saving what was loaded changes nothing.
    const TLoaded third = LoadAndSave(second.Saved);
    if (third.Saved != second.Saved)
      FailCheck("load and save of a saved diagram changed it (after the reader's defaults)", second.Saved, third.Saved);
  }
  return 0;
}
