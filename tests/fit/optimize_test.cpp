#include "tavrix/fit/optimize.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/data_sheet.h"
#include "tavrix/sheet/sheet_pass.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;
using testing_support::NumberText;
using testing_support::TypedPoint;

// pK of the model at t (C) and P (bar), as the sheet pass evaluates it.
double ModelPk(const RBPar& par, float t, float P) {
  const float T = KelvinOf(t);
  return RBpK(par, T, WaterDensity(T, P));
}

TypedPoint PointOf(const RBPar& par, float t, float P, const std::string& weight,
                   double shift = 0) {
  return {NumberText(t), NumberText(P), "", weight, NumberText(ModelPk(par, t, P) + shift)};
}

// A sheet, its pass, and the fit boxes to use.
struct Fit {
  explicit Fit(const SheetContents& contents) : grid(BuildSheet(contents)) {
    SheetPass(problem, grid, view, "fit.xls", "Sheet1");
    EXPECT_EQ(problem.ErrCode, 0) << view.messages.back().text;
  }
  bool Run(std::array<bool, 3> boxes, bool limits) {
    view.fit = boxes;
    view.limits = limits;
    return static_cast<bool>(Optimize(problem, grid, view));
  }
  double Residual(int k) const {  // calculated minus experimental pK of point k
    const auto& b = problem.PtBasis[static_cast<std::size_t>(k)];
    return problem.OptPar.pK298 * b[1] + problem.OptPar.A * b[2] + problem.OptPar.B * b[3] - b[0];
  }
  MemoryGrid grid;
  Problem problem;
  HeadlessView view;
};

SheetContents SpecWithReference(const RBPar& par) {
  SheetContents contents;
  contents.reference[0] = NumberText(par.pK298);
  contents.reference[1] = NumberText(par.A);
  contents.reference[2] = NumberText(par.B);
  contents.points.clear();
  return contents;
}

TEST(Optimize, FitsDataOfTheModelBackToItsParameters) {
  const RBPar truth{2.5, 1.25f, -300.0f};
  SheetContents contents = SpecWithReference({0, 0, 0});
  for (float t : {25.0f, 100.0f, 200.0f, 300.0f, 400.0f}) {
    for (float P : {500.0f, 1000.0f, 3000.0f}) contents.points.push_back(PointOf(truth, t, P, "1"));
  }
  Fit fit(contents);
  ASSERT_TRUE(fit.Run({true, true, true}, false));
  EXPECT_NEAR(fit.problem.OptPar.pK298, 2.5, 2e-5);
  EXPECT_NEAR(fit.problem.OptPar.A, 1.25f, 2e-5);
  EXPECT_NEAR(fit.problem.OptPar.B, -300.0f, 5e-3);
  EXPECT_EQ(fit.grid.CellText(9, 6), "2.5");
  EXPECT_EQ(fit.grid.CellText(11, 6), "-300");
  EXPECT_EQ(fit.grid.CellText(12, 6), "0");
}

TEST(Optimize, SingleParameterAt25CelsiusIsTheWeightedMean) {
  SheetContents contents = SpecWithReference({0, 0, 0});
  contents.points = {
      {"25", "1", "", "1", "1"}, {"25", "1", "", "2", "2"}, {"25", "1", "", "3", "4"}};
  Fit fit(contents);
  ASSERT_TRUE(fit.Run({true, false, false}, false));
  const double mean = (1 * 1 + 4 * 2 + 9 * 4) / 14.0;
  EXPECT_NEAR(fit.problem.OptPar.pK298, mean, 1e-7);  // tau at 25 C is 1 + 2e-8
  EXPECT_EQ(fit.problem.OptPar.A, 0.0f);
}

SheetContents LimitExample() {
  SheetContents contents = SpecWithReference({0, 0, 0});
  contents.points = {
      {"25", "1", "", "1", "5"}, {"25", "1", "", "1", "7"}, {"25", "1", "", "<", "5.5"}};
  return contents;
}

