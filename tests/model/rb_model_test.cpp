#include "tavrix/model/rb_model.h"

#include <gtest/gtest.h>

#include "support/shows_as.h"
#include "tavrix/numeric/text_width.h"
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
    for (double rho : {0.3, 0.8, 1.0, 1.2})
      EXPECT_DOUBLE_EQ(RBpK(par, T, rho), 2.5 * 298.15 / T) << T << " K, " << rho;
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

SpeciesNames Names(std::initializer_list<const char*> names) {
  SpeciesNames species;
  std::size_t i = 1;
  for (const char* name : names) species[i++] = FitToWidth(name, kSpeciesWidth);
  return species;
}

bool Charged(std::initializer_list<const char*> names) {
  SpeciesNames species = Names(names);
  return ComplexIsCharged(species);
}

// The first species other than the proton decides, by its formula alone.
TEST(ComplexIsCharged, OnlyTheFormulaBeforeABlankOrCommaCounts) {
  EXPECT_FALSE(Charged({"H+", "H2O"}));
  EXPECT_TRUE(Charged({"Na+, aq"}));
  EXPECT_FALSE(Charged({"H+", "H+", "H+", "H+"}));
  EXPECT_FALSE(Charged({"H2O", "Cl-"}));
  EXPECT_TRUE(Charged({"  SO4-2", "H2O"}));
  EXPECT_FALSE(Charged({"NaCl (+ aq)"}));
  EXPECT_FALSE(Charged({"HCl,+"}));
  EXPECT_TRUE(Charged({"  H+ aq ", "Ca+2"}));  // "H+ aq" is the proton
  EXPECT_FALSE(Charged({}));                   // an empty entry counts as uncharged
  EXPECT_FALSE(Charged({"H+", "", "Cl-"}));
}

TEST(ComplexIsCharged, StoresTheExaminedNamesTrimmedAndLeftAligned) {
  SpeciesNames species = Names({"   H+", "  Cl-  ", " Na+"});
  EXPECT_TRUE(ComplexIsCharged(species));
  EXPECT_EQ(species[1], "H+            ");
  EXPECT_EQ(species[2], "Cl-           ");
  EXPECT_EQ(species[3], FitToWidth(" Na+", kSpeciesWidth));  // not examined
}

}  // namespace
}  // namespace tavrix
