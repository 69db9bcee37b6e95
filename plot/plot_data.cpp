#include "tavrix/plot/plot_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <utility>

#include "tavrix/fit/covariance.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr int kCurveSteps = 240;
constexpr double kResidualStep = 0.01;  // the finest tick interval of a residual
constexpr int kBoundarySteps = 16;      // halvings of a step where a curve changes its style
constexpr int kMaxEdgesInAStep = 4;

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

// What a condition's curve has at t: no value, or a value drawn in one
// style.
struct CurveState {
  bool hasValue = false;
  bool inRange = false;
  bool extrapolated = false;
  float density = 0;
  bool SameStyle(const CurveState& other) const {
    return hasValue == other.hasValue && inRange == other.inRange &&
           extrapolated == other.extrapolated;
  }
};

struct CurveRules {
  DomainRules domain;
  std::optional<DataSpan> span;  // none without weighted points: nothing is extrapolated
};

ModelCondition GroupCondition(const PlotGroup& group, float t, const DomainRules& rules) {
  switch (group.kind) {
    case PlotGroup::Kind::kSaturation:
      return ConditionAtPressure(t, 0, rules);
    case PlotGroup::Kind::kPressure:
      return ConditionAtPressure(t, static_cast<float>(group.value), rules);
    case PlotGroup::Kind::kDensity:
      break;
  }
  return ConditionAtDensity(t, static_cast<float>(group.value), rules);
}

CurveState StateAt(const PlotGroup& group, double t, const CurveRules& rules) {
  const ModelCondition condition = GroupCondition(group, static_cast<float>(t), rules.domain);
  CurveState state;
  if (!condition.hasValue) return state;
  state.hasValue = true;
  state.density = condition.density;
  state.inRange = InRangeOfConfidence(condition.density, rules.domain.charged);
  state.extrapolated = rules.span && !rules.span->Contains(condition.t, condition.density);
  return state;
}

// Where the style changes between a (of style `from`) and b: the last t
// found of that style and the first beyond it, with their states.
struct Edge {
  double last;
  CurveState atLast;
  double beyond;
  CurveState atBeyond;
};
Edge EdgeBetween(const PlotGroup& group, const CurveRules& rules, double a, double b,
                 const CurveState& from) {
  Edge edge{a, from, b, StateAt(group, b, rules)};
  for (int k = 0; k < kBoundarySteps; ++k) {
    const double middle = (edge.last + edge.beyond) / 2;
    const CurveState state = StateAt(group, middle, rules);
    if (state.SameStyle(from)) {
      edge.last = middle;
      edge.atLast = state;
    } else {
      edge.beyond = middle;
      edge.atBeyond = state;
    }
  }
  return edge;
}

// A model's pK (and u(pK), where known) at T in kelvin and a density.
struct CurveValue {
  double pK;
  std::optional<double> u;
};
using CurveModel = std::function<CurveValue(float T, float rho)>;

// The sheet's RB fit as the table evaluates it, with its band.
CurveModel RBCurve(const RBPar& fitted, const std::optional<ParameterCovariance>& covariance) {
  return [&fitted, &covariance](float T, float rho) {
    CurveValue value{RBpKSingle(fitted, T, rho), std::nullopt};
    if (covariance) value.u = PkUncertainty(*covariance, RBBasis(T, rho));
    return value;
  };
}

// Draws one condition's curve, piece by piece.
class CurveBuilder {
 public:
  CurveBuilder(const CurveModel& model, int modelIndex, int g, PlotData& plot)
      : model_(model), modelIndex_(modelIndex), group_(g), plot_(plot) {}

  // Adds the pK at (t, its state) to the open piece, opening one of the
  // state's style when none is open.
  void Add(double t, const CurveState& state) {
    if (!open_) {
      plot_.curves.push_back({group_, state.inRange, state.extrapolated, {}, {}, modelIndex_});
      open_ = &plot_.curves.back();
      if (joint_) {
        open_->points.push_back(joint_->point);
        if (joint_->u) open_->band.push_back(*joint_->u);
        joint_.reset();
      }
    }
    const CurveValue value = model_(KelvinOf(static_cast<float>(t)), state.density);
    if (!std::isfinite(value.pK)) return;
    open_->points.emplace_back(t, value.pK);
    if (value.u) open_->band.push_back(*value.u);
  }

  // Ends the open piece; when `joined`, the next begins where it ended (no
  // gap where only the style changes).
  void End(bool joined) {
    if (joined && open_ && !open_->points.empty()) {
      joint_ =
          Joint{open_->points.back(),
                open_->band.empty() ? std::nullopt : std::optional<double>(open_->band.back())};
    }
    open_ = nullptr;
  }

 private:
  struct Joint {
    std::pair<double, double> point;
    std::optional<double> u;
  };
  const CurveModel& model_;
  int modelIndex_;
  int group_;
  PlotData& plot_;
  PlotCurve* open_ = nullptr;
  std::optional<Joint> joint_;
};

void AddCurves(const CurveModel& model, int modelIndex, const CurveRules& rules, int g, double tLow,
               double tHigh, PlotData& plot) {
  const PlotGroup& group = plot.groups[static_cast<std::size_t>(g)];
  CurveBuilder builder(model, modelIndex, g, plot);
  CurveState previous;
  double previousT = tLow;
  for (int i = 0; i <= kCurveSteps; ++i) {
    const double t = tLow + (tHigh - tLow) * i / kCurveSteps;
    const CurveState state = StateAt(group, t, rules);
    // Each piece runs to the edge of its style, found between the steps
    // (where one style gives way to another, and that to a third, too).
    for (int edges = 0; i > 0 && edges < kMaxEdgesInAStep && !state.SameStyle(previous); ++edges) {
      const Edge edge = EdgeBetween(group, rules, previousT, t, previous);
      if (previous.hasValue) builder.Add(edge.last, edge.atLast);
      builder.End(previous.hasValue && edge.atBeyond.hasValue);
      if (edge.atBeyond.hasValue && !previous.hasValue) builder.Add(edge.beyond, edge.atBeyond);
      previous = edge.atBeyond;
      previousT = edge.beyond;
    }
    if (state.hasValue) builder.Add(t, state);
    previous = state;
    previousT = t;
  }
}

