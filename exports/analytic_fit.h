#pragma once

#include <optional>
#include <vector>

#include "tavrix/exports/exports.h"

namespace tavrix::exports {

struct AnalyticSample {
  double T;  // kelvin, t + 273.15 as PHREEQC takes the temperature
  double logK;
};

// The -analytic terms fitted to the samples, fewest terms first: for one,
// two, ... six terms, every choice of so many gets its minimax fit; the
// first number of terms with a choice within kAnalyticTolerance wins with
// its choice of smallest deviation, else all six. The deviation is the
// largest over the samples. None when no choice can be fitted.
std::optional<AnalyticFit> FitAnalyticTo(const std::vector<AnalyticSample>& samples);

}  // namespace tavrix::exports
