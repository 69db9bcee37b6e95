#include "tavrix/datasheet/evaluation.h"

#include <gtest/gtest.h>

#include "tavrix/water/water.h"

namespace tavrix {
namespace {

TEST(Evaluate, OnlyWeightedPointsEnterTheNormalSumsWithTheirWeightSquared) {
  DataSheet sheet;
  sheet.points = {{25, 1.0f, 0.99706f, PointKind::kWeighted, 2, -0.8f},
                  {100, std::nullopt, 0.9f, PointKind::kUpperLimit, 0, 0.5f},
                  {50, 5000.0f, 1.1f, PointKind::kIgnored, 0, 0},
                  {150, std::nullopt, 0.31f, PointKind::kUpperLimit, 0, 1}};
  const Evaluation e = Evaluate(sheet);
  EXPECT_EQ(e.weighted, 1);
  EXPECT_EQ(e.ignored, 1);
  EXPECT_EQ(e.limits, (std::vector<int>{1, 3}));
  const RBBasisTerms b = RBBasis(KelvinOf(25), 0.99706f);
  EXPECT_EQ(e.terms[0].pK, -0.8f);
  EXPECT_EQ(e.terms[0].Term(3), b.QOverT);
  EXPECT_EQ(e.normal.matrix[1][0], b.Q * b.tau * 2 * 2);
  EXPECT_EQ(e.normal.matrix[0][1], e.normal.matrix[1][0]);
  EXPECT_EQ(e.normal.rhs[2], b.QOverT * static_cast<double>(-0.8f) * 2 * 2);

  sheet.points.erase(sheet.points.begin());  // nothing weighted: no sums
  EXPECT_EQ(Evaluate(sheet).normal.matrix, (std::array<std::array<double, 3>, 3>{}));
}

}  // namespace
}  // namespace tavrix
