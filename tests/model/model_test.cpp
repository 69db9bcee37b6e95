#include <gtest/gtest.h>

#include <algorithm>

#include "support/shows_as.h"
#include "tavrix/model/domain.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/model/rb_model.h"
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

// Where the model has a pK: the conditions and what water is there (the densities are those of
// the equation of state, rounded: 0.257 g/cm3 at 500 C and 500 bar, 1.072 at 25 C and 2000 bar;
// the saturation pressure at 300 C is 85.8 bar). The confidence bounds are InRangeOfConfidence's.
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
      {25, 2000, false, true, false, M::kOutsideConfidence, true},  // 1.072 > 1.0
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

PkTableInput NaClInput() {
  PkTableInput input;
  input.title = PkTableTitle("NaCl");
  input.par = {-0.8, 1.2f, -300.0f};
  input.species[1] = FitToWidth("Na+", kSpeciesWidth);
  input.species[2] = FitToWidth("Cl-", kSpeciesWidth);
  return input;
}

// The 12-character cell of temperature row i (1..11) and pressure column j (1..5).
std::string Cell(const std::vector<std::string>& lines, int i, int j) {
  return lines.at(static_cast<std::size_t>(i) + 3)
      .substr(8 + 12 * static_cast<std::size_t>(j - 1), 12);
}

// A charged complex whose pK follows the density (A = 100). The
// saturation column below 100 C is taken at 1 bar: at 25 C the model's Q
// there is 1.7e-7 (0.000), at 0.03 bar it would not be; from 400 C (at or
// above the critical temperature) there is no saturation. The marks are the
// domain's (the Domain tests above); the table puts each in its cell.
TEST(PkTable, LaysOutEveryValueWithItsMark) {
  PkTableInput input = NaClInput();
  input.par = {0, 100.0f, 0};
  const std::vector<std::string> expected = {
      "                    pK of dissociation of \"NaCl\"",
      "",
      "             P   r   e   s   s   u   r   e       (   b   a   r   )",
      "  t(\u00B0C)       Sat         500        1000        2000        5000",
      "  25.00       0.000     -17.619?    -33.330?    -59.996?   -112.471?",
      "  50.00      35.914      19.704?      5.269?    -19.538?    -71.917?",
      " 100.00     107.093      90.870      76.765      52.885?      1.084?",
      " 150.00     175.728     157.059     141.400     115.864?     62.357?",
      " 200.00     244.328     220.531     201.489     172.138     114.280?",
      " 250.00     318.214     284.818     259.750     224.159     159.449?",
      " 300.00     408.252     354.977     319.043     273.941     199.859 ",
      " 350.00     554.046     439.987     382.505     323.082     236.937 ",
      " 400.00       ---       562.397     453.815     372.787     271.674 ",
      " 450.00       ---       788.614     537.178     423.864     304.742 ",
      " 500.00       ---         gas       635.628     476.676     336.578 ",
      ""};
  EXPECT_EQ(PkTableLines(input), expected);
}

TEST(PkTable, MarksFollowTheLimitsAndTheCharge) {
  PkTableInput input = NaClInput();
  input.noLimits = true;  // 500 C, 500 bar: gas (0.257 g/cm3), a value when the limits are lifted
  EXPECT_EQ(Cell(PkTableLines(input), 11, 2).back(), '?');
  input.noLimits = false;
  input.species[1] = FitToWidth("H+", kSpeciesWidth);   // uncharged: H2O, marked above 1.1 g/cm3,
  input.species[2] = FitToWidth("H2O", kSpeciesWidth);  // at 25-100 C and 5000 bar
  const std::vector<std::string> lines = PkTableLines(input);
  for (int i = 1; i <= kTableRows; ++i) {
    for (int j = 1; j <= kTableColumns; ++j)
      EXPECT_EQ(Cell(lines, i, j).back() == '?', i <= 3 && j == 5) << i << ", " << j;
  }
}

// A pK of 10^7 or more does not fit its cell; under a decimal comma every '.'
// of the rows is one: in the temperatures, the values and the mask text alike.
TEST(PkTable, ValuesThatDoNotFitOrAreUndefinedAndTheDecimalComma) {
  PkTableInput input = NaClInput();
  input.par.pK298 = 1.5e7;  // the mask text up to 150 C, values above
  const std::vector<std::string> point = PkTableLines(input);
  EXPECT_EQ(Cell(point, 4, 3), "#######.### ");
  EXPECT_EQ(Cell(point, 1, 5), "#######.###?");
  input.decComma = true;
  const std::vector<std::string> comma = PkTableLines(input);
  ASSERT_EQ(point.size(), comma.size());
  for (std::size_t n = 0; n < point.size(); ++n) {
    std::string expected = point[n];
    if (n >= 4) std::replace(expected.begin(), expected.end(), '.', ',');
    EXPECT_EQ(comma[n], expected);
  }

  input.par.pK298 = kMissing;  // an undefined parameter gives no number
  const std::vector<std::string> lines = PkTableLines(input);
  EXPECT_EQ(Cell(lines, 7, 3), "    *error* ");
  EXPECT_EQ(Cell(lines, 11, 2), "      gas   ");
  EXPECT_EQ(Cell(lines, 11, 1), "      ---   ");
}

// For a word processor the lines as shown, without trailing blanks; for a
// spreadsheet every value in its column, without its mark (a line whose
// last mark was "?" ends with the last value's digits). CR LF between
// lines, none after the last.
TEST(TableText, KeepsTheLinesOrPutsEveryValueInItsColumn) {
  const std::vector<std::string> lines = PkTableLines(NaClInput());
  const std::vector<std::string> shown = TableTextLines(lines, false);
  const std::vector<std::string> out = TableTextLines(lines, true);
  for (const bool forExcel : {false, true}) {  // .at: a line too few throws
    const std::vector<std::string>& cut = forExcel ? out : shown;
    std::string joined = cut.at(0);
    for (std::size_t i = 1; i < lines.size(); ++i) joined += "\r\n" + cut.at(i);
    EXPECT_EQ(TableText(lines, forExcel), joined);
  }
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(shown[i], TrimTrailingBlanks(lines[i]));
  // 25 C ends with a "?" mark, 300 C with a blank one that the trim removes.
  EXPECT_EQ(shown[4].size(), 68u);
  EXPECT_EQ(shown[10].size(), 67u);

  EXPECT_EQ(out[0], lines[0]);  // the centering blanks stay
  EXPECT_EQ(out[2], "\t" + std::string(TrimTrailingBlanks(lines[2])));
  EXPECT_EQ(out[3], "  t(\u00B0C)\t      Sat  \t      500  \t     1000  \t     2000  \t     5000");

  for (std::size_t i = 4; i <= 14; ++i) {
    std::string fields = lines[i].substr(0, 7);
    for (std::size_t at = 8; at < 68; at += 12) fields += "\t" + lines[i].substr(at, 11);
    EXPECT_EQ(out[i], fields);
  }
}

}  // namespace
}  // namespace tavrix
