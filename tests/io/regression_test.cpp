// Faults the random-command stress run and the crash-safe saving tests brought to light, each kept
// as a small case of its own so that it stays fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "diagram_file_reader.h"
#include "entity.h"
#include "ooa_panel.h"
#include "scripted_platform.h"
#include "text.h"

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
  panel.SetBounds(0, 0, 2048, 2048);
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
