// The automatic layout in the core alone, on generated schemas: tables of two to twelve columns,
// each linked to one or two tables before it and now and then to another. One page of about 40
// tables laid out; and 2,000 tables with 2,500 links grouped into pages and every page laid out,
// which is what an import of a generated 2,000-table script waits for. Run from a release build:
//   build/release/bench/quorvane_bench_layout
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "graph_layout.h"

namespace {
struct Schema {
  std::vector<TLayoutBox> Boxes;
  std::vector<TLayoutLink> Links;
};

Schema GeneratedSchema(int tables, int links) {
  std::mt19937 random(tables);
  const auto below = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  Schema schema;
  for (int i = 0; i < tables; ++i) {
    schema.Boxes.push_back({120 + below(140), 30 + 20 * (2 + below(11))});
    if (i > 0) schema.Links.push_back({i, std::max(0, i - 1 - below(8))});
  }
  while (static_cast<int>(schema.Links.size()) < links) schema.Links.push_back({below(tables), below(tables)});
  return schema;
}

void BM_LayOutOnePage(benchmark::State& state) {
  const Schema schema = GeneratedSchema(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)) * 5 / 4);
  bool fits = true;
  for (auto _ : state) fits = LayoutBoxes(schema.Boxes, schema.Links, 2048).Fits && fits;
  state.counters["fits"] = fits;
}

void BM_GroupAndLayOutPages(benchmark::State& state) {
  const Schema schema = GeneratedSchema(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)) * 5 / 4);
  size_t pages = 0, fitting = 0;
  for (auto _ : state) {
    const std::vector<std::vector<int>> groups = GroupBoxesForPages(schema.Boxes, schema.Links, 2048);
    std::vector<int> local(schema.Boxes.size(), -1);
    pages = groups.size();
    fitting = 0;
    for (const std::vector<int>& group : groups) {
      Schema page;
      for (int box : group) {
        local[box] = static_cast<int>(page.Boxes.size());
        page.Boxes.push_back(schema.Boxes[box]);
      }
      for (const TLayoutLink& link : schema.Links)
        if (local[link.From] >= 0 && local[link.To] >= 0) page.Links.push_back({local[link.From], local[link.To]});
      fitting += LayoutBoxes(page.Boxes, page.Links, 2048).Fits;
      for (int box : group) local[box] = -1;
    }
  }
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["fitting"] = static_cast<double>(fitting);
}

BENCHMARK(BM_LayOutOnePage)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupAndLayOutPages)->Arg(2000)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
