// Saving and loading the generated diagrams (generated_diagram.h) of 1,000 to 100,000 entities in
// the core alone, text measured as the headless tests measure it: the file layer's own cost; and the
// diagram's model written as an SQL script.
#include <benchmark/benchmark.h>


#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "diagram_clipboard.h"
#include "diagram_diff.h"
#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "generated_diagram.h"
#include "mermaid_export.h"
#include "model_documentation.h"
#include "entity.h"
#include "ooa_panel.h"
#include "placement.h"
#include "sql_export.h"

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
// Two files read and compared, as --diff does: the generated diagram and an edit of it, every
// hundredth entity renamed and every fiftieth moved on its first page.
void BM_DiffDiagramFiles(benchmark::State& state) {
  const int entityCount = static_cast<int>(state.range(0));
  const Fixture& fixture = DiagramOf(entityCount);
  QuietPlatform platform;
  TOOAPanel edited(platform);
  edited.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  BuildGeneratedDiagram(edited, entityCount);
  for (int i = 0; i < entityCount; i += 50) {
    TEntity& entity = *edited.Entities()[static_cast<size_t>(i)];
    if (i % 100 == 0) entity.SetEntityDesc(entity.EntityDesc() + " renamed");
    const std::string& entry = entity.ActivePages().front();
    entity.ReplaceEntry(0, MakeEntry(PageOfEntry(entry), LeftOfEntry(entry) + 10, TopOfEntry(entry)));
  }
  const std::string editedFile = (BenchFolder() / ("Edited" + std::to_string(entityCount))).string();
  SaveDiagramFile(edited, editedFile);
  size_t lines = 0;
  for (auto _ : state) {
    auto older = std::make_unique<TComparedDiagram>(fixture.fileName);
    auto newer = std::make_unique<TComparedDiagram>(editedFile + ".ERD");
    const TDiagramDiff diff(older->Panel(), newer->Panel());
    lines = diff.Model().size() + diff.Placement().size();
    // The command leaves the diagrams to the end of the process.
    state.PauseTiming();
    older.reset();
    newer.reset();
    state.ResumeTiming();
  }
  state.counters["lines"] = static_cast<double>(lines);
}

// The comparison alone, of the generated diagram read twice from its file.
void BM_CompareDiagrams(benchmark::State& state) {
  const Fixture& fixture = DiagramOf(static_cast<int>(state.range(0)));
  const TComparedDiagram older(fixture.fileName), newer(fixture.fileName);
  for (auto _ : state) benchmark::DoNotOptimize(TDiagramDiff(older.Panel(), newer.Panel()).Same());
}

// The diagram's model as a PostgreSQL script (names, types, keys in their order, comments).
void BM_SqlScriptOf(benchmark::State& state) {
  Fixture& fixture = DiagramOf(static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = SqlScriptOf(fixture.panel, TSqlDialect::PostgreSql);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// Ctrl+C and Ctrl+V of 1,000 entities shown on the active page of a generated diagram (state.range(0)
// entities), the paste with its step and page showing, taken back by an undo outside the timing.
struct TClipboardFixture {
  QuietPlatform platform;
  TOOAPanel panel{platform};
  std::string text;
};
TClipboardFixture& ClipboardOf(int entityCount) {
  static std::map<int, std::unique_ptr<TClipboardFixture>> fixtures;
  auto& fixture = fixtures[entityCount];
  if (!fixture) {
    fixture = std::make_unique<TClipboardFixture>();
    fixture->panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    BuildGeneratedDiagram(fixture->panel, entityCount);
    std::vector<TPlacedControl*> copied;
    for (const auto& entity : fixture->panel.Entities())
      if (entity->Visible() && copied.size() < 1000) copied.push_back(entity.get());
    fixture->panel.SelectObjects(copied);
    fixture->text = CopyCommand(fixture->panel);
  }
  return *fixture;
}

void BM_Copy1000Entities(benchmark::State& state) {
  TClipboardFixture& fixture = ClipboardOf(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CopyCommand(fixture.panel).size());
}

void BM_Paste1000Entities(benchmark::State& state) {
  TClipboardFixture& fixture = ClipboardOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!PasteCommand(fixture.panel, fixture.text, {40, 40})) state.SkipWithError("nothing pasted");
    state.PauseTiming();
    fixture.panel.History().Undo();
    state.ResumeTiming();
  }
}

BENCHMARK(BM_Copy1000Entities)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paste1000Entities)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlScriptOf)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiagramFileText)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDiagramFile)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDiagramFile)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadDiagramFile)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiffDiagramFiles)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareDiagrams)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);
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
