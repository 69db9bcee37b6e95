#include "tavrix/datasheet/evaluation.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

// The counts the commands and the report show; the normal sums (weights
// squared, weight 0 and "<" points left out) are in every fit of the golden
// sheets.
TEST(Evaluate, CountsThePointsOfEachKind) {
  DataSheet sheet;
  sheet.points = {{25, 1.0f, 0.99706f, PointKind::kWeighted, 2, -0.8f},
                  {100, std::nullopt, 0.9f, PointKind::kUpperLimit, 0, 0.5f},
                  {50, 5000.0f, 1.1f, PointKind::kIgnored, 0, 0},
                  {150, std::nullopt, 0.31f, PointKind::kUpperLimit, 0, 1}};
  const Evaluation e = Evaluate(sheet);
  EXPECT_EQ(e.weighted, 1);
  EXPECT_EQ(e.ignored, 1);
  EXPECT_EQ(e.limits, (std::vector<int>{1, 3}));
}

}  // namespace
}  // namespace tavrix
