// What the history costs on the generated diagram of 5,000 entities, in the core alone: a single
// object's edit as the user makes it, recorded as a step and with the history suspended (the
// difference is what recording adds); the undo and the redo of such a step with the page shown
// again; and the memory 1,000 such steps hold. Then the edits that hold every entity: a page
// renamed, a diagram loaded over the one shown; and the recovery copy's two halves. Run from a
// release build:
//   build/release/bench/quorvane_bench_history
#include <malloc.h>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <string>

#include "diagram_file_writer.h"
#include "editor_panel.h"
#include "entity.h"
#include "generated_diagram.h"
#include "ooa_panel.h"
#include "property.h"
#include "recovery_store.h"
#include "relation.h"

namespace {
constexpr int kEntities = 5000;

// Answers every input box with the next of two names and every question with Yes, so that each
// command changes what it is about.
class AnsweringPlatform : public QuietPlatform {
 public:
  std::string InputBox(const std::string&, const std::string&, const std::string&) override {
    flip_ = !flip_;
    return flip_ ? "Renamed A" : "Renamed B";
  }
  bool AskYesNo(const std::string& text, const std::string& title) override {
    // "Continue New Property ??" ends the series after one row.
    return (text + title).find("Continue") == std::string::npos;
  }

 private:
  bool flip_ = false;
};

struct Diagram {
  Diagram() {
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    SetUpEditorPanel(panel);
    BuildGeneratedDiagram(panel, kEntities);
  }
  // An entity from the middle of the list, a different one each time.
  TEntity& Next() {
    next_ = (next_ + 7) % panel.Entities().size();
    return *panel.Entities()[next_];
  }
  AnsweringPlatform platform;
  TOOAPanel panel{platform};
  size_t next_ = kEntities / 2;
};

Diagram& TheDiagram() {
  static Diagram diagram;
  return diagram;
}

// The single-object edits, each as its command runs it.
using TEdit = std::function<void(Diagram&)>;

void Move(Diagram& d) {
  TEntity& entity = d.Next();
  d.panel.DragDrop(entity, entity.Left() % 2 == 0 ? entity.Left() + 1 : entity.Left() - 1, entity.Top());
}
void Rename(Diagram& d) { d.Next().RenameEntity(); }
void AddRow(Diagram& d) { d.Next().AddNewProperty(); }
void Link(Diagram& d) {
  // The first relation of an entity that has one, given its own entity's first row as source.
  for (;;) {
    TEntity& entity = d.Next();
    if (entity.RelationList().empty() || entity.PropertyList().empty()) continue;
    entity.SetSelectedProperty(entity.PropertyList()[0].Object.get());
    entity.RelationList()[0].Object->DragDrop(entity, 1, 1);
    return;
  }
}
void Remove(Diagram& d) {
  TEntity& entity = d.Next();
  d.panel.SetSelectedEntity(&entity);
  entity.RemoveThisEntity();
}

void BM_Edit(benchmark::State& state, TEdit edit, bool recorded) {
  Diagram& d = TheDiagram();
  d.panel.History().Suspend(!recorded);
  for (auto _ : state) edit(d);
  d.panel.History().Suspend(false);
  d.panel.History().Clear();
}

// One step undone, then done again, each with the page shown again as the window shows it after a
// command; the edit itself is not timed.
void BM_UndoRedo(benchmark::State& state, TEdit edit, bool undo) {
  Diagram& d = TheDiagram();
  TDiagramHistory& history = d.panel.History();
  for (auto _ : state) {
    state.PauseTiming();
    edit(d);
    if (!undo) {
      history.Undo();
      d.panel.ShowActivePage();
    }
    state.ResumeTiming();
    undo ? history.Undo() : history.Redo();
    d.panel.ShowActivePage();
  }
  history.Clear();
}

// Edits that reach every entity, and so hold all of them before and after: renaming the page (every
// object's entries may change) and loading a diagram over the one shown (the step keeps both whole).
void RenamePage(Diagram& d) { d.panel.RenameActivePage(); }
void Load(Diagram& d) {
  static const std::string file = WriteGeneratedDiagram(kEntities, (BenchFolder() / "Loaded").string());
  d.panel.EditAll("Load Diagram", [&] { d.panel.OpenDiagramFile(file); }, TEditReach::WholeDiagram);
}

// The heap one step of the edit holds: the edit made once suspended and once recorded, from the
// same diagram, the difference of what stays allocated after each.
void BM_StepMemory(benchmark::State& state, TEdit edit) {
  Diagram& d = TheDiagram();
  TDiagramHistory& history = d.panel.History();
  double megabytes = 0;
  for (auto _ : state) {
    history.Clear();
    history.Suspend(true);
    edit(d);
    history.Suspend(false);
    const size_t suspended = mallinfo2().uordblks;
    edit(d);
    megabytes = (static_cast<double>(mallinfo2().uordblks) - static_cast<double>(suspended)) / (1024.0 * 1024.0);
  }
  state.counters["MB"] = megabytes;
  history.Clear();
}

// Single-object edits of the five kinds in turn until 1,000 steps stand, and the heap they leave
// held: the steps and what the edits themselves added to the diagram (rows) or took from it
// (entities whose images stay). An edit that changed nothing (a link made again) leaves no step.
void BM_ThousandSteps(benchmark::State& state) {
  Diagram& d = TheDiagram();
  const TEdit edits[] = {Move, Rename, AddRow, Link, Remove};
  double megabytes = 0;
  for (auto _ : state) {
    d.panel.History().Clear();
    const size_t before = mallinfo2().uordblks;
    for (size_t i = 0; d.panel.History().StepCount() < 1000; ++i) edits[i % 5](d);
    megabytes = static_cast<double>(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
    state.counters["steps"] = static_cast<double>(d.panel.History().StepCount());
  }
  state.counters["MB"] = megabytes;
  d.panel.History().Clear();
}

// The recovery copy of the diagram: what the user-interface thread does (the file text built), and
// what the copy's own thread does (written, synced and renamed into place, with its description).
void BM_RecoveryText(benchmark::State& state) {
  Diagram& d = TheDiagram();
  for (auto _ : state) benchmark::DoNotOptimize(DiagramFileText(d.panel));
}

void BM_RecoveryWrite(benchmark::State& state) {
  Diagram& d = TheDiagram();
  const std::string text = DiagramFileText(d.panel);
  TRecoveryStore store((BenchFolder() / "recovery").string());
  for (auto _ : state) store.Write(text, {d.panel.DiagramName(), "/", 0, ""});
  store.Remove();
  state.counters["MB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
}

void RegisterAll() {
  const struct {
    const char* name;
    TEdit edit;
  } edits[] = {{"Move", Move}, {"Rename", Rename}, {"AddRow", AddRow}, {"Link", Link}, {"RemoveEntity", Remove}};
  const auto add = [](const std::string& name, auto function, auto... arguments) {
    return benchmark::RegisterBenchmark(name.c_str(), function, arguments...)->Unit(benchmark::kMicrosecond);
  };
  for (const auto& [name, edit] : edits) {
    add(std::string("Edit/") + name + "/recorded", BM_Edit, edit, true)->Iterations(200);
    add(std::string("Edit/") + name + "/suspended", BM_Edit, edit, false)->Iterations(200);
    add(std::string("Undo/") + name, BM_UndoRedo, edit, true)->Iterations(100);
    add(std::string("Redo/") + name, BM_UndoRedo, edit, false)->Iterations(100);
  }
  benchmark::RegisterBenchmark("Recovery/TextOnTheUserInterfaceThread", BM_RecoveryText)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Recovery/WriteOnItsOwnThread", BM_RecoveryWrite)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ThousandSteps", BM_ThousandSteps)->Unit(benchmark::kMillisecond)->Iterations(1);
  const struct {
    const char* name;
    TEdit edit;
  } whole[] = {{"RenamePage", RenamePage}, {"Load", Load}};
  for (const auto& [name, edit] : whole) {
    const auto addWhole = [](const std::string& fullName, auto function, auto... arguments) {
      return benchmark::RegisterBenchmark(fullName.c_str(), function, arguments...)->Unit(benchmark::kMillisecond);
    };
    addWhole(std::string("Edit/") + name + "/recorded", BM_Edit, edit, true)->Iterations(10);
    addWhole(std::string("Edit/") + name + "/suspended", BM_Edit, edit, false)->Iterations(10);
    addWhole(std::string("Undo/") + name, BM_UndoRedo, edit, true)->Iterations(10);
    addWhole(std::string("StepMemory/") + name, BM_StepMemory, edit)->Iterations(1);
  }
}
}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code error;
  std::filesystem::remove_all(BenchFolder(), error);
  return 0;
}
