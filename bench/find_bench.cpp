// What finding costs on the generated diagram of 5,000 entities (about 40,000 descriptions), in the
// core alone: a step to the next or the previous match on the page shown, a step to a match that
// only another page shows (that page shown, as choosing it shows it), and a key typed into the find
// (every description compared anew). Run from a release build:
//   build/release/bench/quorvane_bench_find
#include <benchmark/benchmark.h>

#include <string>

#include "diagram_find.h"
#include "editor_panel.h"
#include "entity.h"
#include "generated_diagram.h"
#include "ooa_panel.h"

namespace {
constexpr int kEntities = 5000;

struct Diagram {
  Diagram() {
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    SetUpEditorPanel(panel);
    BuildGeneratedDiagram(panel, kEntities);
  }
  QuietPlatform platform;
  TOOAPanel panel{platform};
};

Diagram& Shared() {
  static Diagram diagram;
  return diagram;
}

// Every step goes back and forth between two property rows of one entity in the middle of the list.
void BM_FindStep(benchmark::State& state) {
  TOOAPanel& panel = Shared().panel;
  panel.SetSelectedEntity(panel.Entities()[kEntities / 2].get());
  TDiagramFind find(panel);
  find.Find("Column");
  for (auto _ : state) {
    benchmark::DoNotOptimize(find.Next());
    benchmark::DoNotOptimize(find.Previous());
  }
  state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_FindStep)->Unit(benchmark::kMicrosecond);

// A step to an entity the page shown does not show: the first page that does is shown.
void BM_FindStepToAnotherPage(benchmark::State& state) {
  TOOAPanel& panel = Shared().panel;
  const std::string& first = kGeneratedPages[0];
  size_t far = kEntities / 2;
  while (panel.Entities()[far]->IsOnPage(first)) ++far;
  TDiagramFind find(panel);
  const std::string text = panel.Entities()[far]->EntityDesc();
  for (auto _ : state) {
    state.PauseTiming();
    panel.ShowPage(first);
    state.ResumeTiming();
    benchmark::DoNotOptimize(find.Find(text));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindStepToAnotherPage)->Unit(benchmark::kMillisecond);

// Steps that go round all three pages, each to a page none of the last two shown: every object
// reads its entry for it anew.
void BM_FindStepRoundThePages(benchmark::State& state) {
  TOOAPanel& panel = Shared().panel;
  TDiagramFind find(panel);
  std::vector<std::string> texts;
  for (const std::string& page : kGeneratedPages) {
    size_t only = 0;
    while (panel.Entities()[only]->IsOnPage(page)) ++only;
    texts.push_back(panel.Entities()[only]->EntityDesc());
  }
  size_t turn = 0;
  for (auto _ : state) {
    const size_t k = turn++ % kGeneratedPages.size();
    state.PauseTiming();
    panel.ShowPage(kGeneratedPages[k]);
    state.ResumeTiming();
    benchmark::DoNotOptimize(find.Find(texts[k]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindStepRoundThePages)->Unit(benchmark::kMillisecond);

// A key typed and taken back: every description compared with the text, then the first match from
// the current one gone to.
void BM_FindAsYouType(benchmark::State& state) {
  TOOAPanel& panel = Shared().panel;
  TDiagramFind find(panel);
  const std::string texts[] = {"number 249", "number 2499"};
  size_t turn = 0;
  for (auto _ : state) benchmark::DoNotOptimize(find.Find(texts[turn++ % 2]));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FindAsYouType)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