CurveRules RulesOf(const DataSheet& sheet, bool noLimits) {
  SpeciesNames species = SpeciesNamesOf(sheet);
  return {{ComplexIsCharged(species), noLimits, SaturationRule::kSheet},
          SpanOfWeightedPoints(sheet)};
}

// The pK axis over every curve and point.
void FitPkAxis(PlotData& plot) {
  double low = 1e300;
  double high = -1e300;
  const auto extend = [&](double pK) {
    if (std::isfinite(pK)) low = std::min(low, pK), high = std::max(high, pK);
  };
  for (const PlotCurve& curve : plot.curves) {
    for (const auto& point : curve.points) extend(point.second);
  }
  for (const PlotPoint& point : plot.points) extend(point.y);
  if (low <= high) plot.y = NiceAxis(low, high, 8, 0.5);
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

  plot.x = NiceAxis(std::min(tLow, tHigh), std::max(tLow, tHigh), 9, 10);
  const CurveModel rb = RBCurve(fitted, covariance);
  const CurveRules rules = RulesOf(sheet, noLimits);
  for (int g = 0; g < static_cast<int>(plot.groups.size()); ++g) {
    AddCurves(rb, 0, rules, g, tLow, tHigh, plot);
  }

  plot.points.reserve(sheet.points.size());
  for (const DataPoint& point : sheet.points) {
    const auto kind = point.kind == PointKind::kWeighted
                          ? PlotPoint::Kind::kWeighted
                          : (point.kind == PointKind::kIgnored ? PlotPoint::Kind::kIgnored
                                                               : PlotPoint::Kind::kLimit);
    plot.points.push_back({point.t, point.pK, kind, index.at(ConditionOf(point))});
  }
  FitPkAxis(plot);
  return plot;
}

void AddModelCurves(PlotData& plot, const DataSheet& sheet, const FittedModel& fitted, int model,
                    bool noLimits) {
  const CurveModel curve = [&fitted](float T, float rho) {
    return CurveValue{fitted.Pk(T, rho), std::nullopt};
  };
  const CurveRules rules = RulesOf(sheet, noLimits);
  const double tLow = std::min(plot.x.low, plot.x.high), tHigh = std::max(plot.x.low, plot.x.high);
  double dataLow = tHigh, dataHigh = tLow;  // the curves span the data's temperatures
  for (const DataPoint& point : sheet.points) {
    dataLow = std::min<double>(dataLow, point.t);
    dataHigh = std::max<double>(dataHigh, point.t);
  }
  if (dataLow > dataHigh) dataLow = 25, dataHigh = 500;
  for (int g = 0; g < static_cast<int>(plot.groups.size()); ++g) {
    AddCurves(curve, model, rules, g, dataLow, dataHigh, plot);
  }
  FitPkAxis(plot);
}

void MarkDiagnostics(PlotData& plot, const DataSheet& sheet, const FitDiagnostics& diagnostics) {
  for (const PointDiagnostics& point : diagnostics.points) {
    std::string note = PointWarning(sheet, diagnostics, point);
    if (note.empty()) continue;
    plot.points.at(static_cast<std::size_t>(point.point)).flagged = true;
    plot.notes[point.point] = std::move(note);
  }
}

PlotData PlotOfFit(const DataSheet& sheet, const Evaluation& evaluation, const FitOutcome& outcome,
                   const RBPar& shown, bool noLimits) {
  PlotData plot = BuildPlotData(sheet, shown, noLimits, CovarianceOf(outcome));
  MarkDiagnostics(plot, sheet, DiagnosticsOf(sheet, evaluation, outcome));
  return plot;
}

PlotData ResidualPlotData(const PlotData& fit, const DataSheet& sheet,
                          const std::vector<std::optional<double>>& residuals,
                          ResidualAxis against) {
  const bool byT = against == ResidualAxis::kTemperature;
  PlotData plot;
  plot.groups = fit.groups;
  plot.xTitle = byT ? fit.xTitle : "density (g/cm3)";
  plot.yTitle = "residual (pK)";
  plot.guides = {0};
  double low = 1e300, high = -1e300, largest = 0;
  for (std::size_t k = 0; k < sheet.points.size() && k < residuals.size(); ++k) {
    if (!residuals[k] || !std::isfinite(*residuals[k])) continue;
    PlotPoint point = fit.points.at(k);
    point.x = byT ? sheet.points[k].t : sheet.points[k].density;
    point.y = *residuals[k];
    low = std::min(low, point.x);
    high = std::max(high, point.x);
    largest = std::max(largest, std::fabs(point.y));
    if (const auto note = fit.notes.find(static_cast<int>(k)); note != fit.notes.end())
      plot.notes[static_cast<int>(plot.points.size())] = note->second;
    plot.points.push_back(point);
  }
  if (low <= high) plot.x = NiceAxis(low, high, 8, byT ? 10 : 0.05);
  plot.y = NiceAxis(-largest, largest, 6, kResidualStep);
  return plot;
}

}  // namespace tavrix
