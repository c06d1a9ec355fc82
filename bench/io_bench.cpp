// Saving and loading the generated diagrams (generated_diagram.h) of 1,000 to 100,000 entities in
// the core alone, text measured as the headless tests measure it: the file layer's own cost.
#include <benchmark/benchmark.h>


#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "generated_diagram.h"
#include "mermaid_export.h"
#include "model_documentation.h"
#include "ooa_panel.h"

namespace {
// One generated diagram per size, built once, and a folder for the files.
struct Fixture {
  QuietPlatform platform;
  TOOAPanel panel{platform};
  std::string fileName;
};

Fixture& DiagramOf(int entityCount) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  auto& fixture = fixtures[entityCount];
  if (!fixture) {
    fixture = std::make_unique<Fixture>();
    fixture->panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    BuildGeneratedDiagram(fixture->panel, entityCount);
    fixture->fileName = (BenchFolder() / ("Generated" + std::to_string(entityCount))).string();
    SaveDiagramFile(fixture->panel, fixture->fileName);
    fixture->fileName += ".ERD";
  }
  return *fixture;
}

void BM_DiagramFileText(benchmark::State& state) {
  Fixture& fixture = DiagramOf(static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = DiagramFileText(fixture.panel);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_SaveDiagramFile(benchmark::State& state) {
  Fixture& fixture = DiagramOf(static_cast<int>(state.range(0)));
  const std::string target = (BenchFolder() / "Saved").string();
  for (auto _ : state) SaveDiagramFile(fixture.panel, target);
}

// Into a fresh panel each time: the cost of reading the file and building the diagram.
void BM_LoadDiagramFile(benchmark::State& state) {
  const Fixture& fixture = DiagramOf(static_cast<int>(state.range(0)));
  QuietPlatform platform;
  for (auto _ : state) {
    state.PauseTiming();
    auto panel = std::make_unique<TOOAPanel>(platform);
    panel->SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    state.ResumeTiming();
    LoadDiagramFile(*panel, fixture.fileName);
    benchmark::DoNotOptimize(panel->Entities().data());
    state.PauseTiming();
    panel.reset();
    state.ResumeTiming();
  }
}

// Over the same diagram already on the panel, as "-> Load Diagram " does twice in a row: clearing
// the old diagram is part of the cost.
void BM_ReloadDiagramFile(benchmark::State& state) {
  const Fixture& fixture = DiagramOf(static_cast<int>(state.range(0)));
  QuietPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  LoadDiagramFile(panel, fixture.fileName);
  for (auto _ : state) LoadDiagramFile(panel, fixture.fileName);
}

// The documents of the model as the command line writes them: the walk, the text and the file.
void BM_ExportDocument(benchmark::State& state, const char* extension) {
  Fixture& fixture = DiagramOf(static_cast<int>(state.range(0)));
  const std::string target = (BenchFolder() / "Model").string() + extension;
  for (auto _ : state) {
    if (std::string(extension) == ".mmd")
      WriteMermaidDiagram(fixture.panel, target);
    else
      WriteDocumentation(fixture.panel, target);
  }
}

BENCHMARK_CAPTURE(BM_ExportDocument, Markdown, ".md")->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ExportDocument, Mermaid, ".mmd")->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiagramFileText)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDiagramFile)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDiagramFile)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadDiagramFile)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code error;
  std::filesystem::remove_all(BenchFolder(), error);
  return 0;
}
