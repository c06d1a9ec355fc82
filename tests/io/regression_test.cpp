// Faults the random-command stress run and the crash-safe saving tests brought to light, each kept
// as a small case of its own so that it stays fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "entity.h"
#include "file_access.h"
#include "io_test_support.h"
#include "ooa_panel.h"
#include "scripted_platform.h"
#include "text.h"
#include "text_encoding.h"

namespace {
// Measures text as the headless tests do, draws nowhere, and remembers how deep in the stack the
// deepest measurement was made and how often each text was written.
class StackDepthCanvas : public RecordingCanvas {
 public:
  int TextWidth(const std::string& text) override {
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    deepest = deepest == 0 ? here : std::min(deepest, here);
    return RecordingCanvas::TextWidth(text);
  }
  void TextOut(int, int, const std::string& text) override {
    if (text == watchedText) ++watchedWrites;
  }
  void Rectangle(int, int, int, int) override {}
  void Polyline(const std::vector<TPoint>&) override {}

  std::uintptr_t deepest = 0;
  std::string watchedText;
  int watchedWrites = 0;
};

class DepthPlatform : public ScriptedPlatform {
 public:
  Canvas& MeasureCanvas() override { return canvas; }
  StackDepthCanvas canvas;
};

// A diagram of entities on the active page, each with one method row whose name is wider than the
// row, so that every method row widens its entity the first time it is painted.
std::string WideMethodDiagram(int entities) {
  std::string text = "@ERDIAGRAM\r\n DIAGRAMNAME=Wide\r\n OWNPAGE=Main\r\n ACTIVEPAGE=Main\r\n";
  for (int i = 1; i <= entities; ++i) {
    const std::string name = "Entity" + IntToText(i);
    text += " @ENTITY\r\n  NAME=" + name + "\r\n  DESC=E" + IntToText(i) + "\r\n  DISPLAYPAGE=Main @" +
            IntToText(10 * i) + ",40\r\n  @METHOD\r\n   NAME=" + name +
            "_Method1\r\n   DESC=a method name far wider than its row\r\n  #METHOD\r\n #ENTITY\r\n";
  }
  return text + "#ERDIAGRAM\r\n";
}

struct LoadCost {
  std::uintptr_t stack = 0;
  int firstTitleWrites = 0;
};

LoadCost LoadWideDiagram(int entities) {
  DepthPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  platform.canvas.watchedText = "E1";
  const auto base = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  LoadDiagramText(panel, WideMethodDiagram(entities));
  EXPECT_EQ(panel.Entities().size(), static_cast<size_t>(entities));
  for (const auto& entity : panel.Entities()) {
    EXPECT_TRUE(entity->Visible());
    EXPECT_EQ(entity->Width(), 7 * 40 + 10) << "widened to its method row";
  }
  return {base - platform.canvas.deepest, platform.canvas.watchedWrites};
}
}  // namespace

// Showing a page paints every method row; a row that widens its entity asks for the page to be shown
// again. That request used to run inside the pass that painted the row, so every widening row
// opened one more full pass: loading cost the square of the diagram's size (2,000 such entities
// took over two minutes on the command line) and the stack grew with every entity until a large
// diagram crashed. The request is now run once the pass is over.
TEST(ShowingAPage, AWideningRowAsksForOneMorePassNotANestedOne) {
  const LoadCost small = LoadWideDiagram(10);
  const LoadCost large = LoadWideDiagram(300);
  EXPECT_LE(large.firstTitleWrites, 3) << "each pass paints the first entity once";
  EXPECT_EQ(large.firstTitleWrites, small.firstTitleWrites);
  EXPECT_LT(large.stack, small.stack + 16 * 1024) << "stack used by a load must not grow with the diagram";
}

