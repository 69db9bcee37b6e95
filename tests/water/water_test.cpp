#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/shows_as.h"
#include "tavrix/water/single_newton.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::ShowsAs;

TEST(SatPressure, WorkedValues) {
  // 673.15 K is on the extension. From 314 K on the expansion holds; just
  // below (313.99997 is the float before 314) the low-temperature formula,
  // which at 314 K would give 0.07722353, 5e-7 relative above it.
  const std::pair<float, const char*> cases[] = {
      {298.15f, "0.0316874"}, {373.15f, "1.0132527"},     {623.15f, "165.2117"},
      {673.15f, "292.4797"},  {313.99997f, "0.07722341"}, {314.0f, "0.07722349"}};
  for (const auto& [T, figure] : cases) EXPECT_PRED_FORMAT2(ShowsAs, SatPressure(T), figure) << T;
}

TEST(SaturationPoint, IsAtLeastOneBarAndEndsAtTheCriticalTemperature) {
  EXPECT_EQ(SaturationPoint(KelvinOf(25.0f)), 1.0f);
  EXPECT_EQ(SaturationPoint(KelvinOf(100.0f)), SatPressure(KelvinOf(100.0f)));
  EXPECT_FALSE(SaturationPoint(647.25f).has_value());
}

float DensityAt(float celsius, float bar) {
  return WaterDensity(KelvinOf(celsius), bar);
}

TEST(WaterDensity, WorkedValues) {
  EXPECT_PRED_FORMAT2(ShowsAs, DensityAt(25, 1), "0.99706");
  EXPECT_PRED_FORMAT2(ShowsAs, DensityAt(25, 5000), "1.14142");
  EXPECT_PRED_FORMAT2(ShowsAs, DensityAt(100, 0.5f), "0.00029250653");  // vapour
  // Just below the saturation pressure (1.0132527) the vapour start value is taken.
  EXPECT_PRED_FORMAT2(ShowsAs, DensityAt(100, 1.01325f), "0.000598");
  EXPECT_PRED_FORMAT2(ShowsAs, DensityAt(300, 500), "0.77664");
  EXPECT_PRED_FORMAT2(ShowsAs, DensityAt(350, SatPressure(KelvinOf(350))), "0.57469");  // liquid
  EXPECT_PRED_FORMAT2(ShowsAs, DensityAt(400, 250), "0.16663");  // supercritical start
}

TEST(WaterDensity, RisesWithPressureAndIsTheNearestToTheRoot) {
  // Along isotherms, near the critical point and above it across the extension where the start
  // value changes, the density rises with the pressure, and the pressure lies between those two
  // single-precision steps either side of the density give.
  for (float t : {0.0f, 25.0f, 100.0f, 250.0f, 370.0f, 374.0f, 380.0f, 500.0f, 750.0f, 1000.0f}) {
    const float T = KelvinOf(t);
    float previous = 0;
    for (float P = 1; P <= 5000; P *= 1.25f) {
      const float rho = WaterDensity(T, P);
      ASSERT_GT(rho, previous) << t << " C, " << P << " bar";
      const float lower = std::nextafter(std::nextafter(rho, 0.0f), 0.0f);
      const float upper = std::nextafter(std::nextafter(rho, 10.0f), 10.0f);
      EXPECT_LE(WaterPressure(T, lower), P) << t << " C, " << P << " bar, rho " << rho;
      EXPECT_GE(WaterPressure(T, upper), P) << t << " C, " << P << " bar, rho " << rho;
      previous = rho;
    }
  }
}

TEST(WaterDensity, FailsWithMinusOneWithoutThrowing) {
  // Below 195.15 K the vapour start value takes the logarithm of a negative
  // number; a pressure that is no number fails in the iteration.
  EXPECT_EQ(WaterDensity(150.0f, 1e-12f), -1.0f);
  EXPECT_EQ(WaterDensity(KelvinOf(25), std::nanf("")), -1.0f);
}

// A step that moves the value by one single-precision unit `moves` times
// and then only by a step that changes the double but not its single
// rounding, which counts as standing still.
struct MovesThenStops {
  int moves;
  int calls = 0;
  double operator()(double x) {
    ++calls;
    if (calls > moves) return 1e-12;
    return std::nextafter(static_cast<float>(x), 10.0f) - x;
  }
};

// 99 changing steps and a still one converge on the 100th call; 100
// changing steps use up the limit.
TEST(IterateToSingle, GivesUpAfterTheLimitOfChangingSteps) {
  for (const int moves : {99, 100}) {
    MovesThenStops step{moves};
    const auto x = IterateToSingle(1.0f, 100, std::ref(step));
    EXPECT_EQ(step.calls, 100) << moves;
    EXPECT_EQ(x.has_value(), moves < 100) << moves;
    if (x) {
      EXPECT_EQ(*x, 1.0f + 99 * std::numeric_limits<float>::epsilon());
    }
  }
}

TEST(IterateToSingle, NonFiniteStepsFail) {
  EXPECT_FALSE(IterateToSingle(1.0f, 100, [](double) { return std::nan(""); }).has_value());
  EXPECT_FALSE(IterateToSingle(1.0f, 100, [](double) { return 1e300; }).has_value());
}

}  // namespace
}  // namespace tavrix
