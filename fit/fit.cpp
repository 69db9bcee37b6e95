#include "tavrix/fit/fit.h"

#include <cmath>
#include <limits>

#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr double kViolation = 0.0001;
constexpr int kMaxLimitsHeld = 3;
constexpr double kSmallestShown = 0.0005;

int FittedCount(const ParameterChoice& fitted) {
  int count = 0;
  for (const bool f : fitted) count += f ? 1 : 0;
  return count;
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

// The normal system of the three parameters in the work matrix, with room
// for one more unknown per limit.
FitMat NormalSystem(const NormalEquations& normal) {
  FitMat fit;
  for (int i = 1; i <= 3; ++i) {
    fit(i, 0) = normal.rhs[static_cast<std::size_t>(i - 1)];
    for (int j = 1; j <= 3; ++j) {
      fit(i, j) = normal.matrix[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
    }
  }
  return fit;
}

// Moves the parameters that are not fitted into the right-hand side, last first.
void EliminateHeld(FitMat& fit, int& m, const DataSheet& sheet, const ParameterChoice& fitted) {
  for (int index = 2; index >= 0; --index) {
    if (!fitted[static_cast<std::size_t>(index)]) {
      EliminateParam(fit, ParamValue(sheet.initial, index), index + 1, m);
    }
  }
}

// The parameters held that have no value to be held at.
std::optional<std::string> HeldWithoutValue(const DataSheet& sheet, const ParameterChoice& fitted) {
  std::vector<std::string> names;
  for (int index = 0; index < kParameterCount; ++index) {
    if (!fitted[static_cast<std::size_t>(index)] && !HasValue(ParamValue(sheet.initial, index))) {
      names.push_back(kParameters[static_cast<std::size_t>(index)].name);
    }
  }
  if (names.empty()) return std::nullopt;
  return Enumeration(names) + (names.size() == 1 ? " has" : " have") +
         " no initial value and cannot be held fixed";
}

// The fitted parameters that the reduced normal system leaves undetermined.
std::optional<std::string> Undetermined(const FitMat& fit, int m, const ParameterChoice& fitted) {
  const std::vector<int> unknowns = UndeterminedUnknowns(fit, m);
  if (unknowns.empty()) return std::nullopt;
  std::vector<std::string> names;
  int unknown = 0;
  for (int index = 0; index < kParameterCount; ++index) {
    if (!fitted[static_cast<std::size_t>(index)]) continue;
    ++unknown;
    for (const int u : unknowns) {
      if (u == unknown) names.push_back(kParameters[static_cast<std::size_t>(index)].name);
    }
  }
  return "the points do not determine " + Enumeration(names);
}

// A parameter that its cell's mask cannot show.
std::optional<std::string> TooLargeForItsCell(const RBPar& par) {
  for (int index = 0; index < kParameterCount; ++index) {
    const ParameterInfo& info = kParameters[static_cast<std::size_t>(index)];
    const double value = ParamValue(par, index);
    if (FormatMasked(info.mask, value) == info.mask) {
      return std::string("the fit gives ") + info.name + " = " + SignificantText(value, 4) +
             ", too large for its cell (" + info.mask + ")";
    }
  }
  return std::nullopt;
}

// The fitted parameters from the solution, the others from the initial
// values; nothing when a fitted value is no finite number in the precision
// that holds it (a system too close to singular).
std::optional<RBPar> Parameters(const FitMat& fit, const DataSheet& sheet,
                                const ParameterChoice& fitted) {
  RBPar par = sheet.initial;
  int next = 1;
  for (int index = 0; index < kParameterCount; ++index) {
    if (!fitted[static_cast<std::size_t>(index)]) continue;
    SetParam(par, index, fit(0, next++));
    if (!std::isfinite(ParamValue(par, index))) return std::nullopt;
  }
  return par;
}

// How far the model lies above a "<" point's limit. The terms are added
// with A's first, as the limit test always has: results at the threshold
// depend on the order.
double Excess(const PointTerms& terms, const RBPar& par) {
  return par.A * terms.basis.Q + par.pK298 * terms.basis.tau + par.B * terms.basis.QOverT -
         terms.pK;
}

bool AnyViolated(const Evaluation& evaluation, const RBPar& par) {
  for (const int u : evaluation.limits) {
    if (Excess(evaluation.terms[static_cast<std::size_t>(u)], par) > kViolation) return true;
  }
  return false;
}

// The normal system bordered by one equation per limit held as an equality.
FitMat BorderedSystem(const Evaluation& evaluation, const std::vector<int>& limits) {
  FitMat fit = NormalSystem(evaluation.normal);
  const int q = static_cast<int>(limits.size());
  for (int s = 1; s <= q; ++s) {
    const PointTerms& terms =
        evaluation.terms[static_cast<std::size_t>(limits[static_cast<std::size_t>(s - 1)])];
    fit(3 + s, 0) = terms.pK;
    for (int l = 1; l <= 3; ++l) fit(3 + s, l) = fit(l, 3 + s) = terms.Term(l);
    for (int t = 1; t <= q; ++t) fit(3 + s, 3 + t) = 0;
  }
  return fit;
}

struct Candidate {
  double error = kMissing;
  RBPar par;
  FitMat inverse;
  std::vector<int> limits;
};

// Tries every set of q limit positions p1 < ... < pq, in lexicographic
// order, keeping the admissible one with the smallest fit error in `best`;
// ties keep the earlier. A singular candidate system holds no solution and
// is passed over.
void SearchPass(const DataSheet& sheet, const Evaluation& evaluation, const ParameterChoice& fitted,
                int q, Candidate& best) {
  const int n = static_cast<int>(evaluation.limits.size());
  if (q > n) return;
  std::vector<int> position(static_cast<std::size_t>(q));
  for (int s = 0; s < q; ++s) position[static_cast<std::size_t>(s)] = s;

  for (;;) {
    std::vector<int> limits;
    for (const int p : position) limits.push_back(evaluation.limits[static_cast<std::size_t>(p)]);

    FitMat fit = BorderedSystem(evaluation, limits);
    int m = 3 + q;
    EliminateHeld(fit, m, sheet, fitted);
    InvertSymmetric(fit, m);
    if (m != 0) {
      Solve(fit, m);
      const std::optional<RBPar> par = Parameters(fit, sheet, fitted);
      if (par && !AnyViolated(evaluation, *par)) {
        const double e = FitError(sheet, evaluation, *par);
        if (e < best.error) best = {e, *par, fit, limits};
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
std::optional<std::string> PlainFit(const DataSheet& sheet, const Evaluation& evaluation,
                                    const ParameterChoice& fitted, Candidate& result) {
  if (const auto reason = HeldWithoutValue(sheet, fitted)) return reason;
  FitMat fit = NormalSystem(evaluation.normal);
  int m = 3;
  EliminateHeld(fit, m, sheet, fitted);
  if (const auto reason = Undetermined(fit, m, fitted)) return reason;
  InvertSymmetric(fit, m);
  if (m == 0) return "the points do not determine the fitted parameters";
  Solve(fit, m);
  const std::optional<RBPar> par = Parameters(fit, sheet, fitted);
  if (!par) return "the points do not determine the fitted parameters";
  result.par = *par;
  result.inverse = fit;
  return std::nullopt;
}

FitOutcome Failure(const ParameterChoice& fitted, std::string reason) {
  FitOutcome outcome;
  outcome.fitted = fitted;
  outcome.reason = std::move(reason);
  return outcome;
}

}  // namespace

double CoverageFactor(int weighted, int dof, double S) {
  if (dof <= 0) return 0;
  return (0.91 * std::exp(2.55 / dof) + 1.05) * std::sqrt(static_cast<double>(weighted) / dof) * S;
}

FitOutcome Fit(const DataSheet& sheet, const Evaluation& evaluation, const FitOptions& options) {
  const ParameterChoice& fitted = options.fitted;
  Candidate chosen;
  if (const auto reason = PlainFit(sheet, evaluation, fitted, chosen))
    return Failure(fitted, *reason);
  if (options.enforceLimits && AnyViolated(evaluation, chosen.par)) {
    Candidate best;
    for (int q = 1; q <= kMaxLimitsHeld && !(best.error < kUndefinedFrom); ++q) {
      SearchPass(sheet, evaluation, fitted, q, best);
    }
    if (!(best.error < kUndefinedFrom)) {
      return Failure(fitted, "no set of up to three \"<\" limits gives a fit that keeps them all");
    }
    chosen = best;
  }
  if (const auto reason = TooLargeForItsCell(chosen.par)) return Failure(fitted, *reason);

  FitOutcome outcome;
  outcome.solved = true;
  outcome.fitted = fitted;
  outcome.parameters = chosen.par;
  outcome.inverse = chosen.inverse;
  outcome.activeLimits = chosen.limits;
  outcome.errors = FitErrorAtPoints(sheet, evaluation, chosen.par);
  outcome.dof = evaluation.weighted - FittedCount(fitted);
  outcome.coverage = CoverageFactor(evaluation.weighted, outcome.dof, outcome.errors.total);
  return outcome;
}

std::optional<double> FitOutcome::Uncertainty(int index) const {
  if (!fitted[static_cast<std::size_t>(index)]) return std::nullopt;
  if (dof <= 0) return std::numeric_limits<double>::quiet_NaN();
  int k = 0;
  for (int i = 0; i <= index; ++i) k += fitted[static_cast<std::size_t>(i)] ? 1 : 0;
  const double v = inverse(k, k);
  const double sign = v > 0 ? 1 : (v < 0 ? -1 : 0);
  return std::sqrt(std::fabs(v)) * coverage * sign;
}

CellContent OptimizedCell(int index, const RBPar& parameters) {
  return CellValue(FormatMasked(kParameters[static_cast<std::size_t>(index)].mask,
                                ParamValue(parameters, index)));
}

CellContent UncertaintyCell(int index, const FitOutcome& outcome) {
  const std::optional<double> u = outcome.Uncertainty(index);
  if (!u) return CellContent::Text("");
  if (!(*u > kSmallestShown)) return CellContent::Text("optimized");
  return CellValue(FormatMasked(kParameters[static_cast<std::size_t>(index)].mask, *u));
}

void WriteFitOutcome(SheetHost& host, const FitOutcome& outcome) {
  host.ClearCells({layout::kFirstParamRow, layout::kColF, layout::kErrorRow, layout::kColG});
  if (!outcome) return;
  WritePointResults(host, outcome.errors.points);
  WriteFitError(host, FitErrorCell::kOptimized, outcome.errors.total);
  for (int index = 0; index < kParameterCount; ++index) {
    host.SetCell(layout::ParamRow(index), layout::kColF, OptimizedCell(index, outcome.parameters));
  }
  for (int index = 0; index < kParameterCount; ++index) {
    host.SetCell(layout::ParamRow(index), layout::kColG, UncertaintyCell(index, outcome));
  }
}

}  // namespace tavrix
