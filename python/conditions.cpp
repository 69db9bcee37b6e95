#include "conditions.h"

#include <cmath>
#include <limits>
#include <optional>

#include "arrays.h"
#include "tavrix/datasheet/calculator_range.h"
#include "tavrix/water/water.h"

namespace tavrix::python {

float Single(double x) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (x > kMax) return std::numeric_limits<float>::infinity();
  if (x < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(x);
}

bool DensityAtPoint(double t, double second, bool byDensity, double& rho, std::string& error) {
  rho = std::numeric_limits<double>::quiet_NaN();
  if (std::isnan(t) || std::isnan(second)) return true;
  error = CalculatorRangeError(Single(t), Single(second),
                               byDensity ? SecondValue::kDensity : SecondValue::kPressure,
                               NumberText(t), NumberText(second));
  if (!error.empty()) return false;
  if (byDensity) {
    rho = Single(second);
    return true;
  }
  const float T = KelvinOf(Single(t));
  const float P = Single(second);
  const std::optional<float> used = P == 0 ? SaturationPoint(T) : std::optional<float>(P);
  if (!used) return true;
  const float density = WaterDensity(T, *used);
  if (density > 0) rho = density;
  return true;
}

}  // namespace tavrix::python
