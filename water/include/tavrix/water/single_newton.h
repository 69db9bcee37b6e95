#pragma once

#include <cmath>
#include <optional>

namespace tavrix {

// Newton iteration that runs in double precision and converges on the
// single-precision value: x = x + step(x) until a step leaves the value,
// rounded to single, unchanged. Only steps that change the rounded value
// count; when maxSteps of them have been taken the iteration gives up.
// Nothing is returned when it gives up or a step is not finite.
template <typename Step>
std::optional<float> IterateToSingle(float start, int maxSteps, Step step) {
  double x = start;
  float previous = start;
  for (int changed = 0; changed < maxSteps;) {
    const double delta = step(x);
    if (!std::isfinite(delta)) return std::nullopt;
    x = x + delta;
    const float rounded = static_cast<float>(x);
    if (!std::isfinite(rounded)) return std::nullopt;
    if (rounded == previous) return rounded;
    previous = rounded;
    ++changed;
  }
  return std::nullopt;
}

}  // namespace tavrix
