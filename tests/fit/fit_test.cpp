#include "tavrix/fit/fit.h"
#include "tavrix/fit/fit_matrix.h"
#include "tavrix/fit/shown_fit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/fitted_sheet.h"

namespace tavrix {
namespace {

using testing_support::FittedSheet;
using testing_support::ModelPoint;
using testing_support::NumberText;
using testing_support::SheetContents;
using testing_support::Type;

constexpr ParameterChoice kPK{true, false, false};
constexpr ParameterChoice kPKAndA{true, true, false};
constexpr ParameterChoice kAll{true, true, true};

// Calculated minus experimental pK of point k (from 0) of a fitted sheet.
double Residual(const FittedSheet& fit, int k) {
  const PointTerms& t = fit.pass.evaluation.terms[static_cast<std::size_t>(k)];
  const RBPar& p = fit.outcome.parameters;
  return p.pK298 * t.basis.tau + p.A * t.basis.Q + p.B * t.basis.QOverT - t.pK;
}

SheetContents WithReference(const RBPar& par) {
  SheetContents contents;
  for (int i = 0; i < 3; ++i) contents.reference[i] = NumberText(ParamValue(par, i));
  contents.points.clear();
  return contents;
}

// Model data with pK(298) and A fitted, and "<" points below the model at
// 25 C / 1 bar and 350 C / 500 bar.
SheetContents TwoLimits() {
  const RBPar truth{1.0, 1.0f, 0.0f};
  SheetContents contents = WithReference(truth);
  for (float t : {25.0f, 100.0f, 200.0f, 300.0f}) {
    for (float P : {500.0f, 1000.0f, 2000.0f}) contents.points.push_back(ModelPoint(truth, t, P));
  }
  contents.points.push_back(ModelPoint(truth, 25, 1, "<", -0.3));
  contents.points.push_back(ModelPoint(truth, 350, 500, "<", -0.3));
  return contents;
}

TEST(Fit, PairsAreTriedWhenEverySingleLimitViolatesAnother) {
  // No single limit keeps the other, so the fit holds both as equalities.
  FittedSheet both(TwoLimits());
  ASSERT_TRUE(both.Run(kPKAndA, true));
  EXPECT_NEAR(Residual(both, 12), 0, 1e-5);
  EXPECT_NEAR(Residual(both, 13), 0, 1e-5);
  EXPECT_EQ(both.outcome.activeLimits, (std::vector<int>{12, 13}));

  // The first limit measured twice: the pair of the two is singular, and
  // passed over.
  SheetContents repeated = TwoLimits();
  repeated.points.insert(repeated.points.end() - 1, repeated.points[12]);
  FittedSheet twice(repeated);
  ASSERT_TRUE(twice.Run(kPKAndA, true)) << twice.outcome.reason;
  EXPECT_EQ(twice.outcome.parameters.pK298, both.outcome.parameters.pK298);
  EXPECT_EQ(twice.outcome.parameters.A, both.outcome.parameters.A);
  // Of candidates that fit equally well, the first found is kept.
  EXPECT_EQ(twice.outcome.activeLimits, (std::vector<int>{12, 14}));
}

// The plain fit gives 6; a limit is held once the fit exceeds it by more
// than the tolerance, 0.0001, and of several the one that keeps the others.
TEST(Fit, ALimitIsHeldOnceTheFitExceedsItByMoreThanTheTolerance) {
  const struct {
    std::vector<std::string> limits;
    bool enforced;
    double pK298;
    std::vector<int> held;
    const char* error;  // F12
  } cases[] = {
      {{"5.5"}, false, 6, {}, "1"},
      {{"5.5"}, true, 5.5, {2}, "1.118"},
      {{"5.9995"}, true, 5.9995, {2}, "1"},
      {{"5.99995"}, true, 6, {}, "1"},
      {{"5.5", "5.8", "5.2"}, true, 5.2, {4}, "1.281"},  // the last keeps the others
  };
  for (const auto& c : cases) {
    SheetContents contents = WithReference({0, 0, 0});
    contents.points = {{"25", "1", "", "1", "5"}, {"25", "1", "", "1", "7"}};
    for (const std::string& limit : c.limits)
      contents.points.push_back({"25", "1", "", "<", limit});
    FittedSheet fit(contents);
    ASSERT_TRUE(fit.Run(kPK, c.enforced));
    SCOPED_TRACE(c.limits.back() + (c.enforced ? " enforced" : ""));
    EXPECT_NEAR(fit.outcome.parameters.pK298, c.pK298, 1e-6);
    EXPECT_EQ(fit.outcome.activeLimits, c.held);
    EXPECT_EQ(fit.grid.CellText(12, 6), c.error);
  }
}

// The reasons the golden sheets reach (points that do not determine a
// parameter, a held parameter without a value, no set of limits) and the
// cells a failure clears are pinned by their digests, whose failure shows
// the text; this reason they never reach, nor a point's cells filled before.
TEST(Fit, AValueTooLargeForItsCellIsNoSolutionAndLeavesThePointsAlone) {
  SheetContents huge = WithReference({0, 0, 0});
  huge.points = {{"25", "1", "", "1", "1e10"}, {"50", "1", "", "1", "2"}};
  FittedSheet fit(huge);
  fit.grid.Put(15, 6, CellContent::Text("old"));
  EXPECT_FALSE(fit.Run(kPK));
  EXPECT_EQ(fit.outcome.reason,
            "the fit gives pK(298) = 5.402e+09, too large for its cell (####.###)");
  EXPECT_EQ(fit.grid.CellText(15, 6), "old");
}

// A fit of all three parameters to four points with a fit error of 0.1, as
// far as its uncertainties go: the inverse's diagonal given.
FitOutcome FourPoints(std::array<double, 3> diagonal, int weighted = 4) {
  FitOutcome outcome;
  outcome.fitted = kAll;
  for (int k = 1; k <= 3; ++k) outcome.inverse(k, k) = diagonal[static_cast<std::size_t>(k - 1)];
  outcome.dof = weighted - 3;
  outcome.coverage = CoverageFactor(weighted, outcome.dof, 0.1);
  return outcome;
}

// Each parameter's cell under its mask, as the golden sheets' G cells show,
// but at the edges: u = 12.704 * 2 * 0.1 * sqrt(diagonal) (dof = 1, S =
// 0.1, 4 weighted points), 0.003 for B shows as 0.00; 0.0004 is too small;
// a negative diagonal entry gives none; no degrees of freedom give none.
TEST(WriteFitOutcome, UncertaintiesFromTheCoverageFactor) {
  const double b = (0.003 / 2.5408) * (0.003 / 2.5408);
  const double small = (0.0004 / 2.5408) * (0.0004 / 2.5408);
  const FitOutcome tiny = FourPoints({small, -0.01, b});
  EXPECT_EQ(UncertaintyCell(0, tiny), CellContent::Text("optimized"));
  EXPECT_EQ(UncertaintyCell(1, tiny), CellContent::Text("optimized"));
  EXPECT_EQ(UncertaintyCell(2, tiny), CellContent::Number(0));
  EXPECT_EQ(UncertaintyCell(0, FourPoints({1, 1, 1}, 3)), CellContent::Text("optimized"));
}

// The inverse, the solution and a held unknown's elimination are what every
// fit of the golden sheets shows (positive definite, bordered by limits held
// as equalities, with parameters held); a zero pivot they never reach.
TEST(InvertSymmetric, AZeroPivotLeavesNoUnknowns) {
  FitMat fit;  // regular, but its first pivot is 0
  fit(1, 2) = 1;
  fit(2, 2) = 2;
  int m = 2;
  InvertSymmetric(fit, m);
  EXPECT_EQ(m, 0);
}

// F9:F11 as a fit writes them.
MemoryGrid Showing(const RBPar& fitted) {
  MemoryGrid grid;
  for (int i = 0; i < 3; ++i) grid.Put(9 + i, 6, OptimizedCell(i, fitted));
  return grid;
}

TEST(ShownFit, TheValuesShownReplaceTheFittedOnesUntilOneDiffers) {
  const RBPar fitted{3.45678, 0.5f, -12.345f};
  MemoryGrid grid = Showing(fitted);  // shown as written: the golden sheets' tables take it
  Type(grid, 10, 6, "0.6");
  const ShownFit other = CheckShownFit(grid, fitted, false);
  EXPECT_FALSE(other.shown);
  EXPECT_EQ(other.parameters.pK298, 3.4570000171661377);  // 3.457 as a float: replaced before F10
  EXPECT_EQ(other.parameters.A, 0.5f);
  grid.ClearCells({9, 6, 12, 7});  // as a fit without solution leaves it
  EXPECT_FALSE(CheckShownFit(grid, fitted, false).shown);
}

TEST(ShownFit, RoundedInSinglePrecisionFirst) {
  // -19.9985 shows as -19.999 only when rounded to single precision first.
  MemoryGrid grid = Showing({0, 0, 0});
  Type(grid, 9, 6, "-19.999");
  EXPECT_TRUE(CheckShownFit(grid, {-19.9985, 0, 0}, false).shown);
  // 1.234499999999 shows as 1.234, but 1.235 in single precision: shown as written.
  MemoryGrid written = Showing({1.234499999999, 0, 0});
  ASSERT_EQ(written.CellText(9, 6), "1.234");
  EXPECT_TRUE(CheckShownFit(written, {1.234499999999, 0, 0}, false).shown);
}

}  // namespace
}  // namespace tavrix