// Renaming the active page to a name some objects have entries for (a page the file's page list
// does not hold; the name of a listed page is refused) brings those objects onto it. They used to
// stay hidden where they stood (a diagram just read leaves them where the mouse was), and exporting
// a picture, which shows every entity on the active page as it paints it, then put them on the
// screen there, in a pile, away from their entries. The page is now shown again when the rename
// brings objects onto it.
TEST(RenamingThePage, ToTheNameOfAnotherPageShowsThatPagesObjectsAtTheirEntries) {
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  panel.SetLastMouse(5, 7);
  LoadDiagramText(panel,
                  "@ERDIAGRAM\r\n DIAGRAMNAME=Pages\r\n OWNPAGE=Orders\r\n ACTIVEPAGE=Orders\r\n"
                  " @ENTITY\r\n  NAME=Entity1\r\n  DESC=Order\r\n  DISPLAYPAGE=Orders @40,30\r\n #ENTITY\r\n"
                  " @ENTITY\r\n  NAME=Entity2\r\n  DESC=Item\r\n  DISPLAYPAGE=Stock @300,60,HIDE METHOD\r\n #ENTITY\r\n"
                  "#ERDIAGRAM\r\n");
  const TEntity& order = *panel.Entities()[0];
  const TEntity& item = *panel.Entities()[1];
  ASSERT_TRUE(order.Visible());
  ASSERT_FALSE(item.Visible());

  platform.Type("Stock");
  panel.RenameActivePage();
  EXPECT_EQ(panel.ActivePageName(), "Stock");
  EXPECT_EQ(order.ActivePages(), TEntryList{"Stock @40,30"});
  EXPECT_TRUE(order.Visible());
  EXPECT_EQ(order.Left(), 40);
  EXPECT_TRUE(item.Visible()) << "on the active page now";
  EXPECT_EQ(item.Left(), 300);
  EXPECT_EQ(item.Top(), 60);
  EXPECT_FALSE(item.ShowMethod()) << "with the flags of its entry";

  panel.DrawToBitmap();
  EXPECT_EQ(item.Left(), 300) << "a picture moves nothing";
  EXPECT_EQ(item.Top(), 60);
  EXPECT_TRUE(platform.ScriptDone());
}

// Renaming the page to its own name, as Cancel does, brings no other object onto it and moves none.
TEST(RenamingThePage, ToItsOwnNameMovesNothing) {
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  platform.Type("Orders");
  panel.CreatePage();
  panel.SetLastMouse(40, 30);
  TEntity& entity = panel.CreateEntity("Order", false);
  entity.SetLeft(90);  // moved without storing its place, as while it is dragged
  platform.Cancel();
  panel.RenameActivePage();
  EXPECT_EQ(entity.ActivePages(), TEntryList{"Orders @90,30"}) << "rewritten with where it stands";
  EXPECT_EQ(entity.Left(), 90);
  EXPECT_TRUE(platform.ScriptDone());
}

namespace {
// The system's own calls, remembering the name of every temporary file asked for.
class TemporaryNames : public TFileSystemCalls {
 public:
  int CreateTemporary(std::string& pathTemplate) override {
    const int fd = TFileSystemCalls::CreateTemporary(pathTemplate);
    names.push_back(std::filesystem::path(pathTemplate).filename().string());
    return fd;
  }
  std::vector<std::string> names;
};
}  // namespace

// A save writes a temporary file named after the target next to it, a dot before and a dot and six
// random letters after. For a target whose own name is near the longest a folder allows (255 bytes)
// that name was too long: saving failed with "File name too long" for a name the system takes. The
// temporary name now keeps only as much of the target's name as fits, cut between characters.
TEST(SavingUnderALongName, WorksUpToTheLongestNameAFolderAllows) {
  TTempFolder folder;
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  platform.Type("Main");
  panel.CreatePage();
  panel.CreateEntity("Order", false);
  std::string accented;
  for (int i = 0; i < 125; ++i) accented += "\xC3\xA9";
  for (const std::string& name : {std::string(251, 'x'), accented, std::string("Orders")}) {
    TemporaryNames calls;
    {
      TScopedFileSystemCalls scoped(calls);
      SaveDiagramFile(panel, folder / name);
    }
    const std::string saved = name + ".ERD";
    ASSERT_LE(saved.size(), 255u);
    EXPECT_EQ(ReadBytes(folder / saved), DiagramFileText(panel)) << saved.size() << " bytes";
    ASSERT_EQ(calls.names.size(), 1u);
    const std::string& temporary = calls.names[0];
    EXPECT_LE(temporary.size(), 255u);
    EXPECT_TRUE(IsValidUtf8(temporary)) << "cut between characters";
    EXPECT_EQ(temporary.substr(0, 1), ".") << temporary;
    EXPECT_EQ(temporary.rfind('.'), temporary.size() - 7) << temporary;
    EXPECT_EQ(temporary.substr(1, std::min<size_t>(saved.size(), 6)), saved.substr(0, 6)) << "named after the target";
    std::filesystem::remove(folder / saved);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << "no temporary file is left";
  }
  EXPECT_TRUE(platform.ScriptDone());
}
