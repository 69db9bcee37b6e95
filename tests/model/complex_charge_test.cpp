#include <gtest/gtest.h>

#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix {
namespace {

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
