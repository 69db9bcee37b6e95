#include "tavrix/model/rb_model.h"

#include <gtest/gtest.h>

#include "support/shows_as.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::ShowsAs;

TEST(RBBasis, At25CelsiusAndOneBar) {
  EXPECT_EQ(RBBasis(298.15, 0.99705).tau, 1.0);
  // 25 C held in single precision is 298.1499939 K.
  EXPECT_PRED_FORMAT2(ShowsAs, RBBasis(KelvinOf(25), 0.99705).tau, "1.0000000205");
  EXPECT_PRED_FORMAT2(ShowsAs, RBBasis(298.15, 0.99705).Q * 1e5, "9.4");
}

// Without the electrostatic terms only the 298.15/T scaling of pK298 is left.
TEST(RBpK, WithoutElectrostaticTermsScalesWithTemperatureOnly) {
  const RBPar par{2.5, 0, 0};
  for (double T : {273.15, 298.15, 373.15, 773.15}) {
    for (double rho : {0.3, 0.8, 1.0, 1.2}) {
      EXPECT_DOUBLE_EQ(RBpK(par, T, rho), 2.5 * 298.15 / T) << T << " K, " << rho;
    }
  }
}

TEST(InRangeOfConfidence, HoldsItsBounds) {
  // Charged complexes: 0.35 to 1.0 g/cm3; neutral ones: up to 1.1 g/cm3.
  const struct {
    float rho;
    bool charged, in;
  } cases[] = {{0.35f, true, true},    {0.3499f, true, false}, {1.0f, true, true},
               {1.0001f, true, false}, {0.01f, false, true},   {1.1f, false, true},
               {1.1001f, false, false}};
  for (const auto& c : cases)
    EXPECT_EQ(InRangeOfConfidence(c.rho, c.charged), c.in) << c.rho << (c.charged ? " +-" : "");
}

}  // namespace
}  // namespace tavrix
