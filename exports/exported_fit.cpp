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

constexpr float kHundredCelsius = 100.0f;
constexpr float kOneAtmosphere = 1.01325f;  // bar

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
  return fit;
}

PkAtPoint PkAtDensity(const ExportedFit& fit, float t, float density) {
  const RBBasisTerms basis = RBBasis(KelvinOf(t), density);
  PkAtPoint point{t, std::nullopt, density, RBpK(fit.parameters, basis), std::nullopt};
  if (fit.covariance) point.u = PkUncertainty(*fit.covariance, basis);
  return point;
}

std::optional<PkAtPoint> PkAtPressure(const ExportedFit& fit, float t, float P) {
  const float density = WaterDensity(KelvinOf(t), P);
  if (!(density > 0)) return std::nullopt;
  PkAtPoint point = PkAtDensity(fit, t, density);
  point.P = P;
  return point;
}

std::optional<float> CodesSaturationPressure(float t) {
  if (t < kHundredCelsius) return kOneAtmosphere;
  const float T = KelvinOf(t);
  if (T >= kCriticalT) return std::nullopt;
  return SatPressure(T);
}

}  // namespace tavrix
