#include "tavrix/app/plot_data.h"

#include <cmath>

#include "tavrix/model/pk_table.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr double kStep = 2.5;

// The column a point belongs with: saturation when its pressure is the
// saturation pressure, else the nearest pressure of the table.
int ColumnOf(const Problem& p, std::size_t k) {
  const float T = KelvinOf(p.PtT[k]);
  const auto saturation = SaturationPoint(T);
  if (p.PtP[k] < kUndefinedFrom && saturation && p.PtP[k] == *saturation) return 1;
  double pressure = p.PtP[k];
  if (!(pressure < kUndefinedFrom)) {
    // Given by density: the pressure of the table whose density is nearest.
    double best = 1e300;
    int column = 2;
    for (int j = 2; j <= kTableColumns; ++j) {
      const double gap = std::fabs(WaterDensity(T, TablePressure(j)) - p.PtD[k]);
      if (gap < best) best = gap, column = j;
    }
    return column;
  }
  int column = 2;
  for (int j = 2; j <= kTableColumns; ++j) {
    if (std::fabs(TablePressure(j) - pressure) < std::fabs(TablePressure(column) - pressure)) column = j;
  }
  return column;
}

}  // namespace

std::string ColumnName(int column) {
  return column == 1 ? "Psat" : std::to_string(static_cast<int>(TablePressure(column))) + " bar";
}

PlotData BuildPlotData(const Problem& problem) {
  SpeciesNames species = problem.Species;
  const bool charged = ComplexIsCharged(species);
  PlotData plot;
  for (int j = 1; j <= kTableColumns; ++j) {
    PlotCurve* open = nullptr;
    for (double t = 25; t <= 500 + 1e-9; t += kStep) {
      const float T = KelvinOf(static_cast<float>(t));
      float p = TablePressure(j);
      std::optional<float> saturation;
      if (p == 0 && !(saturation = SaturationPoint(T))) break;
      if (p == 0) p = *saturation;
      const float rho = WaterDensity(T, p);
      if (rho <= 0 || (rho <= kGasDensity && !problem.NoLimits)) {
        open = nullptr;  // gas: a gap in the curve
        continue;
      }
      const float pK = RBpKSingle(problem.OptPar, T, rho);
      if (!std::isfinite(pK)) continue;
      const bool inRange = InRangeOfConfidence(rho, charged);
      if (!open || open->inRange != inRange) {
        PlotCurve next{j, inRange, {}};
        if (open) next.points.push_back(open->points.back());  // no gap where the style changes
        plot.curves.push_back(std::move(next));
        open = &plot.curves.back();
      }
      open->points.emplace_back(t, pK);
    }
  }
  for (std::size_t k = 1; k <= static_cast<std::size_t>(problem.NPoints); ++k) {
    const float w = problem.PtW[k];
    const auto kind = w > 0 ? PlotPoint::Kind::kWeighted
                            : (w == 0 ? PlotPoint::Kind::kIgnored : PlotPoint::Kind::kLimit);
    plot.points.push_back({problem.PtT[k], problem.PtPK[k], kind, ColumnOf(problem, k)});
  }
  return plot;
}

}  // namespace tavrix
