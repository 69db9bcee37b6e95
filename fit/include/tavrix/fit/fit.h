#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/datasheet/fit_error.h"
#include "tavrix/fit/model_fit.h"
#include "tavrix/model/parameters.h"

namespace tavrix {

struct FitOptions {
  ParameterChoice fitted{};    // the others are held at their initial values
  bool enforceLimits = false;  // the "<" points are upper limits of the model
};

// What a fit of the sheet's RB model came to: the fit of the model, and
// its parameters as the sheet holds them (the same numbers as `values`).
struct FitOutcome : ModelFit {
  RBPar parameters;  // the fitted ones from the fit, the others as held
};

// Fits the chosen RB parameters (FitModel), the others held at the
// sheet's initial values. There is also no solution when a parameter does
// not fit its cell.
FitOutcome Fit(const DataSheet& sheet, const Evaluation& evaluation, const FitOptions& options);

// The cells a fit writes for a parameter: its optimized value (F9:F11),
// the number its mask shows; its uncertainty (G9:G11), that number, or
// "optimized" when it is too small to show, or empty for a parameter held.
CellContent OptimizedCell(int index, const RBPar& parameters);
CellContent UncertaintyCell(int index, const FitOutcome& outcome);

// Writes a fit into the sheet. F9:G12 are cleared first, also for a fit
// without solution, which writes nothing else; a solution writes every
// point's calculated pK and deviation, F12, F9:F11 and G9:G11.
void WriteFitOutcome(SheetHost& host, const FitOutcome& outcome);

}  // namespace tavrix
