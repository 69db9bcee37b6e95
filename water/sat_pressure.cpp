#include <algorithm>
#include <cmath>

#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr float kLowFormulaLimit = 314.0f;
constexpr float kCriticalP = 220.93f;

// Coefficients a1 ... a8 of the expansion in powers of sqrt(1 - T/Tc).
constexpr double kExpansion[8] = {-7.8889166, 2.5514255, -6.716169,  33.239495,
                                  -105.38479, 174.35319, -148.39348, 48.631602};

}  // namespace

float SatPressure(float T) {
  if (T < kLowFormulaLimit) {
    return static_cast<float>(std::exp(6.357312 - 8858.843 / T + 607.5634 / std::pow(T, 0.6)));
  }

  const double v = T / static_cast<double>(kCriticalT);
  const double w = 1 - v;
  if (w > 0) {
    const double x = std::sqrt(w);
    double S = kExpansion[7];
    for (int i = 6; i >= 0; --i) S = S * x + kExpansion[i];
    const float ratio = static_cast<float>(std::exp(w * S / v));
    return ratio * kCriticalP;
  }

  // Beyond the critical point: a straight line rising from it.
  return static_cast<float>(kCriticalP - w * 1.034111f * 1729.07f);
}

std::optional<float> SaturationPoint(float T) {
  if (T >= kCriticalT) return std::nullopt;
  return std::max(SatPressure(T), 1.0f);
}

}  // namespace tavrix
