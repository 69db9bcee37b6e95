#pragma once

#include <optional>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/fit/fit.h"
#include "tavrix/model/pk_uncertainty.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

// The covariance of a solved fit's parameters, scaled as the fit scales
// their ± values: the inverse of the normal system of the fitted
// parameters (with the "<" limits it holds as equalities) times the
// square of its coverage, so that the square root of a diagonal entry is
// that parameter's ±. A parameter held contributes nothing. None for a
// fit without solution or without degrees of freedom (as many fitted
// parameters as weighted points), whose ± are not known.
std::optional<ParameterCovariance> CovarianceOf(const FitOutcome& outcome);

// Whether the sheet has more weighted points than it marks parameters as
// fitted: without, the fit it shows has no known uncertainties, and
// ShownFitCovariance finds none.
bool ShownFitHasDegreesOfFreedom(SheetHost& host, const Evaluation& evaluation, bool decComma);

// The fit a sheet shows, run again from its points: the parameters it
// marks as fitted (those with a ± in G), without the "<" limits and, when
// that does not give what F9:F11 show, with them. Its covariance, or none
// when neither gives the parameters shown (the points or the choice
// changed since the fit) or the fit has no degrees of freedom.
std::optional<ParameterCovariance> ShownFitCovariance(SheetHost& host, const DataSheet& sheet,
                                                      const Evaluation& evaluation, bool decComma);

// That fit itself, solved again from the sheet's points: none when neither
// run gives the parameters shown.
std::optional<FitOutcome> ShownFitOutcome(SheetHost& host, const DataSheet& sheet,
                                          const Evaluation& evaluation, bool decComma);

}  // namespace tavrix
