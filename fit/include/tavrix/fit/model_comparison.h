#pragma once

#include <string>
#include <vector>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/fit/model_fit.h"

namespace tavrix {

// Fits a model to the sheet's points, each model with the same weights and
// "<" limits: RB with the parameters chosen (the others held at the
// sheet's initial values, as Fit does), any other with all its
// parameters. A model other than RB with at least as many parameters as
// weighted points is not fitted ("density7 needs more than 7 weighted
// points; the sheet has 6").
ModelFit FitSheetModel(const DataSheet& sheet, const Evaluation& evaluation, const Model& model,
                       const ParameterChoice& rbFitted, bool enforceLimits);

// How well a model fits, with n the weighted points, k the fitted
// parameters, d = calculated - experimental pK and RSS = sum of (w d)^2:
//   F12    sqrt(RSS / sum w^2), the sheet's fit error;
//   AICc   n ln(RSS/n) + 2k + 2k(k+1)/(n-k-1);
//   BIC    n ln(RSS/n) + k ln n;
//   LOO    F12's formula over the residuals of each weighted point
//          predicted by the fit without it (the same limit search);
//   the largest |d|; and the largest |pK - pK(RB)| over the pK table's
//   cells that have a value and lie within the data's temperatures and
//   densities. NaN where a figure is not known (AICc needs n > k + 1).
struct ModelStatistics {
  int n = 0;
  int k = 0;
  double rss = 0;
  double f12 = 0;
  double aicc = 0;
  double deltaAicc = 0;  // from the smallest AICc of the models compared
  double bic = 0;
  double looError = 0;
  double maxResidual = 0;
  double maxDeltaRB = 0;
};

struct ComparedModel {
  ModelFit fit;  // its model; the reason where it is not solved
  ModelStatistics statistics;
};

struct ComparisonOptions {
  ParameterChoice rbFitted{};  // RB's parameters to fit
  bool enforceLimits = false;  // the "<" points are upper limits of every model
  bool noLimits = false;       // the table's cells with the gas and steam limits lifted
};

// The models fitted to the sheet's points side by side, in the order given.
std::vector<ComparedModel> CompareModels(const DataSheet& sheet, const Evaluation& evaluation,
                                         const std::vector<const Model*>& models,
                                         const ComparisonOptions& options);

// The comparison as a table of texts: a header and one row per model
// (model, k, F12, AICc, ΔAICc, BIC, LOO, max|d|, max|ΔpK|, and the
// parameters ± u through their masks), "-" for a figure not known, a
// decimal comma when asked; a model not fitted says why in the last column.
struct TextTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};
TextTable ComparisonTable(const std::vector<ComparedModel>& compared, bool decComma);

// A parameter of a fit as the comparison shows it: "p1 0.4987 ± 0.0123",
// "B(zz/a) -129.21 (fixed)".
std::string ParameterText(const ModelFit& fit, int index, bool decComma);

}  // namespace tavrix
