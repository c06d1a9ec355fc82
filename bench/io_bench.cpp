// Saving and loading generated diagrams of 1,000 and 10,000 entities: each entity with 4 property
// rows and 2 method rows, half as many relations and a quarter as many events as entities, linking
// rows chosen at random (fixed seed), every object placed on one or two of three pages.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "canvas.h"
#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "entity.h"
#include "entity_event.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "relation.h"
#include "text.h"

namespace {
// Measures text as the headless tests do and draws nowhere.
class MeasuringCanvas : public Canvas {
 public:
  void Rectangle(int, int, int, int) override {}
  void RoundRect(int, int, int, int, int, int) override {}
  void Polygon(const std::vector<TPoint>&) override {}
  void Polyline(const std::vector<TPoint>&) override {}
  void TextOut(int, int, const std::string&) override {}
  int TextWidth(const std::string& text) override { return 7 * CharacterCount(text); }
  int TextHeight(const std::string&) override { return 16; }
};

// Takes every proposal and shows nothing: loading a generated diagram asks no questions.
class QuietPlatform : public Platform {
 public:
  std::string InputBox(const std::string&, const std::string&, const std::string& proposal) override {
    return proposal;
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  void ShowMessage(const std::string&) override {}
  void ShowError(const std::string&) override {}
  std::optional<std::string> OpenFileDialog(const FileDialogOptions&) override { return std::nullopt; }
  std::optional<std::string> SaveFileDialog(const FileDialogOptions&) override { return std::nullopt; }
  std::string Choose(const ChoiceDialog&) override { return {}; }
  int ScreenWidth() override { return 1280; }
  int ShowPageEditor(Control&) override { return 0; }
  void RefreshPageEditor() override {}
  void SetMainWindowWidth(int) override {}
  std::unique_ptr<Bitmap> CreateBitmap() override { return nullptr; }
  Canvas& MeasureCanvas() override { return canvas_; }
  void Invalidate(Control&) override {}
  void BeginDrag(Control&) override {}

 private:
  MeasuringCanvas canvas_;
};

const std::vector<std::string> kPages{"Overview", "Orders", "Stock"};

void BuildDiagram(TOOAPanel& panel, int entityCount) {
  std::mt19937 random(20240611);
  auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  panel.SetDiagramName("Generated");
  panel.SetOwnPageList(kPages);
  panel.SetActivePageName(kPages[0]);
  // Entities are created hidden and placed by their entries directly, and shown once at the end, so
  // that building costs what the diagram holds.
  for (int i = 0; i < entityCount; ++i) {
    TEntity& entity = panel.CreateEntity("Entity number " + IntToText(i), true);
    entity.SetEntityType(static_cast<TEntityType>(i % 4));
    const auto home = static_cast<size_t>(below(3));
    TEntryList entries{MakeEntry(kPages[home], 40 + 180 * (i % 10), 30 + 150 * (i / 10 % 12))};
    if (below(3) == 0) entries.push_back(MakeEntry(kPages[(home + 1) % 3], 40, 30) + ",HIDE METHOD");
    entity.SetActivePages(entries);
    for (int p = 1; p <= 4; ++p) AddProperty(entity, "Column " + IntToText(p), true);
    for (int m = 1; m <= 2; ++m) AddMethod(entity, "Check " + IntToText(m), true);
  }
  auto entityAt = [&panel](int index) -> TEntity& { return *panel.Entities()[static_cast<size_t>(index)]; };
  for (int i = 0; i < entityCount / 2; ++i) {
    TEntity& owner = entityAt(below(entityCount));
    TEntity& target = entityAt(below(entityCount));
    TRelation& relation = *AddRelation(owner, "", true);
    relation.SetSourceEntity(&owner);
    relation.SetSourceProperty(owner.PropertyByIndex(below(4)));
    relation.SetTargetEntity(&target);
    relation.SetTargetProperty(target.PropertyByIndex(below(4)));
    relation.SetActivePages({MakeEntry(kPages[static_cast<size_t>(below(3))], 200 + below(1500), 100 + below(1500))});
  }
  for (int i = 0; i < entityCount / 4; ++i) {
    TEntity& owner = entityAt(below(entityCount));
    TEntity& target = entityAt(below(entityCount));
    TEntityEvent& event = *AddEntityEvent(owner, "", true);
    event.SetSourceEntity(&owner);
    event.SetSourceMethod(owner.MethodByIndex(below(2)));
    event.SetTargetEntity(&target);
    event.SetTargetMethod(target.MethodByIndex(below(2)));
    event.SetActivePages({MakeEntry(kPages[static_cast<size_t>(below(3))], 200 + below(1500), 100 + below(1500))});
  }
  panel.ShowActivePage();
}

// One generated diagram per size, built once, and a folder for the files.
struct Fixture {
  QuietPlatform platform;
  TOOAPanel panel{platform};
  std::string fileName;
};

std::filesystem::path BenchFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("quorvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

Fixture& DiagramOf(int entityCount) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  auto& fixture = fixtures[entityCount];
  if (!fixture) {
    fixture = std::make_unique<Fixture>();
    fixture->panel.SetBounds(0, 0, 2048, 2048);
    BuildDiagram(fixture->panel, entityCount);
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
    panel->SetBounds(0, 0, 2048, 2048);
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
  panel.SetBounds(0, 0, 2048, 2048);
  LoadDiagramFile(panel, fixture.fileName);
  for (auto _ : state) LoadDiagramFile(panel, fixture.fileName);
}

BENCHMARK(BM_DiagramFileText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDiagramFile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDiagramFile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadDiagramFile)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
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
