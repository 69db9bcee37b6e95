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

// Positive definite, and indefinite as a system bordered by a limit held
// is: the matrix times its inverse is the identity.
TEST(InvertSymmetric, TimesItsInverseIsTheIdentity) {
  const struct {
    int m;
    FitMat a;
  } cases[] = {{3, Matrix({{4, 1, 2}, {1, 5, -1}, {2, -1, 6}})}, {2, Matrix({{2, 1}, {1, 0}})}};
  for (const auto& c : cases) {
    FitMat inverse = c.a;
    int m = c.m;
    InvertSymmetric(inverse, m);
    ASSERT_EQ(m, c.m);
    for (int i = 1; i <= m; ++i) {
      for (int j = 1; j <= m; ++j) {
        double sum = 0;
        for (int k = 1; k <= m; ++k) sum += c.a(i, k) * inverse(k, j);
        EXPECT_NEAR(sum, i == j ? 1 : 0, 1e-14) << m << ": " << i << "," << j;
      }
    }
  }
  FitMat zeroPivot = Matrix({{0, 1}, {1, 2}});  // regular, but its first pivot is 0
  int m = 2;
  InvertSymmetric(zeroPivot, m);
  EXPECT_EQ(m, 0);
}

TEST(EliminateParam, HoldsAnUnknownAtItsValue) {
  // x + y + z = 6, x + 2y + z = 8, x + y + 3z = 12 with y known to be 2
  // leaves x + z = 4 and x + 3z = 10, whose x and z keep their order.
  FitMat fit = Matrix({{1, 1, 1}, {1, 2, 1}, {1, 1, 3}});
  fit(1, 0) = 6, fit(2, 0) = 8, fit(3, 0) = 12;
  int m = 3;
  EliminateParam(fit, 2, 2, m);
  ASSERT_EQ(m, 2);
  InvertSymmetric(fit, m);
  Solve(fit, m);
  EXPECT_DOUBLE_EQ(fit(0, 1), 1);
  EXPECT_DOUBLE_EQ(fit(0, 2), 3);
}

}  // namespace
}  // namespace tavrix
