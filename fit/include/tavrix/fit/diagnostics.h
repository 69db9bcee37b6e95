#pragma once

#include <array>
#include <string>
#include <vector>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/fit/fit.h"

namespace tavrix {

// How each weighted point stands in a fit. With w the point's weight, e its
// residual and x the terms of the fitted parameters there (the normal
// equations weigh a point by w^2):
//   leverage h = w^2 x' N^-1 x, N^-1 the inverse of the fit's normal system;
//   s^2 = sum of (w e)^2 over the weighted points / (n - p), n weighted
//   points and p fitted parameters;
//   studentized residual r = w e / (s sqrt(1 - h));
//   Cook's distance D = r^2 h / (p (1 - h)).
struct PointDiagnostics {
  int point = 0;             // the point's index (from 0): row 15 + point
  double residual = 0;       // experimental minus calculated pK
  double leverage = 0;       // h, from 0 to 1
  double studentized = 0;    // NaN without degrees of freedom or where h is 1
  double cooksDistance = 0;  // NaN where r is
  bool outlier = false;      // |r| > kOutlierLimit
  bool influential = false;  // D > 4 / n
};

inline constexpr double kOutlierLimit = 3;
inline constexpr double kCorrelationLimit = 0.995;

// The correlation of the fitted parameters (rows and columns in the
// model's order: pK298, A, B for RB), NaN in the rows and columns of a
// parameter held and after the model's parameters.
using ParameterCorrelation =
    std::array<std::array<double, kMaxModelParameters>, kMaxModelParameters>;

struct FitDiagnostics {
  const Model* model = &RBModel();
  std::vector<PointDiagnostics> points;  // the weighted points, in sheet order
  ParameterCorrelation correlation{};
  double s = 0;  // the fit's weighted standard error; NaN without degrees of freedom
};

// The diagnostics of a solved fit of a model.
FitDiagnostics DiagnosticsOf(const ModelEvaluation& evaluation, const ModelFit& fit);
// Of a solved RB fit of the sheet.
FitDiagnostics DiagnosticsOf(const DataSheet& sheet, const Evaluation& evaluation,
                             const FitOutcome& outcome);

// What a user should be told of a fit, one line each: a point that may be
// an outlier ("row 31: pK 1.53 lies 4.2 s from the fit — an outlier?"), a
// point that pulls the fit, and two parameters the data do not tell apart.
// Beyond kMaxPointWarnings points one line counts the rest.
inline constexpr std::size_t kMaxPointWarnings = 20;
std::vector<std::string> DiagnosticWarnings(const DataSheet& sheet, const FitDiagnostics& d);

// The warning of one of the points, "" for a point that is neither.
std::string PointWarning(const DataSheet& sheet, const FitDiagnostics& d,
                         const PointDiagnostics& point);

}  // namespace tavrix
