// What the user waits for in the editor, on the generated diagrams of 1,000 to 100,000 entities, with
// the real font and Qt's offscreen platform: loading and saving the diagram file, switching the page,
// painting the whole 2048 by 2048 surface and the part the scrolling frame shows, exporting the
// picture, a mouse press on an entity, selecting the whole page and moving it (and undoing the move),
// removing one entity (also with a screen reader listening), and copying 1,000 entities to the clipboard.
//
// Every size runs all its benchmarks before the next size is built, so that only one generated
// diagram is held at a time. Run from a release build: build/release/bench/quorvane_bench_editor
#include <algorithm>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <benchmark/benchmark.h>


#include <filesystem>
#include <memory>
#include <string>

#include "diagram_accessibility.h"
#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "diagram_files.h"
#include "diagram_host.h"
#include "diagram_view.h"
#include "entity.h"
#include "generated_diagram.h"
#include "headless_platform.h"
#include "large_pages.h"
#include "model_documentation.h"
#include "main_window.h"
#include "ooa_panel.h"
#include "qt_bitmap.h"

namespace {
const int kSizes[] = {1000, 5000, 20000, 100000};

// The editor's main window, shown offscreen, holding the generated diagram of one size as the
// "-> Load Diagram " command leaves it.
struct Editor {
  explicit Editor(const std::string& fileName) {
    window.show();
    window.panel().OpenDiagramFile(fileName);
    QApplication::processEvents();
  }
  TOOAPanel& panel() { return window.panel(); }
  DiagramHost& host() { return window.host(); }
  TfMain window;
};

// The one size whose benchmarks run now: its diagram file and, once asked for, its editor.
struct Size {
  int entities = 0;
  std::string fileName;
  std::unique_ptr<Editor> editor;
};

Size& Held() {
  static Size size;
  return size;
}

Size& Current(int entities) {
  Size& size = Held();
  if (size.entities != entities) {
    size.editor.reset();
    size.entities = entities;
    size.fileName = WriteGeneratedDiagram(entities, (BenchFolder() / ("Generated" + std::to_string(entities))).string());
  }
  return size;
}

Editor& EditorOf(int entities) {
  Size& size = Current(entities);
  if (!size.editor) size.editor = std::make_unique<Editor>(size.fileName);
  return *size.editor;
}

// The editor back on the first page at 100 % with nothing waiting to be painted.
Editor& SettledEditorOf(int entities) {
  Editor& editor = EditorOf(entities);
  if (!editor.window.view().zoom().IsActual()) editor.window.view().zoomTo(TViewZoom::Actual, QPoint());
  if (editor.panel().ActivePageName() != kGeneratedPages[0]) {
    editor.panel().SetActivePageName(kGeneratedPages[0]);
    editor.panel().ShowActivePage();
  }
  QApplication::processEvents();
  return editor;
}

// The command line's load: a fresh panel on a fresh headless platform reads the file. Fresh, as
// the command line starts: the widths of the diagram's texts are kept by the font's measuring
// cache for as long as a canvas of the font lives, and a load that finds them kept from the load
// before skips measuring them. Google Benchmark runs a size's few iterations at 20,000 entities
// and many at 5,000 in one call, so with the platform kept across iterations the first, measuring
// load weighed a half in one figure and an eighth in the other.
void BM_Load(benchmark::State& state, int entities) {
  const std::string fileName = Current(entities).fileName;
  for (auto _ : state) {
    state.PauseTiming();
    auto platform = std::make_unique<HeadlessPlatform>();
    auto panel = std::make_unique<TOOAPanel>(*platform);
    panel->SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    state.ResumeTiming();
    LoadDiagramFile(*panel, fileName);
    state.PauseTiming();
    panel.reset();
    platform.reset();
    state.ResumeTiming();
  }
}

// "-> Load Diagram " in the editor over the same diagram: clearing the old one is part of it.
void BM_Reload(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  const std::string fileName = Current(entities).fileName;
  for (auto _ : state) {
    editor.panel().OpenDiagramFile(fileName);
    state.PauseTiming();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

void BM_Save(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  const std::string target = (BenchFolder() / "Saved").string();
  for (auto _ : state) SaveDiagramFile(editor.panel(), target);
}

// "-> Select Display Page" once the page is chosen, back and forth between two pages.
void BM_PageSwitch(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  int next = 1;
  for (auto _ : state) {
    editor.panel().ShowPage(kGeneratedPages[static_cast<size_t>(next)]);
    next = 1 - next;
    state.PauseTiming();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

// One paint event over the whole surface, as the host receives it.
void BM_FullPaint(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  QImage image(2048, 2048, QImage::Format_RGB32);
  for (auto _ : state) editor.host().render(&image);
}

// One paint event over what the scrolling frame shows: what the user waits for on every repaint. On
// a screen of the device pixel ratio given (a hundredth of it), drawn in the screen's pixels: at 2,
// four times as many, which must cost no more than three times the paint at 1 (text set at the scale
// costs most).
void BM_ViewportPaint(benchmark::State& state, int entities, int ratioPercent) {
  Editor& editor = SettledEditorOf(entities);
  const QRect visible = editor.window.scrollBox().viewport()->rect();
  const double ratio = ratioPercent / 100.0;
  QImage image(visible.size() * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  for (auto _ : state) editor.host().render(&image, QPoint(), QRegion(visible));
}

// One paint event of the view zoomed to show the whole surface: every entity of the page in sight.
void BM_WholePagePaint(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  editor.window.view().zoom(TZoomCommand::WholePage);
  QApplication::processEvents();
  const QRect visible = editor.window.scrollBox().viewport()->rect();
  QImage image(visible.size(), QImage::Format_RGB32);
  for (auto _ : state) editor.host().render(&image, QPoint(), QRegion(visible));
}

// Ctrl and a notch of the wheel over the middle of the view, in and out by turns, from the zoom
// given: the zoom, the scrolling that keeps the point under the pointer and the paint of the view.
void BM_WheelStep(benchmark::State& state, int entities, int perMille) {
  Editor& editor = SettledEditorOf(entities);
  DiagramView& view = editor.window.view();
  const QPoint middle = view.viewport()->rect().center();
  // Somewhere in the middle of the page, where the entities are.
  view.zoomTo(perMille, middle, QPointF(1024, 1024));
  QApplication::processEvents();
  int turn = 120;
  for (auto _ : state) {
    QWheelEvent wheel(middle, view.viewport()->mapToGlobal(middle), QPoint(), QPoint(0, turn), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    QApplication::processEvents();
    turn = -turn;
  }
}

// "-> Save Diagram To BitMap File" once the file is chosen: the picture painted and written.
void BM_BitmapExport(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  const std::string target = (BenchFolder() / "Picture.bmp").string();
  for (auto _ : state) editor.panel().SaveToBitmapFile(target);
}

// The picture alone, without encoding and writing the file.
void BM_DrawToBitmap(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  auto& bitmap = dynamic_cast<QtBitmap&>(*editor.panel().GetBitmap());
  for (auto _ : state) {
    editor.panel().DrawToBitmap();
    benchmark::DoNotOptimize(bitmap.image().constBits());
  }
}

// "-> Export Documentation..." to HTML once the file is chosen: every page shown and drawn as SVG,
// the dictionary written, the page shown before shown again.
void BM_HtmlDocumentation(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  const std::string target = (BenchFolder() / "Model.html").string();
  for (auto _ : state) WriteDocumentation(editor.panel(), target);
}

// Clicks on the titles of two neighbouring entities in sight, one after the other: the press finds
// the entity, selects it (the other loses its selection), brings it to the front and starts its
// drag; the release over the entity itself ends the drag without a drop; then the host paints what
// the click changed, as the user sees it. Neighbours, so that every size repaints about as much of
// the surface: the paint covers both entities, and two far apart cost up to a paint of the whole
// visible part (ViewportPaint).
void BM_MousePress(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  const QRect visible = editor.window.scrollBox().viewport()->rect();
  // Entities whose titles no box covers: a release over a relation or event box lying on one would
  // drop the entity there, which is a move, not a click.
  std::vector<QPoint> titles;
  for (const auto& entity : editor.panel().Entities()) {
    const QPoint title(entity->Left() + 8, entity->Top() + 6);
    if (entity->Visible() && visible.contains(title) && editor.panel().ControlAt(title.x(), title.y()) == entity.get())
      titles.push_back(title);
  }
  if (titles.size() < 2) {
    state.SkipWithError("no two entities in sight");
    return;
  }
  // The first of them, and the one nearest to it.
  const QPoint first = titles.front();
  const QPoint nearest = *std::min_element(titles.begin() + 1, titles.end(), [&](QPoint a, QPoint b) {
    return (a - first).manhattanLength() < (b - first).manhattanLength();
  });
  const std::vector<QPointF> clicks{QPointF(first), QPointF(nearest)};
  size_t next = 0;
  for (auto _ : state) {
    const QPointF point = clicks[next];
    const QPointF global = editor.host().mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&editor.host(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&editor.host(), &release);
    QApplication::processEvents();
    next = 1 - next;
  }
}

// "-> (*)Remove This Entity" on entities from the middle of the list, linked as the generator
// linked them. Each run takes one more entity away; the diagram is read again for the next size.
// With a screen reader listening (`heard`), which has read the page's objects once: each removal
// also tells it what went.
void RemoveEntity(benchmark::State& state, int entities, bool heard) {
  Editor& editor = SettledEditorOf(entities);
  DiagramAccessibility::assumeListening(heard);
  if (heard) {
    QAccessibleInterface* surface = QAccessible::queryAccessibleInterface(&editor.host());
    for (int child = 0; child < surface->childCount(); ++child) benchmark::DoNotOptimize(surface->child(child)->text(QAccessible::Name));
  }
  size_t next = static_cast<size_t>(entities / 2);
  for (auto _ : state) {
    state.PauseTiming();
    TEntity& entity = *editor.panel().Entities()[next % editor.panel().Entities().size()];
    next += 7;
    editor.panel().SetSelectedEntity(&entity);
    state.ResumeTiming();
    entity.RemoveThisEntity();
    state.PauseTiming();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  DiagramAccessibility::assumeListening(false);
  // The diagram is no longer the generated one.
  Current(entities).editor.reset();
}
void BM_RemoveEntity(benchmark::State& state, int entities) { RemoveEntity(state, entities, false); }
void BM_RemoveEntityHeard(benchmark::State& state, int entities) { RemoveEntity(state, entities, true); }

// Ctrl+A on the first page, and the window painting the selection's frames; Escape between runs.
void BM_SelectAll(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  for (auto _ : state) {
    editor.panel().SelectAllOnPage();
    QApplication::processEvents();
    state.PauseTiming();
    editor.panel().ClearSelection();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

// The whole page's selection dragged 8 pixels down and right (the drop's command, one step) and
// painted; or that step undone and painted. The other half of each pair runs untimed.
void MoveSelectionAndUndo(benchmark::State& state, int entities, bool timeUndo) {
  Editor& editor = SettledEditorOf(entities);
  editor.panel().SelectAllOnPage();
  QApplication::processEvents();
  for (auto _ : state) {
    if (timeUndo) state.PauseTiming();
    editor.panel().MoveSelection(8, 8);
    QApplication::processEvents();
    if (timeUndo) state.ResumeTiming(); else state.PauseTiming();
    editor.panel().UndoCommand();
    QApplication::processEvents();
    if (!timeUndo) state.ResumeTiming();
  }
  editor.panel().ClearSelection();
}
void BM_MoveSelection(benchmark::State& state, int entities) { MoveSelectionAndUndo(state, entities, false); }
void BM_UndoMoveSelection(benchmark::State& state, int entities) { MoveSelectionAndUndo(state, entities, true); }

// Ctrl+C of 1,000 entities of the page: their text, and their picture as PNG and SVG, on the
// clipboard.
void BM_CopyToClipboard(benchmark::State& state, int entities) {
  Editor& editor = SettledEditorOf(entities);
  std::vector<TPlacedControl*> copied;
  for (const auto& entity : editor.panel().Entities())
    if (entity->Visible() && copied.size() < 1000) copied.push_back(entity.get());
  editor.panel().SelectObjects(copied);
  for (auto _ : state) editor.panel().ClipboardCommand(TClipboardAction::Copy, {});
  editor.panel().ClearSelection();
}

void RegisterAll() {
  for (const int n : kSizes) {
    auto add = [n](const char* name, void (*function)(benchmark::State&, int)) {
      std::string fullName(name);
      fullName.append(1, '/').append(std::to_string(n));
      // The least of the repetitions besides the median: on a shared machine other work only ever
      // adds time, so the least is the truest figure of what the editor itself costs.
      return benchmark::RegisterBenchmark(fullName.c_str(), function, n)
          ->Unit(benchmark::kMillisecond)
          ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    };
    add("Load", BM_Load);
    add("Reload", BM_Reload);
    add("Save", BM_Save);
    add("PageSwitch", BM_PageSwitch);
    add("FullPaint", BM_FullPaint);
    for (const int ratio : {100, 150, 200}) {
      const std::string name = "ViewportPaint" + (ratio == 100 ? std::string() : "AtRatio" + std::to_string(ratio)) + "/" + std::to_string(n);
      benchmark::RegisterBenchmark(name.c_str(), [n, ratio](benchmark::State& state) { BM_ViewportPaint(state, n, ratio); })
          ->Unit(benchmark::kMillisecond);
    }
    add("WholePagePaint", BM_WholePagePaint);
    for (const int zoom : {378, 500, 2000, 8000}) {
      const std::string name = "WheelStep" + std::to_string(zoom / 10) + "/" + std::to_string(n);
      benchmark::RegisterBenchmark(name.c_str(), [n, zoom](benchmark::State& state) { BM_WheelStep(state, n, zoom); })
          ->Unit(benchmark::kMillisecond);
    }
    add("DrawToBitmap", BM_DrawToBitmap);
    add("BitmapExport", BM_BitmapExport);
    add("HtmlDocumentation", BM_HtmlDocumentation);
    add("MousePress", BM_MousePress)->Unit(benchmark::kMicrosecond);
    add("SelectAll", BM_SelectAll);
    add("CopyToClipboard", BM_CopyToClipboard);
    add("MoveSelection", BM_MoveSelection);
    add("UndoMoveSelection", BM_UndoMoveSelection);
    add("RemoveEntity", BM_RemoveEntity)->Unit(benchmark::kMicrosecond)->Iterations(50);
    add("RemoveEntityHeard", BM_RemoveEntityHeard)->Unit(benchmark::kMicrosecond)->Iterations(50);
  }
}
}  // namespace

int main(int argc, char** argv) {
  // As the editor's own start does.
  UseLargeMemoryPages();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Held().editor.reset();
  std::error_code error;
  std::filesystem::remove_all(BenchFolder(), error);
  return 0;
}
