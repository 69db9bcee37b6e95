#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/datasheet/fit_error.h"
#include "tavrix/fit/fit_matrix.h"
#include "tavrix/model/parameters.h"

namespace tavrix {

struct FitOptions {
  ParameterChoice fitted{};    // the others are held at their initial values
  bool enforceLimits = false;  // the "<" points are upper limits of the model
};

// What a fit came to: the parameters with their uncertainties and what
// they give at every point, or why there is no solution.
struct FitOutcome {
  bool solved = false;
  std::string reason;  // why not, when not solved
  ParameterChoice fitted{};
  RBPar parameters;  // the fitted ones from the fit, the others as held
  // The inverse of the normal system of the fitted parameters (in their
  // order, 1..count), after a limit search of the chosen candidate.
  FitMat inverse;
  // t(dof) sqrt(weighted / dof) times the fit error: the uncertainty of a
  // fitted parameter is this times the square root of its diagonal entry.
  double coverage = 0;
  int dof = 0;                    // weighted points less fitted parameters
  FitErrors errors;               // the fit error (F12) and the result at every point
  std::vector<int> activeLimits;  // the "<" points held as equalities, in sheet order
  explicit operator bool() const { return solved; }

  // The uncertainty of parameter `index` (its ± at about 95 %), none for
  // a parameter held, NaN (not known) without degrees of freedom.
  std::optional<double> Uncertainty(int index) const;
};

// t(dof) sqrt(weighted / dof) S, where t approximates the two-sided 95 %
// quantile of Student's t distribution; 0 without degrees of freedom.
double CoverageFactor(int weighted, int dof, double S);

// Fits the chosen parameters by weighted linear least squares on the
// normal equations, the others held at their initial values. With the
// limits enforced and a "<" point violated, searches the sets of one, two,
// then three limits held as equalities and keeps the admissible candidate
// with the smallest fit error; a candidate whose system is singular is not
// admissible. There is no solution when a parameter held has no value,
// when the points do not determine the fitted parameters, when no
// candidate is admissible, or when a parameter does not fit its cell.
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
