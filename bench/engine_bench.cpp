// Speed of the data-sheet engine. Run: build/bench/tavrix_bench
#include <benchmark/benchmark.h>


#include "support/data_sheet.h"
#include "tavrix/fit/optimize.h"
#include "tavrix/sheet/sheet_pass.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::SheetContents;
using testing_support::NumberText;
using testing_support::TypedPoint;

// n points of the model, scattered by a few hundredths, over 25-500 C and
// 500-5000 bar (no two alike); every `limitEvery`-th one a "<" point set
// below the model.
SheetContents ModelSheet(int n, int limitEvery) {
  const RBPar truth{-1.2, 0.55f, -120.0f};
  SheetContents contents;
  contents.points.clear();
  for (int k = 0; k < n; ++k) {
    const float t = 25.0f + static_cast<float>((k * 4751) % 47500) / 100.0f;
    const float P = 500.0f + static_cast<float>((k * 331) % 4500);
    const float T = KelvinOf(t);
    double pK = RBpK(truth, T, WaterDensity(T, P)) + 0.01 * ((k * 7919) % 13 - 6);
    const bool limit = limitEvery > 0 && k % limitEvery == limitEvery - 1;
    if (limit) pK -= 0.05 + 0.002 * (k % 17);
    contents.points.push_back({NumberText(t), NumberText(P), "", limit ? "<" : "1", NumberText(pK)});
  }
  return contents;
}

void BM_SheetPass10000Points(benchmark::State& state) {
  const MemoryGrid sheet = testing_support::BuildSheet(ModelSheet(10000, 0));
  for (auto _ : state) {
    state.PauseTiming();
    MemoryGrid grid = sheet;
    Problem problem;
    HeadlessView view;
    state.ResumeTiming();
    SheetPass(problem, grid, view, "bench.xls", "Sheet1");
    if (problem.ErrCode != 0) state.SkipWithError(view.messages.back().text.c_str());
  }
}
BENCHMARK(BM_SheetPass10000Points)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_OptimizeWith60LimitsAmong1000Points(benchmark::State& state) {
  MemoryGrid sheet = testing_support::BuildSheet(ModelSheet(1000, 16));  // 62 limits
  Problem passed;
  HeadlessView view;
  SheetPass(passed, sheet, view, "bench.xls", "Sheet1");
  if (passed.ErrCode != 0) state.SkipWithError(view.messages.back().text.c_str());
  view.fit = {true, true, true};
  view.limits = true;
  int64_t solved = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Problem problem = passed;
    MemoryGrid grid = sheet;
    state.ResumeTiming();
    solved += Optimize(problem, grid, view) ? 1 : 0;
  }
  state.counters["limits"] = passed.NRestr;
  state.counters["solved"] = static_cast<double>(solved) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OptimizeWith60LimitsAmong1000Points)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavrix
