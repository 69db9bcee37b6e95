#include "tavrix/water/single_newton.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrix {
namespace {

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
