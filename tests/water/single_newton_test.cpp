#include "tavrix/water/single_newton.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavrix {
namespace {

// A step that moves the value by one single-precision unit `moves` times
// and then stands still.
struct MovesThenStops {
  int moves;
  int calls = 0;
  double operator()(double x) {
    ++calls;
    if (calls > moves) return 0;
    return std::nextafter(static_cast<float>(x), 10.0f) - x;
  }
};

TEST(IterateToSingle, ConvergingOnTheLastAllowedStepSucceeds) {
  MovesThenStops step{99};
  const auto x = IterateToSingle(1.0f, 100, std::ref(step));
  ASSERT_TRUE(x.has_value());
  EXPECT_EQ(step.calls, 100);
  float expected = 1.0f;
  for (int i = 0; i < 99; ++i) expected = std::nextafter(expected, 10.0f);
  EXPECT_EQ(*x, expected);
}

TEST(IterateToSingle, GivesUpAfterTheLimitOfChangingSteps) {
  MovesThenStops step{100};
  EXPECT_FALSE(IterateToSingle(1.0f, 100, std::ref(step)).has_value());
  EXPECT_EQ(step.calls, 100);
}

TEST(IterateToSingle, StepsBelowSinglePrecisionDoNotCount) {
  // A tiny step changes the double but not its single rounding: converged.
  int calls = 0;
  const auto x = IterateToSingle(1.0f, 100, [&](double) { return ++calls, 1e-12; });
  EXPECT_EQ(x, 1.0f);
  EXPECT_EQ(calls, 1);
}

TEST(IterateToSingle, NonFiniteStepsFail) {
  EXPECT_FALSE(IterateToSingle(1.0f, 100, [](double) { return std::nan(""); }).has_value());
  EXPECT_FALSE(IterateToSingle(1.0f, 100, [](double) { return 1e300; }).has_value());
}

}  // namespace
}  // namespace tavrix