TEST(Optimize, LimitsAreHeldOnlyWhenActivated) {
  Fit plain(LimitExample());
  ASSERT_TRUE(plain.Run({true, false, false}, false));
  EXPECT_NEAR(plain.problem.OptPar.pK298, 6, 1e-6);
  EXPECT_EQ(plain.grid.CellText(12, 6), "1");
  EXPECT_EQ(plain.grid.At(17, 6).content, CellContent::Number(6));  // a limit point is shown too

  Fit limited(LimitExample());
  ASSERT_TRUE(limited.Run({true, false, false}, true));
  EXPECT_NEAR(limited.problem.OptPar.pK298, 5.5, 1e-6);
  EXPECT_EQ(limited.grid.CellText(12, 6), "1.118");
  EXPECT_EQ(limited.grid.CellText(9, 6), "5.5");
}

TEST(Optimize, FixedParametersKeepTheirInitialValuesExactly) {
  SheetContents contents = LimitExample();
  contents.reference[1] = "0.123";
  contents.optimized[1] = "7";
  Fit fit(contents);
  ASSERT_EQ(fit.problem.OptPar.A, 7.0f);
  ASSERT_TRUE(fit.Run({true, false, false}, false));
  EXPECT_EQ(fit.problem.OptPar.A, fit.problem.IniPar.A);
  EXPECT_EQ(fit.grid.CellText(10, 6), "0.123");
  EXPECT_EQ(fit.grid.CellText(10, 7), "");  // no uncertainty for a fixed parameter
}

// Model data with pK(298) and A fitted, and "<" points below the model at
// 25 C / 1 bar and 350 C / 500 bar.
SheetContents TwoLimits(bool first, bool second) {
  const RBPar truth{1.0, 1.0f, 0.0f};
  SheetContents contents = SpecWithReference(truth);
  for (float t : {25.0f, 100.0f, 200.0f, 300.0f}) {
    for (float P : {500.0f, 1000.0f, 2000.0f}) contents.points.push_back(PointOf(truth, t, P, "1"));
  }
  if (first) contents.points.push_back(PointOf(truth, 25, 1, "<", -0.3));
  if (second) contents.points.push_back(PointOf(truth, 350, 500, "<", -0.3));
  return contents;
}

TEST(Optimize, PairsAreTriedWhenEverySingleLimitViolatesAnother) {
  // Held alone, each limit leaves the other one violated...
  Fit onlyFirst(TwoLimits(true, false));
  ASSERT_TRUE(onlyFirst.Run({true, true, false}, true));
  Fit onlySecond(TwoLimits(false, true));
  ASSERT_TRUE(onlySecond.Run({true, true, false}, true));
  Fit both(TwoLimits(true, true));
  const auto residualAt = [&](const RBPar& par, int k) {
    const auto& b = both.problem.PtBasis[static_cast<std::size_t>(k)];
    return par.pK298 * b[1] + par.A * b[2] - b[0];
  };
  EXPECT_GT(residualAt(onlyFirst.problem.OptPar, 14), 0.0001);
  EXPECT_GT(residualAt(onlySecond.problem.OptPar, 13), 0.0001);

  // ...so the fit holds both as equalities.
  ASSERT_TRUE(both.Run({true, true, false}, true));
  EXPECT_NEAR(both.Residual(13), 0, 1e-5);
  EXPECT_NEAR(both.Residual(14), 0, 1e-5);
  EXPECT_EQ(both.view.messages.size(), 1u);  // only the point count
}

TEST(Optimize, ARepeatedLimitIsPassedOverAndTheSearchGoesOn) {
  // The first limit measured twice: the pair of the two is singular.
  SheetContents repeated = TwoLimits(true, true);
  repeated.points.insert(repeated.points.end() - 1, repeated.points[12]);
  Fit twice(repeated);
  twice.view.fit = {true, true, false};
  twice.view.limits = true;
  const OptimizeResult result = Optimize(twice.problem, twice.grid, twice.view);
  ASSERT_TRUE(result) << result.reason;
  Fit once(TwoLimits(true, true));
  ASSERT_TRUE(once.Run({true, true, false}, true));
  EXPECT_EQ(twice.problem.OptPar.pK298, once.problem.OptPar.pK298);
  EXPECT_EQ(twice.problem.OptPar.A, once.problem.OptPar.A);
}

TEST(Optimize, PointsThatDoNotDetermineTheParametersFindNoSolution) {
  const RBPar truth{1.0, 1.0f, -100.0f};
  const struct {
    std::vector<std::pair<float, float>> conditions;  // t, P
    const char* reason;
  } cases[] = {
      {{{25, 1}, {25, 1}, {25, 1}}, "the points do not determine A(zz/a) and B(zz/a)"},
      // At one temperature Q/T is Q over a constant: A and B go together.
      {{{25, 1}, {25, 1000}, {25, 3000}}, "the points do not determine B(zz/a)"},
  };
  for (const auto& c : cases) {
    SheetContents contents = SpecWithReference(truth);
    double shift = 0;
    for (const auto& [t, P] : c.conditions) contents.points.push_back(PointOf(truth, t, P, "1", shift += 0.1));
    Fit fit(contents);
    fit.view.fit = {true, true, true};
    const OptimizeResult result = Optimize(fit.problem, fit.grid, fit.view);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(fit.view.messages.back().text, "Could not find solution");
    EXPECT_EQ(fit.grid.CellText(9, 6), "");
  }
}

TEST(Optimize, ParametersTooLargeForTheirCellsFindNoSolution) {
  SheetContents contents = SpecWithReference({0, 0, 0});
  contents.points = {{"25", "1", "", "1", "1e10"}, {"50", "1", "", "1", "2"}};
  Fit fit(contents);
  fit.view.fit = {true, false, false};
  const OptimizeResult result = Optimize(fit.problem, fit.grid, fit.view);
  EXPECT_FALSE(result);
  const std::string start = "the fit gives pK(298) = ", end = ", too large for its cell (####.###)";
  EXPECT_EQ(result.reason.substr(0, start.size()), start) << result.reason;
  EXPECT_EQ(result.reason.substr(result.reason.size() - end.size()), end) << result.reason;
  EXPECT_EQ(fit.grid.CellText(15, 6), "");  // nothing written back
}

TEST(Optimize, NoAdmissibleSetOfLimitsFindsNoSolution) {
  // With only A fitted, a limit where Q < 0 asks for a larger A and one
  // where Q > 0 for a smaller one: no A satisfies both.
  const RBPar truth{1.0, 1.0f, 0.0f};
  SheetContents contents = SpecWithReference(truth);
  for (float t : {25.0f, 150.0f, 300.0f}) contents.points.push_back(PointOf(truth, t, 1000, "1"));
  contents.points.push_back(PointOf(truth, 25, 5000, "<", -0.5));
  contents.points.push_back(PointOf(truth, 300, 500, "<", -0.5));
  contents.optimized[0] = "1";
  contents.uncertainty[0] = "0.5";
  Fit fit(contents);
  EXPECT_FALSE(fit.Run({false, true, false}, true));
  ASSERT_EQ(fit.view.messages.back().text, "Could not find solution");
  EXPECT_EQ(fit.view.messages.back().icon, MessageIcon::kCritical);
  for (int row = 9; row <= 12; ++row) {
    EXPECT_EQ(fit.grid.CellText(row, 6), "") << row;  // the cleared block stays empty
    EXPECT_EQ(fit.grid.CellText(row, 7), "") << row;
  }
  EXPECT_EQ(fit.grid.CellText(15, 6), "");  // nothing written back
}

TEST(Optimize, ZeroPivotFindsNoSolution) {
  SheetContents contents = SpecWithReference({1, 0, 0});
  contents.points = {{"25", "1", "", "0", "1"}, {"50", "1", "", "0", "2"}};  // no weighted point
  Fit fit(contents);
  EXPECT_FALSE(fit.Run({true, false, false}, false));
  EXPECT_EQ(fit.view.messages.back().text, "Could not find solution");
}

}  // namespace
}  // namespace tavrix
