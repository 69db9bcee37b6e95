// Models side by side: each fitted to the same points, with the figures
// that tell them apart (docs/models.md gives their sources).
#include "tavrix/fit/model_comparison.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "tavrix/fit/fit.h"
#include "tavrix/model/domain.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ModelFitOptions OptionsFor(const DataSheet& sheet, const Model& model,
                           const ParameterChoice& rbFitted, bool enforceLimits) {
  if (&model != &RBModel()) return FitAll(model, enforceLimits);
  const RBPar& initial = sheet.initial;
  return {rbFitted, {initial.pK298, initial.A, initial.B}, enforceLimits};
}

ModelEvaluation EvaluationFor(const DataSheet& sheet, const Evaluation& evaluation,
                              const Model& model) {
  if (&model == &RBModel()) return ModelEvaluationOf(sheet, evaluation);
  return EvaluateModel(sheet, model);
}

// The sum of (w d)^2, the sum of w^2 and the largest |d| over the weighted
// points with a calculated pK.
struct ResidualSums {
  double rss = 0;
  double weights = 0;
  double largest = 0;
};
ResidualSums SumsOf(const ModelEvaluation& e, const FitErrors& errors) {
  ResidualSums sums;
  for (std::size_t k = 0; k < e.rows.size(); ++k) {
    const std::optional<double>& d = errors.points[k].deviation;
    if (!(e.weight[k] > 0) || !d) continue;
    sums.rss += (e.weight[k] * *d) * (e.weight[k] * *d);
    sums.weights += e.weight[k] * e.weight[k];
    sums.largest = std::max(sums.largest, std::fabs(*d));
  }
  return sums;
}

// F12's formula over each weighted point's residual from the fit without it.
double LeaveOneOutError(const ModelEvaluation& e, const ModelFitOptions& options) {
  ResidualSums sums;
  for (std::size_t k = 0; k < e.rows.size(); ++k) {
    if (!(e.weight[k] > 0)) continue;
    const ModelFit without = FitModel(Without(e, static_cast<int>(k)), options);
    if (!without) return kNaN;
    const double d = ModelPk(*e.model, without.values, e.rows[k]) - e.pK[k];
    sums.rss += (e.weight[k] * d) * (e.weight[k] * d);
    sums.weights += e.weight[k] * e.weight[k];
  }
  return sums.weights > 0 ? std::sqrt(sums.rss / sums.weights) : kNaN;
}

ModelStatistics StatisticsOf(const ModelEvaluation& e, const ModelFit& fit,
                             const ModelFitOptions& options) {
  ModelStatistics s;
  s.n = e.weighted;
  s.k = static_cast<int>(std::count(fit.fitted.begin(), fit.fitted.end(), true));
  if (!fit) {
    s.rss = s.f12 = s.aicc = s.bic = s.looError = s.maxResidual = kNaN;
    return s;
  }
  const ResidualSums sums = SumsOf(e, fit.errors);
  const double n = s.n, k = s.k;
  s.rss = sums.rss;
  s.f12 = fit.errors.total;
  s.aicc =
      s.n - s.k - 1 > 0 ? n * std::log(s.rss / n) + 2 * k + 2 * k * (k + 1) / (n - k - 1) : kNaN;
  s.bic = n * std::log(s.rss / n) + k * std::log(n);
  s.looError = LeaveOneOutError(e, options);
  s.maxResidual = sums.largest;
  return s;
}

// The largest |pK - pK(RB)| over the table's cells with a value within the
// data's span; NaN where there is none.
double LargestDeltaFrom(const FittedModel& rb, const FittedModel& model, const DataSheet& sheet,
                        bool noLimits) {
  const std::optional<DataSpan> span = SpanOfWeightedPoints(sheet);
  if (!span) return kNaN;
  SpeciesNames species = SpeciesNamesOf(sheet);
  const DomainRules rules{ComplexIsCharged(species), noLimits};
  double largest = kNaN;
  for (int i = 1; i <= kTableRows; ++i) {
    for (int j = 1; j <= kTableColumns; ++j) {
      const ModelCondition c = ConditionAtPressure(TableTemperature(i), TablePressure(j), rules);
      if (!c.hasValue || !span->Contains(c.t, c.density)) continue;
      const double T = KelvinOf(c.t);
      const double delta = std::fabs(model.Pk(T, c.density) - rb.Pk(T, c.density));
      largest = std::isnan(largest) ? delta : std::max(largest, delta);
    }
  }
  return largest;
}

