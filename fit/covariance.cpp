#include "tavrix/fit/covariance.h"

#include <algorithm>

#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/shown_fit.h"

namespace tavrix {

std::optional<ParameterCovariance> CovarianceOf(const FitOutcome& outcome) {
  if (!outcome || outcome.dof <= 0) return std::nullopt;
  ParameterCovariance covariance{};
  // The fitted parameters are the unknowns 1..count, in their order.
  std::array<int, kParameterCount> unknown{};
  int next = 0;
  for (int index = 0; index < kParameterCount; ++index) {
    unknown[static_cast<std::size_t>(index)] =
        outcome.fitted[static_cast<std::size_t>(index)] ? ++next : 0;
  }
  const double scale = outcome.coverage * outcome.coverage;
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    for (std::size_t j = 0; j < kParameterCount; ++j) {
      if (unknown[i] > 0 && unknown[j] > 0) {
        covariance[i][j] = outcome.inverse(unknown[i], unknown[j]) * scale;
      }
    }
  }
  return covariance;
}

bool ShownFitHasDegreesOfFreedom(SheetHost& host, const Evaluation& evaluation, bool decComma) {
  const ParameterChoice fitted = MarkedForFit(host, decComma);
  return evaluation.weighted > std::count(fitted.begin(), fitted.end(), true);
}

std::optional<FitOutcome> ShownFitOutcome(SheetHost& host, const DataSheet& sheet,
                                          const Evaluation& evaluation, bool decComma) {
  const ParameterChoice fitted = MarkedForFit(host, decComma);
  for (const bool limits : {false, true}) {
    if (limits && evaluation.limits.empty()) break;
    FitOutcome outcome = Fit(sheet, evaluation, {fitted, limits});
    if (outcome && CheckShownFit(host, outcome.parameters, decComma).shown) return outcome;
  }
  return std::nullopt;
}

std::optional<ParameterCovariance> ShownFitCovariance(SheetHost& host, const DataSheet& sheet,
                                                      const Evaluation& evaluation, bool decComma) {
  const std::optional<FitOutcome> outcome = ShownFitOutcome(host, sheet, evaluation, decComma);
  if (!outcome) return std::nullopt;
  return CovarianceOf(*outcome);
}

}  // namespace tavrix
