#include "tavrix/fit/covariance.h"

#include <algorithm>

#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/shown_fit.h"

namespace tavrix {

std::optional<ParameterCovariance> CovarianceOf(const FitOutcome& outcome) {
  const std::optional<ModelCovariance> model = ModelCovarianceOf(outcome);
  if (!model) return std::nullopt;
  ParameterCovariance covariance{};
  for (std::size_t i = 0; i < kParameterCount; ++i) {
    for (std::size_t j = 0; j < kParameterCount; ++j) covariance[i][j] = (*model)[i][j];
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
