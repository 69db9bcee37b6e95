// u(pK) from the fit's covariance, against the spread of refits of
// perturbed data.
#include "tavrix/fit/covariance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/fitted_sheet.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::FittedSheet;
using testing_support::SheetContents;

// The fit's parameters in double precision (the unknowns' solution), the
// held ones as held.
std::array<double, 3> Solution(const FitOutcome& outcome, const DataSheet& sheet) {
  std::array<double, 3> p{};
  int unknown = 0;
  for (int i = 0; i < 3; ++i) {
    p[static_cast<std::size_t>(i)] = outcome.fitted[static_cast<std::size_t>(i)]
                                         ? outcome.inverse(0, ++unknown)
                                         : ParamValue(sheet.initial, i);
  }
  return p;
}

double PkOf(const std::array<double, 3>& p, const RBBasisTerms& g) {
  return p[0] * g.tau + p[1] * g.Q + p[2] * g.QOverT;
}

struct Case {
  const char* name;
  ParameterChoice fitted;
  bool limits;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class RefitsOfPerturbedData : public testing::TestWithParam<Case> {};

// Var(pK_k) = s^2 / w_k^2 makes the covariance of least squares
// s^2 N^-1: u(pK) at a point is the coverage times the root of the sum
// over the weighted points of (d pK / d pK_k / w_k)^2, the derivatives
// taken from refits with one pK moved.
TEST_P(RefitsOfPerturbedData, SpreadAsTheCovarianceSays) {
  const Case& c = GetParam();
  SheetContents contents;
  contents.initial[2] = "-150";
  contents.points = {{"25", "1", "", "1", "0.91"},       {"75", "500", "", "2", "0.64"},
                     {"150", "0", "", "0.5", "0.38"},    {"200", "1000", "", "1", "0.17"},
                     {"300", "2000", "", "1.5", "0.02"}, {"350", "500", "", "1", "0.71"},
                     {"400", "3000", "", "1", "-0.21"},  {"500", "4000", "", "1", "-0.36"},
                     {"300", "0", "", "<", "-0.5"}};
  FittedSheet fit(contents);
  const DataSheet& sheet = fit.pass.read.sheet;
  const FitOptions options{c.fitted, c.limits};
  const FitOutcome& outcome = fit.Run(c.fitted, c.limits);
  ASSERT_TRUE(outcome) << outcome.reason;
  EXPECT_EQ(outcome.activeLimits.empty(), !c.limits);  // the limit is violated without the search
  const ParameterCovariance covariance = *CovarianceOf(outcome);
  const std::array<double, 3> p = Solution(outcome, sheet);

  using Condition = std::pair<float, float>;  // t (C), P (bar)
  for (const auto& [t, P] : {Condition{25, 1}, Condition{200, 500}, Condition{450, 1000}}) {
    const float T = KelvinOf(t);
    const RBBasisTerms g = RBBasis(T, WaterDensity(T, P));
    double sum = 0;
    for (std::size_t k = 0; k < sheet.points.size(); ++k) {
      const DataPoint& point = sheet.points[k];
      if (point.kind != PointKind::kWeighted) continue;
      DataSheet moved = sheet;
      moved.points[k].pK += 0.01f;
      const double dy = static_cast<double>(moved.points[k].pK) - point.pK;
      const FitOutcome refit = Fit(moved, Evaluate(moved), options);
      ASSERT_EQ(refit.activeLimits, outcome.activeLimits);
      const double derivative = (PkOf(Solution(refit, moved), g) - PkOf(p, g)) / dy;
      sum += derivative * derivative / (point.weight * point.weight);
    }
    const double spread = outcome.coverage * std::sqrt(sum);
    EXPECT_NEAR(PkUncertainty(covariance, g), spread, 1e-7 * spread) << c.name << " at " << t;
  }
}

INSTANTIATE_TEST_SUITE_P(Fits, RefitsOfPerturbedData,
                         testing::Values(Case{"all three", {true, true, true}, false},
                                         Case{"B held", {true, true, false}, false},
                                         Case{"a limit held", {true, true, true}, true}));

TEST(Covariance, TheFitASheetShowsIsFoundAgainUntilItsPointsChange) {
  SheetContents contents;
  contents.points = {{"25", "1", "", "1", "5"},
                     {"100", "500", "", "1", "4.2"},
                     {"200", "0", "", "1", "3.6"},
                     {"300", "1000", "", "1", "3.3"},
                     {"25", "1", "", "<", "4.5"}};
  for (const bool limits : {false, true}) {
    FittedSheet fit(contents);
    const FitOutcome& outcome = fit.Run({true, true, true}, limits);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome.activeLimits.empty(), !limits);
    const SheetPassResult shown = PassOverSheet(fit.grid, {});
    EXPECT_EQ(ShownFitCovariance(fit.grid, shown.read.sheet, shown.evaluation, false),
              CovarianceOf(outcome));

    testing_support::Type(fit.grid, 16, 5, "4.4");  // a pK edited after the fit
    const SheetPassResult edited = PassOverSheet(fit.grid, {});
    EXPECT_FALSE(ShownFitCovariance(fit.grid, edited.read.sheet, edited.evaluation, false));
  }
}

}  // namespace
}  // namespace tavrix
