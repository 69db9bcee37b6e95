#include "tavrix/fit/optimize.h"

#include <cmath>
#include <charconv>
#include <optional>
#include <vector>

#include "tavrix/numeric/format_masked.h"
#include "tavrix/sheet/fit_error.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr double kViolation = 0.0001;
constexpr int kMaxLimitsHeld = 3;
constexpr const char* kParameterNames[3] = {"pK(298)", "A(zz/a)", "B(zz/a)"};

double ParamValue(const RBPar& par, int index) {
  if (index == 0) return par.pK298;
  return index == 1 ? par.A : par.B;
}

void SetParam(RBPar& par, int index, double x) {
  if (index == 0) par.pK298 = x;
  if (index == 1) par.A = static_cast<float>(x);
  if (index == 2) par.B = static_cast<float>(x);
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

OptimizeResult Failure(std::string reason) {
  return {false, std::move(reason)};
}

// Moves the parameters that are not fitted into the right-hand side, last first.
void EliminateFixed(FitMat& fit, int& m, const Problem& problem, const View& view) {
  for (int box = 2; box >= 0; --box) {
    if (!view.FitParameter(box)) EliminateParam(fit, ParamValue(problem.IniPar, box), box + 1, m);
  }
}

// The parameters held fixed that have no value to be held at.
std::optional<std::string> FixedWithoutValue(const Problem& problem, const View& view) {
  std::vector<std::string> names;
  for (int box = 0; box < 3; ++box) {
    if (!view.FitParameter(box) && !(std::fabs(ParamValue(problem.IniPar, box)) < kUndefinedFrom))
      names.push_back(kParameterNames[box]);
  }
  if (names.empty()) return std::nullopt;
  return Enumeration(names) + (names.size() == 1 ? " has" : " have") +
         " no initial value and cannot be held fixed";
}

// The fitted parameters that the reduced normal system leaves undetermined.
std::optional<std::string> Undetermined(const FitMat& fit, int m, const View& view) {
  const std::vector<int> unknowns = UndeterminedUnknowns(fit, m);
  if (unknowns.empty()) return std::nullopt;
  std::vector<std::string> names;
  int unknown = 0;
  for (int box = 0; box < 3; ++box) {
    if (!view.FitParameter(box)) continue;
    ++unknown;
    for (const int u : unknowns) {
      if (u == unknown) names.push_back(kParameterNames[box]);
    }
  }
  return "the points do not determine " + Enumeration(names);
}

// A parameter that its cell's mask cannot show.
std::optional<std::string> TooLargeForItsCell(const Problem& problem, const RBPar& par) {
  for (int i = 0; i < 3; ++i) {
    const std::string& mask = problem.ParFmt[static_cast<std::size_t>(i)];
    const double value = ParamValue(par, i);
    if (FormatMasked(mask, value) == mask) {
      char text[32];
      const auto end =
          std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4).ptr;
      return std::string("the fit gives ") + kParameterNames[i] + " = " + std::string(text, end) +
             ", too large for its cell (" + mask + ")";
    }
  }
  return std::nullopt;
}

// The fitted parameters from the solution, the others from the initial
// values; nothing when a fitted value is no finite number in the precision
// that holds it (a system too close to singular).
std::optional<RBPar> Parameters(const FitMat& fit, const Problem& problem, const View& view) {
  RBPar par = problem.IniPar;
  int next = 1;
  for (int box = 0; box < 3; ++box) {
    if (!view.FitParameter(box)) continue;
    SetParam(par, box, fit(0, next++));
    if (!std::isfinite(ParamValue(par, box))) return std::nullopt;
  }
  return par;
}

bool Violated(const Problem& problem, const RBPar& par, int u) {
  const auto& b = problem.PtBasis[static_cast<std::size_t>(u)];
  const double r = par.A * b[2] + par.pK298 * b[1] + par.B * b[3] - b[0];
  return r > kViolation;
}

bool AnyViolated(const Problem& problem, const RBPar& par) {
  for (int s = 1; s <= problem.NRestr; ++s) {
    if (Violated(problem, par, problem.RestrList[static_cast<std::size_t>(s)])) return true;
  }
  return false;
}

