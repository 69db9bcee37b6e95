#include "tavrix/model/domain.h"

#include <gtest/gtest.h>

#include "tavrix/water/water.h"

namespace tavrix {
namespace {

// Where the model has a pK: the conditions and what water is there (the
// densities are those of the equation of state, rounded: 0.257 g/cm3 at 500
// C and 500 bar, 1.072 at 25 C and 2000 bar, 1.141 at 25 C and 5000 bar;
// the saturation pressure at 300 C is 85.8 bar).
TEST(Domain, ConditionsAreMarkedAsThePkTableMarksThem) {
  using M = PkMark;
  const struct {
    float t;
    float second;  // P in bar (0: saturation), or the density
    bool byDensity, charged, noLimits;
    PkMark mark;
    bool hasValue;
  } cases[] = {
      {25, 1, false, true, false, M::kNone, true},
      {500, 500, false, true, false, M::kGas, false},
      {500, 500, false, true, true, M::kOutsideConfidence, true},  // limits lifted: below 0.35
      {500, 500, false, false, true, M::kNone, true},              // uncharged: no lower bound
      {300, 10, false, false, false, M::kSteam, false},            // 10 bar < 85.8 bar
      {300, 10, false, false, true, M::kSteam, true},              // a value, still marked
      {300, 90, false, false, false, M::kNone, true},
      {100, SatPressure(KelvinOf(100)), false, false, false, M::kNone, true},  // liquid
      {380, 0, false, false, true, M::kNoSaturation, false},
      {25, 2000, false, true, false, M::kOutsideConfidence, true},   // 1.072 > 1.0
      {25, 2000, false, false, false, M::kNone, true},               // <= 1.1
      {25, 5000, false, false, false, M::kOutsideConfidence, true},  // 1.141 > 1.1
      {25, 0.31f, true, false, false, M::kGas, false},  // the table's gas includes 0.31 itself
      {25, 0.3101f, true, true, false, M::kOutsideConfidence, true},
      {25, 0.1f, true, false, true, M::kNone, true},
      {-60, 1, false, false, false, M::kNoDensity, false},  // no density found at all
  };
  for (const auto& c : cases) {
    const DomainRules rules{c.charged, c.noLimits};
    const ModelCondition m = c.byDensity ? ConditionAtDensity(c.t, c.second, rules)
                                         : ConditionAtPressure(c.t, c.second, rules);
    SCOPED_TRACE(std::to_string(c.t) + " C, " + std::to_string(c.second));
    EXPECT_EQ(m.mark, c.mark);
    EXPECT_EQ(m.hasValue, c.hasValue);
    EXPECT_EQ(m.P.has_value(), !c.byDensity && c.mark != M::kNoSaturation);
  }
}

TEST(Domain, SaturationIsTakenAsTheSheetOrAsSpeciationCodesTakeIt) {
  using enum SaturationRule;
  EXPECT_EQ(SaturationPressureOf(50, kSheet), 1.0f);  // 0.123 bar raised to 1 bar
  EXPECT_EQ(SaturationPressureOf(50, kCodes), 1.01325f);
  EXPECT_EQ(SaturationPressureOf(99.9f, kCodes), 1.01325f);
  EXPECT_NEAR(*SaturationPressureOf(300, kCodes), 85.8, 0.05);
  EXPECT_FALSE(SaturationPressureOf(374.2f, kCodes));
}

TEST(DataSpan, ValuesOutsideTheDataAreExtrapolated) {
  const DataSpan span{23, 810, 0.28f, 1.07f};
  EXPECT_TRUE(span.Contains(23, 0.28f));
  EXPECT_TRUE(span.Contains(810, 1.07f));
  EXPECT_FALSE(span.Contains(22.9f, 0.5f));
  EXPECT_FALSE(span.Contains(100, 1.08f));
  EXPECT_TRUE(span.Contains(100, 0));  // no density known: the temperature decides
  EXPECT_EQ(span.Text(), "23\u2013810 \u00B0C, 0.28\u20131.07 g/cm3");
  EXPECT_EQ((DataSpan{23.5f, 23.5f, 0.997f, 0.997f}.Text(true)), "23,5 \u00B0C, 0,997 g/cm3");
}

}  // namespace
}  // namespace tavrix
