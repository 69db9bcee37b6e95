#include <gtest/gtest.h>

#include <cmath>

#include "support/shows_as.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::ShowsAs;

float Below(float x) {
  return std::nextafter(x, 0.0f);
}

TEST(SatPressure, WorkedValues) {
  EXPECT_PRED_FORMAT2(ShowsAs, SatPressure(298.15f), "0.0316874");
  EXPECT_PRED_FORMAT2(ShowsAs, SatPressure(373.15f), "1.0132527");
  EXPECT_PRED_FORMAT2(ShowsAs, SatPressure(623.15f), "165.2117");
  EXPECT_PRED_FORMAT2(ShowsAs, SatPressure(673.15f), "292.4797");  // the extension
  // From 314 K on the expansion holds; there the low-temperature formula
  // would give 0.07722353, about 5e-7 relative above it.
  EXPECT_PRED_FORMAT2(ShowsAs, SatPressure(Below(314.0f)), "0.07722341");
  EXPECT_PRED_FORMAT2(ShowsAs, SatPressure(314.0f), "0.07722349");
}

TEST(SatPressure, MeetsTheStraightLineAtTheCriticalPoint) {
  EXPECT_EQ(SatPressure(647.25f), 220.93f);
  EXPECT_NEAR(SatPressure(Below(647.25f)), 220.93f, 1e-3f);
  EXPECT_NEAR(SatPressure(std::nextafter(647.25f, 1000.0f)), 220.93f, 1e-3f);
}

TEST(SaturationPoint, IsAtLeastOneBarAndEndsAtTheCriticalTemperature) {
  EXPECT_EQ(SaturationPoint(KelvinOf(25.0f)), 1.0f);
  EXPECT_EQ(SaturationPoint(KelvinOf(100.0f)), SatPressure(KelvinOf(100.0f)));
  EXPECT_FALSE(SaturationPoint(647.25f).has_value());
}

}  // namespace
}  // namespace tavrix
