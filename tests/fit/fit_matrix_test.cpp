#include "tavrix/fit/fit_matrix.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

FitMat Matrix(std::initializer_list<std::initializer_list<double>> rows) {
  FitMat fit;
  int i = 1;
  for (const auto& row : rows) {
    int j = 1;
    for (const double x : row) fit(i, j++) = x;
    ++i;
  }
  return fit;
}

TEST(InvertSymmetric, InvertsInPlace) {
  FitMat fit = Matrix({{4, 2}, {2, 3}});
  int m = 2;
  InvertSymmetric(fit, m);
  ASSERT_EQ(m, 2);
  EXPECT_DOUBLE_EQ(fit(1, 1), 0.375);
  EXPECT_DOUBLE_EQ(fit(1, 2), -0.25);
  EXPECT_DOUBLE_EQ(fit(2, 1), -0.25);
  EXPECT_DOUBLE_EQ(fit(2, 2), 0.5);
}

TEST(InvertSymmetric, InvertsAnIndefiniteBorderedSystem) {
  FitMat fit = Matrix({{2, 1}, {1, 0}});
  int m = 2;
  InvertSymmetric(fit, m);
  ASSERT_EQ(m, 2);
  EXPECT_EQ(fit(1, 1), 0);
  EXPECT_EQ(fit(1, 2), 1);
  EXPECT_EQ(fit(2, 1), 1);
  EXPECT_EQ(fit(2, 2), -2);
}

TEST(InvertSymmetric, AZeroPivotFailsWithoutPivotSearch) {
  FitMat fit = Matrix({{0, 1}, {1, 2}});  // regular, but its first pivot is 0
  int m = 2;
  InvertSymmetric(fit, m);
  EXPECT_EQ(m, 0);
}

TEST(InvertSymmetric, ThreeByThreeTimesItsInverseIsTheIdentity) {
  const FitMat a = Matrix({{4, 1, 2}, {1, 5, -1}, {2, -1, 6}});
  FitMat inverse = a;
  int m = 3;
  InvertSymmetric(inverse, m);
  ASSERT_EQ(m, 3);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) {
      double sum = 0;
      for (int k = 1; k <= 3; ++k) sum += a(i, k) * inverse(k, j);
      EXPECT_NEAR(sum, i == j ? 1 : 0, 1e-14) << i << "," << j;
    }
  }
}

TEST(EliminateParam, HoldsAnUnknownAtItsValue) {
  // x + y + z = 6, x + 2y + z = 8, x + y + 3z = 10 with y known to be 2.
  FitMat fit = Matrix({{1, 1, 1}, {1, 2, 1}, {1, 1, 3}});
  fit(1, 0) = 6, fit(2, 0) = 8, fit(3, 0) = 10;
  int m = 3;
  EliminateParam(fit, 2, 2, m);
  ASSERT_EQ(m, 2);
  // Left: x + z = 4 (row 1), x + 3z = 8 (row 3 moved up).
  EXPECT_EQ(fit(1, 1), 1);
  EXPECT_EQ(fit(1, 2), 1);
  EXPECT_EQ(fit(1, 0), 4);
  EXPECT_EQ(fit(2, 1), 1);
  EXPECT_EQ(fit(2, 2), 3);
  EXPECT_EQ(fit(2, 0), 8);
  InvertSymmetric(fit, m);
  Solve(fit, m);
  EXPECT_DOUBLE_EQ(fit(0, 1), 2);
  EXPECT_DOUBLE_EQ(fit(0, 2), 2);
}

}  // namespace
}  // namespace tavrix
