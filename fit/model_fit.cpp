// Weighted linear least squares of any model on the normal equations, with
// the search of the "<" limits held as equalities.
#include "tavrix/fit/model_fit.h"

#include <cmath>
#include <limits>

namespace tavrix {
namespace {

constexpr double kViolation = 0.0001;
constexpr int kMaxLimitsHeld = 3;

int FittedCount(const ParameterChoice& fitted) {
  int count = 0;
  for (const bool f : fitted) count += f ? 1 : 0;
  return count;
}

const char* NameOf(const Model& model, int index) {
  return model.parameters[static_cast<std::size_t>(index)].name;
}

// "A", "A and B", "A, B and C".
std::string Enumeration(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

// The normal system of the model's parameters in the work matrix, with
// room for one more unknown per limit.
FitMat NormalSystem(const ModelEvaluation& evaluation) {
  FitMat fit;
  for (int i = 1; i <= evaluation.model->count; ++i) {
    fit(i, 0) = evaluation.rhs[static_cast<std::size_t>(i - 1)];
    for (int j = 1; j <= evaluation.model->count; ++j) {
      fit(i, j) =
          evaluation.matrix[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
    }
  }
  return fit;
}

// Moves the parameters that are not fitted into the right-hand side, last first.
void EliminateHeld(FitMat& fit, int& m, const Model& model, const ModelFitOptions& options) {
  for (int index = model.count - 1; index >= 0; --index) {
    if (!options.fitted[static_cast<std::size_t>(index)]) {
      EliminateParam(fit, options.held[static_cast<std::size_t>(index)], index + 1, m);
    }
  }
}

// The parameters held that have no value to be held at.
std::optional<std::string> HeldWithoutValue(const Model& model, const ModelFitOptions& options) {
  std::vector<std::string> names;
  for (int index = 0; index < model.count; ++index) {
    const auto i = static_cast<std::size_t>(index);
    if (!options.fitted[i] && !HasValue(options.held[i])) names.push_back(NameOf(model, index));
  }
  if (names.empty()) return std::nullopt;
  return Enumeration(names) + (names.size() == 1 ? " has" : " have") +
         " no initial value and cannot be held fixed";
}

// The fitted parameters that the reduced normal system leaves undetermined.
std::optional<std::string> Undetermined(const FitMat& fit, int m, const Model& model,
                                        const ParameterChoice& fitted) {
  const std::vector<int> unknowns = UndeterminedUnknowns(fit, m);
  if (unknowns.empty()) return std::nullopt;
  std::vector<std::string> names;
  int unknown = 0;
  for (int index = 0; index < model.count; ++index) {
    if (!fitted[static_cast<std::size_t>(index)]) continue;
    ++unknown;
    for (const int u : unknowns) {
      if (u == unknown) names.push_back(NameOf(model, index));
    }
  }
  return "the points do not determine " + Enumeration(names);
}

// The fitted parameters from the solution, the others as held, each in
// the precision that holds it; nothing when a fitted value is no finite
// number there (a system too close to singular).
std::optional<ModelValues> Parameters(const FitMat& fit, const Model& model,
                                      const ModelFitOptions& options) {
  ModelValues values = options.held;
  int next = 1;
  for (std::size_t index = 0; index < static_cast<std::size_t>(model.count); ++index) {
    if (!options.fitted[index]) continue;
    values[index] = fit(0, next++);
    if (model.parameters[index].single) values[index] = static_cast<float>(values[index]);
    if (!std::isfinite(values[index])) return std::nullopt;
  }
  return values;
}

// How far the model lies above a "<" point's limit, its terms added from
// the model's first in the limit test.
double Excess(const Model& model, const ModelRow& row, double pK, const ModelValues& values) {
  const auto first = static_cast<std::size_t>(model.firstInLimitTest);
  double sum = values[first] * row[first];
  for (std::size_t i = 0; i < static_cast<std::size_t>(model.count); ++i) {
    if (i != first) sum = sum + values[i] * row[i];
  }
  return sum - pK;
}

bool AnyViolated(const ModelEvaluation& evaluation, const ModelValues& values) {
  for (const int u : evaluation.limits) {
    const auto k = static_cast<std::size_t>(u);
    if (Excess(*evaluation.model, evaluation.rows[k], evaluation.pK[k], values) > kViolation)
      return true;
  }
  return false;
}

// The normal system bordered by one equation per limit held as an equality.
FitMat BorderedSystem(const ModelEvaluation& evaluation, const std::vector<int>& limits) {
  FitMat fit = NormalSystem(evaluation);
  const int p = evaluation.model->count;
  const int q = static_cast<int>(limits.size());
  for (int s = 1; s <= q; ++s) {
    const auto k = static_cast<std::size_t>(limits[static_cast<std::size_t>(s - 1)]);
    fit(p + s, 0) = evaluation.pK[k];
    for (int l = 1; l <= p; ++l)
      fit(p + s, l) = fit(l, p + s) = evaluation.rows[k][static_cast<std::size_t>(l - 1)];
    for (int t = 1; t <= q; ++t) fit(p + s, p + t) = 0;
  }
  return fit;
}

struct Candidate {
  double error = kMissing;
  ModelValues values{};
  FitMat inverse;
  std::vector<int> limits;
};

// Tries every set of q limit positions p1 < ... < pq, in lexicographic
// order, keeping the admissible one with the smallest fit error in `best`;
// ties keep the earlier. A singular candidate system holds no solution and
// is passed over.
void SearchPass(const ModelEvaluation& evaluation, const ModelFitOptions& options, int q,
                Candidate& best) {
  const int n = static_cast<int>(evaluation.limits.size());
  if (q > n) return;
  std::vector<int> position(static_cast<std::size_t>(q));
  for (int s = 0; s < q; ++s) position[static_cast<std::size_t>(s)] = s;

  for (;;) {
    std::vector<int> limits;
    for (const int p : position) limits.push_back(evaluation.limits[static_cast<std::size_t>(p)]);

    FitMat fit = BorderedSystem(evaluation, limits);
    int m = evaluation.model->count + q;
    EliminateHeld(fit, m, *evaluation.model, options);
    InvertSymmetric(fit, m);
    if (m != 0) {
      Solve(fit, m);
      const std::optional<ModelValues> values = Parameters(fit, *evaluation.model, options);
      if (values && !AnyViolated(evaluation, *values)) {
        const double e = FitError(evaluation, *values);
        if (e < best.error) best = {e, *values, fit, limits};
      }
    }

    // Next combination.
    int s = q - 1;
    while (s >= 0 && position[static_cast<std::size_t>(s)] == n - q + s) --s;
    if (s < 0) break;
    ++position[static_cast<std::size_t>(s)];
    for (int t = s + 1; t < q; ++t)
      position[static_cast<std::size_t>(t)] = position[static_cast<std::size_t>(t - 1)] + 1;
  }
}

// The fit without the limit search, or why there is none.
std::optional<std::string> PlainFit(const ModelEvaluation& evaluation,
                                    const ModelFitOptions& options, Candidate& result) {
  const Model& model = *evaluation.model;
  if (const auto reason = HeldWithoutValue(model, options)) return reason;
  FitMat fit = NormalSystem(evaluation);
  int m = model.count;
  EliminateHeld(fit, m, model, options);
  if (const auto reason = Undetermined(fit, m, model, options.fitted)) return reason;
  InvertSymmetric(fit, m);
  if (m == 0) return "the points do not determine the fitted parameters";
  Solve(fit, m);
  const std::optional<ModelValues> values = Parameters(fit, model, options);
  if (!values) return "the points do not determine the fitted parameters";
  result.values = *values;
  result.inverse = fit;
  return std::nullopt;
}

ModelFit Failure(const Model& model, const ParameterChoice& fitted, std::string reason) {
  ModelFit fit;
  fit.model = &model;
  fit.fitted = fitted;
  fit.reason = std::move(reason);
  return fit;
}

}  // namespace

ModelFitOptions FitAll(const Model& model, bool enforceLimits) {
  ModelFitOptions options;
  for (int i = 0; i < model.count; ++i) options.fitted[static_cast<std::size_t>(i)] = true;
  options.enforceLimits = enforceLimits;
  return options;
}

double CoverageFactor(int weighted, int dof, double S) {
  if (dof <= 0) return 0;
  return (0.91 * std::exp(2.55 / dof) + 1.05) * std::sqrt(static_cast<double>(weighted) / dof) * S;
}

ModelFit FitModel(const ModelEvaluation& evaluation, const ModelFitOptions& options) {
  const Model& model = *evaluation.model;
  Candidate chosen;
  if (const auto reason = PlainFit(evaluation, options, chosen))
    return Failure(model, options.fitted, *reason);
  if (options.enforceLimits && AnyViolated(evaluation, chosen.values)) {
    Candidate best;
    for (int q = 1; q <= kMaxLimitsHeld && !(best.error < kUndefinedFrom); ++q) {
      SearchPass(evaluation, options, q, best);
    }
    if (!(best.error < kUndefinedFrom)) {
      return Failure(model, options.fitted,
                     "no set of up to three \"<\" limits gives a fit that keeps them all");
    }
    chosen = best;
  }

  ModelFit fit;
  fit.solved = true;
  fit.model = &model;
  fit.fitted = options.fitted;
  fit.values = chosen.values;
  fit.inverse = chosen.inverse;
  fit.activeLimits = chosen.limits;
  fit.errors = FitErrorAtPoints(evaluation, chosen.values);
  fit.dof = evaluation.weighted - FittedCount(options.fitted);
  fit.coverage = CoverageFactor(evaluation.weighted, fit.dof, fit.errors.total);
  return fit;
}

std::optional<double> ModelFit::Uncertainty(int index) const {
  if (!fitted[static_cast<std::size_t>(index)]) return std::nullopt;
  if (dof <= 0) return std::numeric_limits<double>::quiet_NaN();
  int k = 0;
  for (int i = 0; i <= index; ++i) k += fitted[static_cast<std::size_t>(i)] ? 1 : 0;
  const double v = inverse(k, k);
  const double sign = v > 0 ? 1 : (v < 0 ? -1 : 0);
  return std::sqrt(std::fabs(v)) * coverage * sign;
}

std::optional<ModelCovariance> ModelCovarianceOf(const ModelFit& fit) {
  if (!fit || fit.dof <= 0) return std::nullopt;
  ModelCovariance covariance{};
  // The fitted parameters are the unknowns 1..count, in their order.
  std::array<int, kMaxModelParameters> unknown{};
  int next = 0;
  for (std::size_t i = 0; i < kMaxModelParameters; ++i) unknown[i] = fit.fitted[i] ? ++next : 0;
  const double scale = fit.coverage * fit.coverage;
  for (std::size_t i = 0; i < kMaxModelParameters; ++i) {
    for (std::size_t j = 0; j < kMaxModelParameters; ++j) {
      if (unknown[i] > 0 && unknown[j] > 0)
        covariance[i][j] = fit.inverse(unknown[i], unknown[j]) * scale;
    }
  }
  return covariance;
}

FittedModel FittedModelOf(const ModelFit& fit) {
  return {fit.model, fit.values, ModelCovarianceOf(fit)};
}

}  // namespace tavrix
