#include "tavrix/fit/optimize.h"

#include <cmath>
#include <optional>
#include <vector>

#include "tavrix/sheet/fit_error.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr double kViolation = 0.0001;
constexpr int kMaxLimitsHeld = 3;

double ParamValue(const RBPar& par, int index) {
  if (index == 0) return par.pK298;
  return index == 1 ? par.A : par.B;
}

void SetParam(RBPar& par, int index, double x) {
  if (index == 0) par.pK298 = x;
  if (index == 1) par.A = static_cast<float>(x);
  if (index == 2) par.B = static_cast<float>(x);
}

// Moves the parameters that are not fitted into the right-hand side, last first.
void EliminateFixed(FitMat& fit, int& m, const Problem& problem, const View& view) {
  for (int box = 2; box >= 0; --box) {
    if (!view.FitParameter(box)) EliminateParam(fit, ParamValue(problem.IniPar, box), box + 1, m);
  }
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

enum class SearchResult { kFound, kNoneAdmissible, kZeroPivot };

struct Best {
  double error = kMissing;
  RBPar par;
  FitMat inverse;
};

// Tries every set of q limit positions p1 < ... < pq, in lexicographic order.
SearchResult SearchPass(const Problem& problem, const View& view, SheetHost& sheet, int q,
                        Best& best) {
  const int n = problem.NRestr;
  if (q > n) return SearchResult::kNoneAdmissible;
  std::vector<int> position(static_cast<std::size_t>(q));
  for (int s = 0; s < q; ++s) position[static_cast<std::size_t>(s)] = s + 1;

  for (;;) {
    std::vector<int> limits;
    for (const int p : position) limits.push_back(problem.RestrList[static_cast<std::size_t>(p)]);

    FitMat fit = BorderedSystem(problem, limits);
    int m = 3 + q;
    EliminateFixed(fit, m, problem, view);
    InvertSymmetric(fit, m);
    if (m == 0) return SearchResult::kZeroPivot;
    Solve(fit, m);
    const std::optional<RBPar> par = Parameters(fit, problem, view);
    if (par && !AnyViolated(problem, *par)) {
      const double e = FitError(problem, *par, kFitErrorNoOutput, sheet);
      if (e < best.error) best = {e, *par, fit};
    }

    // Next combination.
    int s = q - 1;
    while (s >= 0 && position[static_cast<std::size_t>(s)] == n - (q - 1 - s)) --s;
    if (s < 0) break;
    ++position[static_cast<std::size_t>(s)];
    for (int t = s + 1; t < q; ++t)
      position[static_cast<std::size_t>(t)] = position[static_cast<std::size_t>(t - 1)] + 1;
  }
  return best.error < kUndefinedFrom ? SearchResult::kFound : SearchResult::kNoneAdmissible;
}

}  // namespace

bool Optimize(Problem& problem, SheetHost& sheet, View& view) {
  sheet.ClearCells({layout::kFirstParamRow, layout::kColF, layout::kErrorRow, layout::kColG});

  FitMat fit;
  for (int i = 1; i <= 3; ++i) {
    for (int j = 0; j <= 3; ++j)
      fit(i, j) = problem.NormMat[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  }
  int m = 3;
  EliminateFixed(fit, m, problem, view);
  InvertSymmetric(fit, m);

  std::optional<RBPar> par;
  if (m != 0) {
    Solve(fit, m);
    par = Parameters(fit, problem, view);
  }
  bool solved = par.has_value();
  if (solved) {
    problem.OptPar = *par;
    if (view.LimitsActive() && AnyViolated(problem, problem.OptPar)) {
      Best best;
      SearchResult result = SearchResult::kNoneAdmissible;
      for (int q = 1; q <= kMaxLimitsHeld && result == SearchResult::kNoneAdmissible; ++q) {
        result = SearchPass(problem, view, sheet, q, best);
      }
      solved = result == SearchResult::kFound;
      if (solved) {
        problem.OptPar = best.par;
        fit = best.inverse;
      }
    }
  }

  if (!solved) {
    view.ShowMessage("Could not find solution", MessageIcon::kCritical);
    return false;
  }
  WriteFitResult(problem, fit, sheet, view);
  return true;
}

}  // namespace tavrix
