// How fast the pK table window shows the plot of a fit with many points,
// drawn offscreen. Run: build/bench/tavrix_plot_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>

#include "table_window.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/plot/plot_data.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

// n points over 25-800 C and 30 pressures from saturation to 4000 bar, a
// third of them weight 0 and a third "<" limits.
DataSheet Measured(int n) {
  DataSheet sheet;
  sheet.species = {{1, "Na+"}};
  for (int k = 1; k <= n; ++k) {
    DataPoint point;
    point.t = 25.0f + static_cast<float>((k * 4751) % 77500) / 100.0f;
    point.pressure =
        k % 30 == 0 ? SatPressure(KelvinOf(100)) : 500.0f + static_cast<float>(100 * (k % 30));
    point.density = 0.9f;
    point.kind = k % 3 == 0 ? PointKind::kIgnored
                            : (k % 3 == 1 ? PointKind::kWeighted : PointKind::kUpperLimit);
    point.weight = point.kind == PointKind::kWeighted ? 1.0f : 0.0f;
    point.pK = -1.0f + static_cast<float>((k * 7919) % 3000) / 1000.0f;
    sheet.points.push_back(point);
  }
  return sheet;
}

const RBPar kFit{-1.2, 0.55f, -120.0f};

long PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// From the fitted problem to the window on screen with table and plot
// drawn, and closed again (Escape).
void BM_TableWindowWithPlot(benchmark::State& state) {
  const DataSheet sheet = Measured(static_cast<int>(state.range(0)));
  ScreenMeasures measures;
  HandlerGuard guard([] {}, [](const std::string&) {});
  PkTableInput input;
  input.title = PkTableTitle("NaCl");
  input.par = kFit;
  const std::vector<std::string> lines = PkTableLines(input);
  for (auto _ : state) {
    TableWindow table(measures, guard, nullptr);
    table.Fill(input.title, lines);
    table.SetPlot(BuildPlotData(sheet, kFit, false));
    table.FitInto(QRect(0, 0, 1280, 1000));
    table.show();
    benchmark::DoNotOptimize(table.grab());
  }
  state.counters["peak_MB"] = static_cast<double>(PeakMegabytes());
}
BENCHMARK(BM_TableWindowWithPlot)->Arg(60)->Arg(10000)->Arg(32767)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
