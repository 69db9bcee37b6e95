#include "tavrix/fit/diagnostics.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "tavrix/model/parameters.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The fitted parameters' indices; the i-th of them is unknown i + 1 of the
// fit's inverse.
std::vector<int> FittedIndices(const ParameterChoice& fitted) {
  std::vector<int> indices;
  for (int i = 0; i < kMaxModelParameters; ++i) {
    if (fitted[static_cast<std::size_t>(i)]) indices.push_back(i);
  }
  return indices;
}

ParameterCorrelation CorrelationOf(const FitMat& inverse, const std::vector<int>& fitted) {
  ParameterCorrelation correlation;
  for (auto& row : correlation) row.fill(kNaN);
  for (std::size_t a = 0; a < fitted.size(); ++a) {
    for (std::size_t b = 0; b < fitted.size(); ++b) {
      const int ua = static_cast<int>(a) + 1, ub = static_cast<int>(b) + 1;
      correlation[static_cast<std::size_t>(fitted[a])][static_cast<std::size_t>(fitted[b])] =
          inverse(ua, ub) / std::sqrt(inverse(ua, ua) * inverse(ub, ub));
    }
  }
  return correlation;
}

// h = w^2 x' N^-1 x over the fitted parameters' terms at the point.
double LeverageOf(const ModelRow& row, double weight, const FitMat& inverse,
                  const std::vector<int>& fitted) {
  double h = 0;
  for (std::size_t a = 0; a < fitted.size(); ++a) {
    for (std::size_t b = 0; b < fitted.size(); ++b) {
      h += row[static_cast<std::size_t>(fitted[a])] *
           inverse(static_cast<int>(a) + 1, static_cast<int>(b) + 1) *
           row[static_cast<std::size_t>(fitted[b])];
    }
  }
  return weight * weight * h;
}

// x with so many decimals, '.' as the point whatever the locale.
std::string Fixed(double x, int decimals) {
  char text[64];
  return std::string(
      text, std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, decimals).ptr);
}

// A correlation near +-1 with the decimals that keep it from reading as 1.
std::string CorrelationText(double r) {
  int decimals = 3;
  while (decimals < 9 &&
         std::fabs(std::round(r * std::pow(10, decimals))) >= std::pow(10, decimals))
    ++decimals;
  return Fixed(r, decimals);
}

}  // namespace

FitDiagnostics DiagnosticsOf(const ModelEvaluation& evaluation, const ModelFit& fit) {
  FitDiagnostics d;
  d.model = fit.model;
  const std::vector<int> fitted = FittedIndices(fit.fitted);
  d.correlation = CorrelationOf(fit.inverse, fitted);

  double weightedSquares = 0;
  for (std::size_t k = 0; k < evaluation.rows.size(); ++k) {
    const std::optional<double>& calculated = fit.errors.points[k].calculated;
    const double w = evaluation.weight[k];
    if (!(w > 0) || !calculated) continue;
    const double residual = evaluation.pK[k] - *calculated;
    d.points.push_back(
        {static_cast<int>(k), residual, LeverageOf(evaluation.rows[k], w, fit.inverse, fitted)});
    weightedSquares += (w * residual) * (w * residual);
  }

  d.s = fit.dof > 0 ? std::sqrt(weightedSquares / fit.dof) : kNaN;
  const double p = static_cast<double>(fitted.size());
  const double n = static_cast<double>(d.points.size());
  for (PointDiagnostics& point : d.points) {
    const double w = evaluation.weight[static_cast<std::size_t>(point.point)];
    const double h = point.leverage;
    const bool known = fit.dof > 0 && h < 1 && d.s > 0;
    point.studentized = known ? w * point.residual / (d.s * std::sqrt(1 - h)) : kNaN;
    point.cooksDistance = known ? point.studentized * point.studentized * h / (p * (1 - h)) : kNaN;
    point.outlier = std::fabs(point.studentized) > kOutlierLimit;
    point.influential = point.cooksDistance > 4 / n;
  }
  return d;
}

FitDiagnostics DiagnosticsOf(const DataSheet& sheet, const Evaluation& evaluation,
                             const FitOutcome& outcome) {
  return DiagnosticsOf(ModelEvaluationOf(sheet, evaluation), outcome);
}

std::string PointWarning(const DataSheet& sheet, const FitDiagnostics& d,
                         const PointDiagnostics& point) {
  if (!point.outlier && !point.influential) return "";
  const double n = static_cast<double>(d.points.size());
  std::string line = "row " + std::to_string(layout::PointRow(point.point + 1)) + ": pK " +
                     ShortNumber(sheet.points[static_cast<std::size_t>(point.point)].pK);
  const std::string pulls = "(Cook's distance " + SignificantText(point.cooksDistance, 2) +
                            ", above 4/n = " + SignificantText(4 / n, 2) + ")";
  if (point.outlier) {
    line += " lies " + Fixed(std::fabs(point.studentized), 1) + " s from the fit";
    if (point.influential) line += " and pulls it strongly " + pulls;
    line += " \u2014 an outlier?";
  } else {
    line += " pulls the fit strongly " + pulls;
  }
  return line;
}

std::vector<std::string> DiagnosticWarnings(const DataSheet& sheet, const FitDiagnostics& d) {
  std::vector<std::string> warnings;
  const auto flagged = std::count_if(d.points.begin(), d.points.end(), [](const auto& point) {
    return point.outlier || point.influential;
  });
  for (const PointDiagnostics& point : d.points) {
    if (!point.outlier && !point.influential) continue;
    if (warnings.size() == kMaxPointWarnings) {
      warnings.push_back("... and " + std::to_string(flagged - kMaxPointWarnings) +
                         " more points that may be outliers or pull the fit strongly");
      break;
    }
    warnings.push_back(PointWarning(sheet, d, point));
  }
  const auto name = [&](int index) {
    return std::string(d.model->parameters[static_cast<std::size_t>(index)].name);
  };
  for (int a = 0; a < d.model->count; ++a) {
    for (int b = a + 1; b < d.model->count; ++b) {
      const double r = d.correlation[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)];
      if (!(std::fabs(r) > kCorrelationLimit)) continue;
      warnings.push_back(name(a) + " and " + name(b) +
                         " are not separately determined by these data (correlation " +
                         CorrelationText(r) + "); consider holding one");
    }
  }
  return warnings;
}

}  // namespace tavrix