// The normal system bordered by one equation per limit held as an equality.
FitMat BorderedSystem(const Problem& problem, const std::vector<int>& limits) {
  FitMat fit;
  for (int i = 1; i <= 3; ++i) {
    for (int j = 0; j <= 3; ++j)
      fit(i, j) = problem.NormMat[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  }
  const int q = static_cast<int>(limits.size());
  for (int s = 1; s <= q; ++s) {
    const auto& b =
        problem.PtBasis[static_cast<std::size_t>(limits[static_cast<std::size_t>(s - 1)])];
    fit(3 + s, 0) = b[0];
    for (int l = 1; l <= 3; ++l) fit(3 + s, l) = fit(l, 3 + s) = b[static_cast<std::size_t>(l)];
    for (int t = 1; t <= q; ++t) fit(3 + s, 3 + t) = 0;
  }
  return fit;
}

struct Best {
  double error = kMissing;
  RBPar par;
  FitMat inverse;
};

// Tries every set of q limit positions p1 < ... < pq, in lexicographic
// order, keeping the admissible one with the smallest fit error in `best`.
// A singular candidate system holds no solution and is passed over.
void SearchPass(const Problem& problem, const View& view, SheetHost& sheet, int q, Best& best) {
  const int n = problem.NRestr;
  if (q > n) return;
  std::vector<int> position(static_cast<std::size_t>(q));
  for (int s = 0; s < q; ++s) position[static_cast<std::size_t>(s)] = s + 1;

  for (;;) {
    std::vector<int> limits;
    for (const int p : position) limits.push_back(problem.RestrList[static_cast<std::size_t>(p)]);

    FitMat fit = BorderedSystem(problem, limits);
    int m = 3 + q;
    EliminateFixed(fit, m, problem, view);
    InvertSymmetric(fit, m);
    if (m != 0) {
      Solve(fit, m);
      const std::optional<RBPar> par = Parameters(fit, problem, view);
      if (par && !AnyViolated(problem, *par)) {
        const double e = FitError(problem, *par, kFitErrorNoOutput, sheet);
        if (e < best.error) best = {e, *par, fit};
      }
    }

    // Next combination.
    int s = q - 1;
    while (s >= 0 && position[static_cast<std::size_t>(s)] == n - (q - 1 - s)) --s;
    if (s < 0) break;
    ++position[static_cast<std::size_t>(s)];
    for (int t = s + 1; t < q; ++t)
      position[static_cast<std::size_t>(t)] = position[static_cast<std::size_t>(t - 1)] + 1;
  }
}

// The fit without the limit search: the parameters and the inverse of the
// reduced normal system, or why there is none.
OptimizeResult PlainFit(const Problem& problem, const View& view, RBPar& par, FitMat& fit) {
  if (const auto reason = FixedWithoutValue(problem, view)) return Failure(*reason);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 0; j <= 3; ++j)
      fit(i, j) = problem.NormMat[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  }
  int m = 3;
  EliminateFixed(fit, m, problem, view);
  if (const auto reason = Undetermined(fit, m, view)) return Failure(*reason);
  InvertSymmetric(fit, m);
  if (m == 0) return Failure("the points do not determine the fitted parameters");
  Solve(fit, m);
  const std::optional<RBPar> solution = Parameters(fit, problem, view);
  if (!solution) return Failure("the points do not determine the fitted parameters");
  par = *solution;
  return {true, ""};
}

}  // namespace

OptimizeResult Optimize(Problem& problem, SheetHost& sheet, View& view) {
  sheet.ClearCells({layout::kFirstParamRow, layout::kColF, layout::kErrorRow, layout::kColG});

  FitMat fit;
  RBPar par;
  OptimizeResult result = PlainFit(problem, view, par, fit);
  if (result && view.LimitsActive() && AnyViolated(problem, par)) {
    Best best;
    for (int q = 1; q <= kMaxLimitsHeld && !(best.error < kUndefinedFrom); ++q) {
      SearchPass(problem, view, sheet, q, best);
    }
    if (best.error < kUndefinedFrom) {
      par = best.par;
      fit = best.inverse;
    } else {
      result = Failure("no set of up to three \"<\" limits gives a fit that keeps them all");
    }
  }
  if (result) {
    if (const auto reason = TooLargeForItsCell(problem, par)) result = Failure(*reason);
  }
  if (!result) {
    view.ShowMessage("Could not find solution", MessageIcon::kCritical);
    return result;
  }
  problem.OptPar = par;
  WriteFitResult(problem, fit, sheet, view);
  return result;
}

}  // namespace tavrix
