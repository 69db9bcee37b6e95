#include "analytic_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "chebyshev_fit.h"

namespace tavrix::exports {
namespace {

using Function = std::function<double(double)>;

struct KnownBest {
  const char* name;
  std::vector<Function> columns;
  Function f;
  Function error;  // f minus its best approximation
  double deviation;
  std::vector<double> extremes;  // sampled besides -1, -0.999, ..., 1
};

TEST(ChebyshevFit, FindsTheBestApproximationKnownInClosedForm) {
  // On [-1, 1], u as a temperature 273.15-623.15 K: x^4 by a cubic in T,
  // badly scaled as the -analytic terms are, misses by T4(x) / 8.
  const auto T = [](double x) { return 448.15 + 175 * x; };
  const double slope = std::sinh(1.0), at = std::log(slope);
  const double intercept = (std::numbers::e - slope * at) / 2;
  const KnownBest cases[] = {
      {"x^4 by a cubic in T",
       {[](double) { return 1.0; }, T, [&](double x) { return T(x) * T(x); },
        [&](double x) { return T(x) * T(x) * T(x); }},
       [](double x) { return std::pow(x, 4); },
       [](double x) { return (8 * std::pow(x, 4) - 8 * x * x + 1) / 8; },
       1.0 / 8,
       {-std::numbers::sqrt2 / 2, std::numbers::sqrt2 / 2}},
      // The line that levels e^x at -1, ln(sinh 1) and 1.
      {"e^x by a line",
       {[](double) { return 1.0; }, [](double x) { return x; }},
       [](double x) { return std::exp(x); },
       [&](double x) { return std::exp(x) - intercept - slope * x; },
       std::numbers::e - intercept - slope,
       {at}},
      // Not a Haar system (x vanishes at 0): x^2 by c x is best with c = 0,
      // its error largest at -1 and 1 with the same sign.
      {"x^2 by c x",
       {[](double x) { return x; }},
       [](double x) { return x * x; },
       [](double x) { return x * x; },
       1,
       {}},
  };
  for (const KnownBest& c : cases) {
    std::vector<double> xs = c.extremes;
    for (int k = -1000; k <= 1000; ++k) xs.push_back(k / 1000.0);
    std::vector<Column> columns(c.columns.size());
    Column values;
    for (const double x : xs) {
      for (std::size_t j = 0; j < columns.size(); ++j) columns[j].push_back(c.columns[j](x));
      values.push_back(c.f(x));
    }
    const std::optional<ChebyshevFit> fit = FitChebyshev(columns, values);
    ASSERT_TRUE(fit) << c.name;
    EXPECT_NEAR(fit->deviation, c.deviation, 1e-9) << c.name;
    for (const double x : xs) {
      double approximation = 0;
      for (std::size_t j = 0; j < columns.size(); ++j) {
        approximation += fit->coefficients[j] * c.columns[j](x);
      }
      ASSERT_NEAR(c.f(x) - approximation, c.error(x), 1e-8) << c.name << " at " << x;
    }
  }
  // Columns that are not independent, or no more samples than columns.
  EXPECT_FALSE(FitChebyshev({{1, 2, 3}, {2, 4, 6}}, {1, 0, 1}));
  EXPECT_FALSE(FitChebyshev({{1, 2}, {1, 3}}, {1, 0}));
}

TEST(AnalyticFit, TakesTheFewestTermsWhoseMinimaxFitIsWithinTheTolerance) {
  // log K = level + spread u^2, u from 0 to 1 over 273.15-623.15 K. Only the
  // constant comes near a level of 1000 on its own, and it misses by half
  // the spread (least squares, at the mean, by two thirds of it); any two
  // terms follow u^2 within an eighth of the spread.
  struct Case {
    double spread;
    int terms;
  };
  for (const Case c : {Case{0.0096, 1}, Case{0.0104, 2}}) {
    std::vector<AnalyticSample> samples;
    for (int k = 0; k <= 3500; ++k) {
      const double u = k / 3500.0;
      samples.push_back({273.15 + 350 * u, 1000 + c.spread * u * u});
    }
    const std::optional<AnalyticFit> fit = FitAnalyticTo(samples);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->terms, c.terms) << c.spread;
    EXPECT_LE(fit->deviation, kAnalyticTolerance) << c.spread;
    if (c.terms == 1) {
      EXPECT_NEAR(fit->deviation, c.spread / 2, 1e-12);  // only at the midpoint of the level
    }
  }
}

}  // namespace
}  // namespace tavrix::exports
