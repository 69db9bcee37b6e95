// Speed of the data-sheet engine. Run: build/bench/tavrix_bench
#include <benchmark/benchmark.h>

#include "support/data_sheet.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/diagnostics.h"
#include "tavrix/fit/fit.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::NumberText;
using testing_support::SheetContents;
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
    contents.points.push_back(
        {NumberText(t), NumberText(P), "", limit ? "<" : "1", NumberText(pK)});
  }
  return contents;
}

void BM_SheetPass10000Points(benchmark::State& state) {
  const MemoryGrid sheet = testing_support::BuildSheet(ModelSheet(10000, 0));
  for (auto _ : state) {
    state.PauseTiming();
    MemoryGrid grid = sheet;
    state.ResumeTiming();
    const SheetPassResult pass = PassOverSheet(grid, {});
    if (!pass.clean()) state.SkipWithError(pass.read.error->Message().c_str());
  }
}
BENCHMARK(BM_SheetPass10000Points)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_OptimizeWith60LimitsAmong1000Points(benchmark::State& state) {
  MemoryGrid sheet = testing_support::BuildSheet(ModelSheet(1000, 16));  // 62 limits
  const SheetPassResult pass = PassOverSheet(sheet, {});
  if (!pass.clean()) state.SkipWithError(pass.read.error->Message().c_str());
  int64_t solved = 0;
  for (auto _ : state) {
    state.PauseTiming();
    MemoryGrid grid = sheet;
    state.ResumeTiming();
    const FitOutcome outcome = Fit(pass.read.sheet, pass.evaluation, {{true, true, true}, true});
    WriteFitOutcome(grid, outcome);
    solved += outcome ? 1 : 0;
  }
  state.counters["limits"] = static_cast<double>(pass.evaluation.limits.size());
  state.counters["solved"] = static_cast<double>(solved) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OptimizeWith60LimitsAmong1000Points)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A fit of 10 000 points as tavrix fit makes it (the sheet read already):
// the fit and its write-back, without (0) and with (1) the diagnostics and
// their warnings.
void BM_Fit10000Points(benchmark::State& state) {
  const bool diagnostics = state.range(0) != 0;
  const MemoryGrid sheet = testing_support::BuildSheet(ModelSheet(10000, 0));
  MemoryGrid read = sheet;
  const SheetPassResult pass = PassOverSheet(read, {});
  if (!pass.clean()) state.SkipWithError(pass.read.error->Message().c_str());
  std::size_t warnings = 0;
  for (auto _ : state) {
    state.PauseTiming();
    MemoryGrid grid = read;
    state.ResumeTiming();
    const FitOutcome outcome = Fit(pass.read.sheet, pass.evaluation, {{true, true, true}, false});
    WriteFitOutcome(grid, outcome);
    if (diagnostics) {
      const FitDiagnostics d = DiagnosticsOf(pass.read.sheet, pass.evaluation, outcome);
      warnings = DiagnosticWarnings(pass.read.sheet, d).size();
    }
  }
  state.counters["warnings"] = static_cast<double>(warnings);
}
BENCHMARK(BM_Fit10000Points)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavrix
