// Saving and loading generated diagrams: the file written after loading is the file that was
// loaded, byte for byte, and the diagram comes back with the same pages, names, texts, kinds,
// entries and links.
#include <gtest/gtest.h>

#include <functional>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "editor_panel.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "popup_menu.h"
#include "property.h"
#include "relation.h"
#include "schema_import.h"
#include "schema_scrambler.h"

namespace {
using RoundTripOnPanel = DiagramTest;

// The reader sets hide flags from any entry and leaves them off the active page; they are not
// part of what a file keeps.
std::string WithoutShowFlags(std::string text) {
  for (const std::string flag : {" -properties", " -methods"})
    for (size_t at = text.find(flag); at != std::string::npos; at = text.find(flag)) text.erase(at, flag.size());
  return text;
}
}  // namespace

TEST(RoundTrip, GeneratedDiagramsComeBackExactly) {
  TTempFolder folder;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    ScriptedPlatform platform;
    TOOAPanel original(platform);
    original.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    GenerateDiagram(original, seed);
    const std::string file = folder / ("Seed" + std::to_string(seed));
    SaveDiagramFile(original, file);
    const std::string saved = ReadBytes(file + ".ERD");

    ScriptedPlatform loadPlatform;
    TOOAPanel loaded(loadPlatform);
    loaded.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    LoadDiagramFile(loaded, file + ".ERD");
    EXPECT_TRUE(loadPlatform.Calls.empty()) << "seed " << seed;
    SaveDiagramFile(loaded, file + "Again");
    EXPECT_EQ(ReadBytes(file + "Again.ERD"), saved) << "seed " << seed;
    EXPECT_EQ(WithoutShowFlags(DescribeDiagram(loaded)), WithoutShowFlags(DescribeDiagram(original))) << "seed " << seed;
  }
}

// A page named with blanks around it (as typed, or as a rename gives it) keeps every object on it
// through its file: the file keeps no blanks around a value, so the page is made without them.
TEST_F(RoundTripOnPanel, APageTypedWithBlanksAroundItKeepsItsObjectsThroughItsFile) {
  AddPage(" Summary ");
  AddEntity("Customer", 40, 30);
  platform.Type("\tTotals  ");
  panel.RenameActivePage();
  LoadDiagramText(panel, DiagramFileText(panel));
  EXPECT_EQ(panel.OwnPageList(), TEntryList{"Totals"});
  EXPECT_TRUE(panel.Entities().at(0)->Visible());
}

