// Speed of the numeric core. Run: build/bench/tavrix_bench
#include <benchmark/benchmark.h>

#include <vector>

#include "tavrix/exports/exports.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

struct GridPoint {
  float T;
  float P;
};

// The 55 (T, P) points of the pK table, saturation resolved as the table does.
std::vector<GridPoint> TableGrid() {
  std::vector<GridPoint> grid;
  for (int i = 1; i <= kTableRows; ++i) {
    const float T = KelvinOf(TableTemperature(i));
    for (int j = 1; j <= kTableColumns; ++j) {
      const float P = TablePressure(j);
      grid.push_back({T, P != 0 ? P : SaturationPoint(T).value_or(1.0f)});
    }
  }
  return grid;
}

// One WaterDensity call per iteration, going round the 55 grid points.
void BM_WaterDensityTableGrid(benchmark::State& state) {
  const std::vector<GridPoint> grid = TableGrid();
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(WaterDensity(grid[k].T, grid[k].P));
    k = k + 1 == grid.size() ? 0 : k + 1;
  }
}
BENCHMARK(BM_WaterDensityTableGrid)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SatPressure(benchmark::State& state) {
  float T = 280.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SatPressure(T));
    T = T < 640.0f ? T + 7.0f : 280.0f;  // both formulas
  }
}
BENCHMARK(BM_SatPressure)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_PkTable(benchmark::State& state) {
  PkTableInput input;
  input.title = PkTableTitle("NaCl");
  input.par = {-1.166, 0.507f, -90.35f};
  input.species[1] = "Na+";
  for (auto _ : state) benchmark::DoNotOptimize(TableText(PkTableLines(input), true));
}
BENCHMARK(BM_PkTable)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FormatMasked(benchmark::State& state) {
  double x = -3.14159;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatMasked("####.###", x));
    x += 1.2345;
    if (x > 999) x = -999;
  }
}
BENCHMARK(BM_FormatMasked)->Repetitions(5)->ReportAggregatesOnly(true);

// The PHREEQC -analytic fit of the NaCl example over 0-350 C (every choice
// of terms: none is within the tolerance).
void BM_FitAnalytic(benchmark::State& state) {
  const FittedModel nacl = FittedRB({-1.229, 0.566f, -129.21f}, std::nullopt);
  for (auto _ : state) benchmark::DoNotOptimize(FitAnalytic(nacl, 0, 350));
}
BENCHMARK(BM_FitAnalytic)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavrix
