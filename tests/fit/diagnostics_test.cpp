#include "tavrix/fit/diagnostics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/fitted_sheet.h"
#include "tavrix/fit/covariance.h"

namespace tavrix {
namespace {

using testing_support::FittedSheet;
using testing_support::SheetContents;

// The model's pK at t and 1000 bar, with a scatter of +-0.01 and `shift`
// added at point `moved`, for temperatures first, first + step, ...
SheetContents ModelData(int count, float first, float step, int moved, double shift) {
  SheetContents contents;
  contents.points.clear();
  for (int k = 0; k < count; ++k) {
    const double moves = (k % 2 ? 0.01 : -0.01) + (k == moved ? shift : 0);
    contents.points.push_back(testing_support::ModelPoint(
        {1, 2, -300}, first + step * static_cast<float>(k), 1000, "1", moves));
  }
  return contents;
}

std::vector<std::string> WarningsOf(const SheetContents& contents, ParameterChoice fitted) {
  FittedSheet fit(contents);
  EXPECT_TRUE(fit.Run(fitted)) << fit.outcome.reason;
  return DiagnosticWarnings(fit.pass.read.sheet,
                            DiagnosticsOf(fit.pass.read.sheet, fit.pass.evaluation, fit.outcome));
}

std::vector<std::string> Containing(const std::vector<std::string>& lines, const std::string& s) {
  std::vector<std::string> found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const std::string& line) { return line.find(s) != std::string::npos; });
  return found;
}

TEST(Diagnostics, TheMovedPointIsTheOutlier) {
  // (With n points and p parameters no studentized residual exceeds
  // sqrt(n - p): a dozen points could not show an outlier.)
  const std::vector<std::string> warnings =
      WarningsOf(ModelData(30, 25, 10, 5, 0.5), {true, true, true});
  const std::vector<std::string> outliers = Containing(warnings, "an outlier?");
  ASSERT_EQ(outliers.size(), 1u) << testing::PrintToString(warnings);
  EXPECT_TRUE(outliers[0].starts_with("row 20: pK ")) << outliers[0];  // point 5 stands in row 20
  EXPECT_NE(outliers[0].find(" s from the fit"), std::string::npos);
  EXPECT_TRUE(Containing(warnings, "not separately determined").empty());
}

TEST(Diagnostics, ParametersTheDataDoNotTellApartAreNamed) {
  // Over 25-50 C the terms of A and B hardly differ but by a factor.
  const std::vector<std::string> warnings =
      WarningsOf(ModelData(6, 25, 5, -1, 0), {false, true, true});
  const std::vector<std::string> named = Containing(warnings, "not separately determined");
  ASSERT_EQ(named.size(), 1u) << testing::PrintToString(warnings);
  EXPECT_TRUE(
      named[0].starts_with("A(zz/a) and B(zz/a) are not separately determined by these "
                           "data (correlation -0.99"))
      << named[0];
  EXPECT_TRUE(named[0].ends_with("); consider holding one")) << named[0];
}

// As many parameters as weighted points: no degrees of freedom, so no
// covariance, no ± (the sheet's "optimized": fit_test) and no flags.
TEST(Diagnostics, WithoutDegreesOfFreedomNothingIsKnownOrFlagged) {
  FittedSheet fit(ModelData(3, 25, 100, 1, 1.0));
  const FitOutcome& outcome = fit.Run({true, true, true});
  ASSERT_TRUE(outcome);
  EXPECT_FALSE(CovarianceOf(outcome));
  EXPECT_TRUE(std::isnan(*outcome.Uncertainty(0)));
  const FitDiagnostics d = DiagnosticsOf(fit.pass.read.sheet, fit.pass.evaluation, outcome);
  EXPECT_TRUE(std::isnan(d.s));
  for (const PointDiagnostics& point : d.points) {
    EXPECT_NEAR(point.leverage, 1, 1e-9);  // each point fixes the fit
    EXPECT_FALSE(point.outlier || point.influential);
  }
}

}  // namespace
}  // namespace tavrix
