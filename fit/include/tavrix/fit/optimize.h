#pragma once

#include <string>

#include "tavrix/fit/fit_matrix.h"
#include "tavrix/sheet/problem.h"
#include "tavrix/sheet/sheet_host.h"
#include "tavrix/sheet/view.h"

namespace tavrix {

// What a fit came to: solved, or the reason it found no solution.
struct OptimizeResult {
  bool solved = false;
  std::string reason;  // "" when solved
  explicit operator bool() const { return solved; }
};

// Fits the parameters whose boxes are ticked by weighted linear least
// squares on the normal sums of the last clean sheet pass, the others held
// at their initial values. With the limits box ticked and a "<" point
// violated, searches the sets of one, two, then three limits held as
// equalities and keeps the admissible candidate with the smallest fit
// error; a candidate whose system is singular is not admissible. Clears
// F9:G12 first; on success writes the result back (WriteFitResult). There
// is no solution, shown as "Could not find solution", when a parameter
// held fixed has no value, when the points do not determine the fitted
// parameters, when no candidate is admissible, or when a parameter does
// not fit its cell's mask.
OptimizeResult Optimize(Problem& problem, SheetHost& sheet, View& view);

// Writes the fit into the sheet: calculated pK and deviations, F12, the
// optimized values F9:F11 and, for each fitted parameter, its uncertainty
// or "optimized" in G9:G11. `inverse` is the inverted system whose
// unknowns 1..m are the fitted parameters in order.
void WriteFitResult(const Problem& problem, const FitMat& inverse, SheetHost& sheet,
                    const View& view);

}  // namespace tavrix