// x with so many decimals, "-" where it is not known.
std::string Fixed(double x, int decimals, bool decComma) {
  if (!std::isfinite(x)) return "-";
  char text[64];
  std::string s(text,
                std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, decimals).ptr);
  if (decComma) std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

std::string Masked(const char* mask, double x, bool decComma) {
  if (!std::isfinite(x)) return "?";
  std::string s(TrimBlanks(FormatMasked(mask, x)));
  if (decComma) std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

}  // namespace

ModelFit FitSheetModel(const DataSheet& sheet, const Evaluation& evaluation, const Model& model,
                       const ParameterChoice& rbFitted, bool enforceLimits) {
  if (&model == &RBModel()) return Fit(sheet, evaluation, {rbFitted, enforceLimits});
  const ModelFitOptions options = OptionsFor(sheet, model, rbFitted, enforceLimits);
  if (model.count >= evaluation.weighted) {
    ModelFit fit;
    fit.model = &model;
    fit.fitted = options.fitted;
    fit.reason = std::string(model.name) + " needs more than " + std::to_string(model.count) +
                 " weighted points; the sheet has " + std::to_string(evaluation.weighted);
    return fit;
  }
  return FitModel(EvaluateModel(sheet, model), options);
}

std::vector<ComparedModel> CompareModels(const DataSheet& sheet, const Evaluation& evaluation,
                                         const std::vector<const Model*>& models,
                                         const ComparisonOptions& options) {
  std::vector<ComparedModel> compared;
  for (const Model* model : models) {
    const ModelFit fit =
        FitSheetModel(sheet, evaluation, *model, options.rbFitted, options.enforceLimits);
    const ModelFitOptions fitOptions =
        OptionsFor(sheet, *model, options.rbFitted, options.enforceLimits);
    compared.push_back(
        {fit, StatisticsOf(EvaluationFor(sheet, evaluation, *model), fit, fitOptions)});
  }

  const auto rbRow = std::find_if(compared.begin(), compared.end(),
                                  [](const ComparedModel& c) { return c.fit.model == &RBModel(); });
  const ModelFit rb =
      rbRow != compared.end()
          ? rbRow->fit
          : FitSheetModel(sheet, evaluation, RBModel(), options.rbFitted, options.enforceLimits);
  double best = kNaN;
  for (const ComparedModel& c : compared) {
    const double aicc = c.statistics.aicc;
    if (std::isfinite(aicc) && (std::isnan(best) || aicc < best)) best = aicc;
  }
  for (ComparedModel& c : compared) {
    c.statistics.deltaAicc = c.statistics.aicc - best;
    c.statistics.maxDeltaRB =
        rb && c.fit
            ? LargestDeltaFrom(FittedModelOf(rb), FittedModelOf(c.fit), sheet, options.noLimits)
            : kNaN;
  }
  return compared;
}

std::string ParameterText(const ModelFit& fit, int index, bool decComma) {
  const ModelParameterInfo& info = fit.model->parameters[static_cast<std::size_t>(index)];
  const std::optional<double> u = fit.Uncertainty(index);
  return std::string(info.name) + " " +
         Masked(info.mask, fit.values[static_cast<std::size_t>(index)], decComma) +
         (u ? " \u00B1 " + Masked(info.mask, *u, decComma) : " (fixed)");
}

TextTable ComparisonTable(const std::vector<ComparedModel>& compared, bool decComma) {
  TextTable table{{"model", "k", "F12", "AICc", "\u0394AICc", "BIC", "LOO", "max|d|",
                   "max|\u0394pK|", "parameters (\u00B1 about 95 %)"},
                  {}};
  for (const ComparedModel& c : compared) {
    const ModelStatistics& s = c.statistics;
    std::string parameters;
    if (!c.fit) parameters = "not fitted: " + c.fit.reason;
    for (int i = 0; c.fit && i < c.fit.model->count; ++i)
      parameters += (i > 0 ? ", " : "") + ParameterText(c.fit, i, decComma);
    table.rows.push_back({c.fit.model->name, std::to_string(s.k), Fixed(s.f12, 3, decComma),
                          Fixed(s.aicc, 2, decComma), Fixed(s.deltaAicc, 2, decComma),
                          Fixed(s.bic, 2, decComma), Fixed(s.looError, 3, decComma),
                          Fixed(s.maxResidual, 3, decComma), Fixed(s.maxDeltaRB, 3, decComma),
                          parameters});
  }
  return table;
}

}  // namespace tavrix
