#include "tavrix/fit/fit_matrix.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

// The inverse, the solution and a held unknown's elimination are what every
// fit of the golden sheets shows (positive definite, bordered by limits held
// as equalities, with parameters held); a zero pivot they never reach.
TEST(InvertSymmetric, AZeroPivotLeavesNoUnknowns) {
  FitMat fit;  // regular, but its first pivot is 0
  fit(1, 2) = 1;
  fit(2, 2) = 2;
  int m = 2;
  InvertSymmetric(fit, m);
  EXPECT_EQ(m, 0);
}

}  // namespace
}  // namespace tavrix
