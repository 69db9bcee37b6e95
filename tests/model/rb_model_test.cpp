#include "tavrix/model/rb_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/shows_as.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::ShowsAs;

TEST(RBBasis, ReferenceTemperature) {
  EXPECT_EQ(RBBasis(298.15, 0.99705).tau, 1.0);
  // 25 C held in single precision is 298.1499939 K.
  EXPECT_PRED_FORMAT2(ShowsAs, RBBasis(KelvinOf(25), 0.99705).tau, "1.0000000205");
}

TEST(RBBasis, WaterTermAt25CelsiusAndOneBar) {
  EXPECT_PRED_FORMAT2(ShowsAs, RBBasis(298.15, 0.99705).Q * 1e5, "9.4");
  // At the program's own density of water at 25 C and 1 bar, Q nearly vanishes.
  const float T = KelvinOf(25);
  const float rho = WaterDensity(T, 1);
  EXPECT_PRED_FORMAT2(ShowsAs, rho, "0.9970612");
  EXPECT_PRED_FORMAT2(ShowsAs, RBBasis(T, rho).Q * 1e7, "1.7");
}

TEST(RBpK, WithoutElectrostaticTermsScalesWithTemperatureOnly) {
  const RBPar par{2.5, 0, 0};
  for (double T : {273.15, 298.15, 373.15, 773.15}) {
    for (double rho : {0.3, 0.8, 1.0, 1.2}) {
      EXPECT_DOUBLE_EQ(RBpK(par, T, rho), 2.5 * 298.15 / T) << T << " K, " << rho;
    }
  }
}

TEST(RBpKSingle, AgreesWithTheDoubleEvaluationToSinglePrecision) {
  const RBPar par{-0.78, 1.9f, -640.0f};
  for (float t = 25; t <= 500; t += 25) {
    for (float rho : {0.35f, 0.6f, 0.9f, 1.05f}) {
      const float T = KelvinOf(t);
      const double exact = RBpK(par, T, rho);
      EXPECT_NEAR(RBpKSingle(par, T, rho), exact, 2e-5 * (1 + std::fabs(exact)))
          << t << " C, " << rho;
    }
  }
}

}  // namespace
}  // namespace tavrix
