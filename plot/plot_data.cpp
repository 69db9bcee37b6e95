#include "tavrix/plot/plot_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "tavrix/model/pk_table.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr int kCurveSteps = 240;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string GroupName(PlotGroup::Kind kind, double low, double high) {
  if (kind == PlotGroup::Kind::kSaturation) return "Psat";
  const std::string unit = kind == PlotGroup::Kind::kPressure ? " bar" : " g/cm3";
  return (low == high ? Number(low) : Number(low) + "\u2013" + Number(high)) + unit;
}

// The condition of a point: saturation, its pressure, or its density.
std::pair<PlotGroup::Kind, float> ConditionOf(const DataPoint& point) {
  if (!point.pressure) return {PlotGroup::Kind::kDensity, point.density};
  const auto saturation = SaturationPoint(KelvinOf(point.t));
  if (saturation && *point.pressure == *saturation) return {PlotGroup::Kind::kSaturation, 0.0f};
  return {PlotGroup::Kind::kPressure, *point.pressure};
}

// Groups for the distinct values of one kind of condition: one each, or
// bands of neighbouring values when there are too many.
void AddGroups(PlotGroup::Kind kind, const std::vector<float>& values, std::size_t room,
               std::vector<PlotGroup>& groups,
               std::map<std::pair<PlotGroup::Kind, float>, int>& index) {
  const std::size_t n = values.size();
  const std::size_t bands = std::min(n, std::max<std::size_t>(room, 1));
  for (std::size_t b = 0; b < bands; ++b) {
    const std::size_t first = b * n / bands;
    const std::size_t last = (b + 1) * n / bands - 1;
    const double middle = values[(first + last) / 2];
    groups.push_back({kind, middle, GroupName(kind, values[first], values[last])});
    for (std::size_t i = first; i <= last; ++i)
      index[{kind, values[i]}] = static_cast<int>(groups.size()) - 1;
  }
}

// The density of water at a condition, or nothing where there is no liquid
// to draw (above the critical point on the saturation curve).
std::optional<float> DensityAt(const PlotGroup& group, float T) {
  switch (group.kind) {
    case PlotGroup::Kind::kSaturation: {
      const auto p = SaturationPoint(T);
      if (!p) return std::nullopt;
      return WaterDensity(T, *p);
    }
    case PlotGroup::Kind::kPressure:
      return WaterDensity(T, static_cast<float>(group.value));
    case PlotGroup::Kind::kDensity:
      return static_cast<float>(group.value);
  }
  return std::nullopt;
}

void AddCurves(const DataSheet& sheet, const RBPar& fitted, bool noLimits,
               const std::optional<ParameterCovariance>& covariance, int g, double tLow,
               double tHigh, PlotData& plot) {
  SpeciesNames species = SpeciesNamesOf(sheet);
  const bool charged = ComplexIsCharged(species);
  const PlotGroup& group = plot.groups[static_cast<std::size_t>(g)];
  PlotCurve* open = nullptr;
  for (int i = 0; i <= kCurveSteps; ++i) {
    const double t = tLow + (tHigh - tLow) * i / kCurveSteps;
    const float T = KelvinOf(static_cast<float>(t));
    const auto rho = DensityAt(group, T);
    if (!rho && group.kind == PlotGroup::Kind::kSaturation) break;
    if (!rho || *rho <= 0 || (*rho <= kGasDensity && !noLimits)) {
      open = nullptr;  // gas: a gap in the curve
      continue;
    }
    const float pK = RBpKSingle(fitted, T, *rho);
    if (!std::isfinite(pK)) continue;
    const bool inRange = InRangeOfConfidence(*rho, charged);
    if (!open || open->inRange != inRange) {
      PlotCurve next{g, inRange, {}};
      if (open) {  // no gap where the style changes
        next.points.push_back(open->points.back());
        if (covariance) next.band.push_back(open->band.back());
      }
      plot.curves.push_back(std::move(next));
      open = &plot.curves.back();
    }
    open->points.emplace_back(t, pK);
    if (covariance) open->band.push_back(PkUncertainty(*covariance, RBBasis(T, *rho)));
  }
}

}  // namespace

double NiceStep(double span, int ticks) {
  if (!(span > 0) || ticks < 1) return 1;
  const double raw = span / ticks;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double norm = raw / magnitude;
  const double factor = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 5 ? 5 : 10;
  return factor * magnitude;
}

PlotAxis NiceAxis(double low, double high, int ticks, double minStep) {
  if (high < low) std::swap(low, high);
  if (high == low) low -= minStep, high += minStep;
  const double step = std::max(minStep, NiceStep(high - low, ticks));
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

PlotData BuildPlotData(const DataSheet& sheet, const RBPar& fitted, bool noLimits,
                       const std::optional<ParameterCovariance>& covariance) {
  PlotData plot;

  // The conditions the data were measured at, each kind in order of value.
  std::map<PlotGroup::Kind, std::vector<float>> values;
  double tLow = 1e300;
  double tHigh = -1e300;
  for (const DataPoint& point : sheet.points) {
    const auto [kind, value] = ConditionOf(point);
    values[kind].push_back(value);
    tLow = std::min<double>(tLow, point.t);
    tHigh = std::max<double>(tHigh, point.t);
  }
  std::map<std::pair<PlotGroup::Kind, float>, int> index;
  std::size_t distinct = 0;
  for (auto& [kind, list] : values) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    distinct += list.size();
  }
  std::size_t room = kMaxPlotGroups;
  for (const auto& [kind, list] : values) {
    // Each kind gets room in proportion to its distinct values, at least one.
    const std::size_t share =
        distinct <= kMaxPlotGroups
            ? list.size()
            : std::max<std::size_t>(1, list.size() * kMaxPlotGroups / distinct);
    AddGroups(kind, list, std::min(share, room), plot.groups, index);
    room -= std::min(room, std::min(share, list.size()));
  }
  if (plot.groups.empty()) {  // no data to follow: the table's pressures
    for (int j = 1; j <= kTableColumns; ++j) {
      const double p = TablePressure(j);
      plot.groups.push_back({j == 1 ? PlotGroup::Kind::kSaturation : PlotGroup::Kind::kPressure, p,
                             j == 1 ? "Psat" : GroupName(PlotGroup::Kind::kPressure, p, p)});
    }
    tLow = 25, tHigh = 500;
  }

  plot.t = NiceAxis(std::min(tLow, tHigh), std::max(tLow, tHigh), 9, 10);
  for (int g = 0; g < static_cast<int>(plot.groups.size()); ++g) {
    AddCurves(sheet, fitted, noLimits, covariance, g, tLow, tHigh, plot);
  }

  double low = 1e300;
  double high = -1e300;
  const auto extend = [&](double pK) {
    if (std::isfinite(pK)) low = std::min(low, pK), high = std::max(high, pK);
  };
  for (const PlotCurve& curve : plot.curves) {
    for (const auto& point : curve.points) extend(point.second);
  }
  plot.points.reserve(sheet.points.size());
  for (const DataPoint& point : sheet.points) {
    const auto kind = point.kind == PointKind::kWeighted
                          ? PlotPoint::Kind::kWeighted
                          : (point.kind == PointKind::kIgnored ? PlotPoint::Kind::kIgnored
                                                               : PlotPoint::Kind::kLimit);
    plot.points.push_back({point.t, point.pK, kind, index.at(ConditionOf(point))});
    extend(point.pK);
  }
  if (low <= high) plot.pK = NiceAxis(low, high, 8, 0.5);
  return plot;
}

}  // namespace tavrix
