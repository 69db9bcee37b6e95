#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/datasheet/fit_error.h"
#include "tavrix/fit/fit_matrix.h"
#include "tavrix/model/models.h"
#include "tavrix/model/parameters.h"

namespace tavrix {

struct ModelFitOptions {
  ParameterChoice fitted{};    // the others are held at `held`
  ModelValues held{};          // the values of the parameters held
  bool enforceLimits = false;  // the "<" points are upper limits of the model
};

// Every parameter of the model fitted.
ModelFitOptions FitAll(const Model& model, bool enforceLimits);

// What a fit of a model came to: its parameters with their uncertainties
// and what they give at every point, or why there is no solution.
struct ModelFit {
  bool solved = false;
  std::string reason;  // why not, when not solved
  const Model* model = &RBModel();
  ParameterChoice fitted{};
  ModelValues values{};  // the fitted ones from the fit, the others as held
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
// normal equations, the others held. With the limits enforced and a "<"
// point violated, searches the sets of one, two, then three limits held
// as equalities and keeps the admissible candidate with the smallest fit
// error; a candidate whose system is singular is not admissible. There is
// no solution when a parameter held has no value, when the points do not
// determine the fitted parameters, or when no candidate is admissible.
ModelFit FitModel(const ModelEvaluation& evaluation, const ModelFitOptions& options);

// The covariance of a solved fit's parameters, scaled as their ± are (the
// inverse times the square of the coverage); none without a solution or
// without degrees of freedom.
std::optional<ModelCovariance> ModelCovarianceOf(const ModelFit& fit);

// The model with its fitted values and their covariance.
FittedModel FittedModelOf(const ModelFit& fit);

}  // namespace tavrix
