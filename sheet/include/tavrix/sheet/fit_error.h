#pragma once

#include "tavrix/sheet/problem.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

// Where FitError puts its results: nowhere; the total into E12; the total
// into F12 with every point's calculated pK (F) and deviation (G).
inline constexpr int kFitErrorNoOutput = 0;
inline constexpr int kFitErrorInitial = 5;
inline constexpr int kFitErrorOptimized = 6;

// The weighted RMS deviation sqrt(sum (w d)^2 / sum w^2) of the model with
// `par` from the experimental pK, over the points with weight above 0 whose
// calculated pK is defined; 1E35 when there is none. Writes to the sheet
// as `col` says.
double FitError(const Problem& problem, const RBPar& par, int col, SheetHost& sheet);

// The calculated pK of point k, or 1E35 when a parameter is undefined.
double CalculatedPk(const Problem& problem, const RBPar& par, int k);

}  // namespace tavrix
