#include <algorithm>

#include "tavrix/exports/exports.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

// The pressure a point was taken at (bar): as given or at saturation, or
// that of the equation of state at its given density.
float PressureOf(const DataPoint& point) {
  if (point.pressure) return *point.pressure;
  return static_cast<float>(WaterPressure(KelvinOf(point.t), point.density));
}

}  // namespace

ExportedFit ExportedFitOf(const DataSheet& sheet, const RBPar& shown,
                          const std::optional<ParameterCovariance>& covariance) {
  ExportedFit fit{sheet.title, sheet.complex, sheet.species, shown, covariance, std::nullopt};
  for (const DataPoint& point : sheet.points) {
    if (point.kind != PointKind::kWeighted) continue;
    const float P = PressureOf(point);
    if (!fit.range) {
      fit.range = ExportedFit::Range{point.t, point.t, P, P};
      continue;
    }
    ExportedFit::Range& range = *fit.range;
    range.tLow = std::min(range.tLow, point.t);
    range.tHigh = std::max(range.tHigh, point.t);
    range.pLow = std::min(range.pLow, P);
    range.pHigh = std::max(range.pHigh, P);
  }
  fit.span = SpanOfWeightedPoints(sheet);
  SpeciesNames species = SpeciesNamesOf(sheet);
  fit.charged = ComplexIsCharged(species);
  return fit;
}

ExportedFit ExportedFitOf(const DataSheet& sheet, const FittedModel& other) {
  ExportedFit fit = ExportedFitOf(sheet, sheet.optimized, std::nullopt);
  fit.other = other;
  return fit;
}

FittedModel ExportedFit::Fitted() const {
  return other ? *other : FittedRB(parameters, covariance);
}

namespace {

PkAtPoint PkAt(const ExportedFit& fit, const ModelCondition& condition) {
  PkAtPoint point{condition, std::nullopt, std::nullopt, false};
  point.extrapolated = fit.span && !fit.span->Contains(condition.t, condition.density);
  if (!condition.hasValue) return point;
  const FittedModel model = fit.Fitted();
  const ModelRow row = model.model->row(KelvinOf(condition.t), condition.density);
  point.pK = ModelPk(*model.model, model.values, row);
  if (model.covariance) point.u = ModelPkUncertainty(*model.model, *model.covariance, row);
  return point;
}

}  // namespace

PkAtPoint PkAtPressure(const ExportedFit& fit, float t, float P, const PkRules& rules) {
  return PkAt(fit, ConditionAtPressure(t, P, {fit.charged, rules.noLimits, rules.saturation}));
}

PkAtPoint PkAtDensity(const ExportedFit& fit, float t, float density, const PkRules& rules) {
  return PkAt(fit, ConditionAtDensity(t, density, {fit.charged, rules.noLimits, rules.saturation}));
}

std::optional<float> CodesSaturationPressure(float t) {
  return SaturationPressureOf(t, SaturationRule::kCodes);
}

}  // namespace tavrix
