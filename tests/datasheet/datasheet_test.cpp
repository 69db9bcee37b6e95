// The data sheet on the in-memory grid: every read error at its cell, what a
// clean read finds, an evaluation's counts, a point without a calculated pK.
// What a pass reads and writes on the ordinary points (values, weights,
// kinds, colours, a negative temperature refused), on clean and failing
// sheets, is kept in the golden digests (golden_sheets_test.cpp).
#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/datasheet/evaluation.h"
#include "tavrix/datasheet/fit_error.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/data_sheet.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;
using testing_support::Type;

// The message of each code; the cell follows it, "(row=9, col=2)".
const char* const kMessages[] = {"",
                                 "Unexpected error",
                                 "Format error or incorrect keyword",
                                 "Missing mandatory data",
                                 "T/P/D out of range",
                                 "P(sat) does not exist",
                                 "Weight is negative",
                                 "Invalid data format",
                                 "Cell must be empty",
                                 "Wrong complex composition",
                                 "No complex composition",
                                 "Define pressure or density",
                                 "Could not calculate density"};

struct ErrorCase {
  const char* name;
  std::function<void(MemoryGrid&)> edit;
  bool noLimits;
  int code, row, col;
};

class SheetErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(SheetErrors, StopAtTheCellWithTheMessage) {
  const ErrorCase& c = GetParam();
  MemoryGrid grid = BuildSheet(SheetContents{});
  c.edit(grid);
  const SheetRead read = ReadDataSheet(grid, {c.noLimits, false});
  ASSERT_TRUE(read.error);
  EXPECT_EQ(read.error->code, c.code);
  EXPECT_EQ(read.error->Message(), std::string(kMessages[c.code]) +
                                       " (row=" + std::to_string(c.row) +
                                       ", col=" + std::to_string(c.col) + ")");
}

auto Set(int row, int col, const char* text) {
  return [=](MemoryGrid& g) { Type(g, row, col, text); };
}
auto SetPoint(const char* P, const char* D) {
  return [=](MemoryGrid& g) { Type(g, 15, 2, P), Type(g, 15, 3, D); };
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, SheetErrors,
    testing::Values(
        ErrorCase{"WordAsParameter", Set(9, 2, "big"), false, 1, 9, 2},
        ErrorCase{"LowerCaseKeyword", Set(2, 2, "complex:"), false, 2, 2, 2},
        ErrorCase{"WrongHeaderKeyword", Set(14, 7, "err"), false, 2, 14, 7},
        ErrorCase{"NoComplexName", Set(2, 3, ""), false, 3, 2, 3},
        ErrorCase{"NoExperimentalPk", Set(16, 5, ""), false, 3, 16, 5},
        ErrorCase{"TemperatureAbove1000", Set(15, 1, "1000.5"), false, 4, 15, 1},
        ErrorCase{"NoKelvinTemperatureEvenWithoutLimits", Set(15, 1, "-273.15"), true, 4, 15, 1},
        ErrorCase{"PressureAbove5000", Set(15, 2, "5001"), false, 4, 15, 2},
        ErrorCase{"NegativePressureEvenWithoutLimits", Set(15, 2, "-1"), true, 4, 15, 2},
        ErrorCase{"GasDensity", SetPoint("", "0.3"), false, 4, 15, 3},
        ErrorCase{"DensityAbove2EvenWithoutLimits", SetPoint("", "2.5"), true, 4, 15, 3},
        ErrorCase{"DensityZeroEvenWithoutLimits", SetPoint("", "0"), true, 4, 15, 3},
        ErrorCase{"NoSaturationAboveTheCriticalPoint", Set(16, 1, "380"), false, 5, 16, 2},
        ErrorCase{"NegativeWeight", Set(15, 4, "-1"), false, 6, 15, 4},
        ErrorCase{"FractionalCoefficient", Set(4, 2, "2.5"), false, 7, 4, 2},
        ErrorCase{"CoefficientAbove32000", Set(5, 2, "32001"), false, 7, 5, 2},
        ErrorCase{"CommaInPk", Set(15, 5, "1,5"), false, 7, 15, 5},
        ErrorCase{"FilledCellThatMustBeEmpty", Set(2, 4, "x"), false, 8, 2, 4},
        ErrorCase{"NameWithoutCoefficient", Set(4, 2, ""), false, 9, 4, 3},
        ErrorCase{"CoefficientWithoutName", Set(6, 2, "3"), false, 9, 6, 3},
        ErrorCase{"NoComposition",
                  [](MemoryGrid& g) {
                    for (int r = 4; r <= 5; ++r) Type(g, r, 2, ""), Type(g, r, 3, "");
                  },
                  false, 10, 7, 4},
        // The pressure is there before the density's text is looked at.
        ErrorCase{"PressureAndAWordAsDensity", Set(15, 3, "dense"), false, 11, 15, 3},
        ErrorCase{"NeitherPressureNorDensity", Set(16, 2, ""), false, 11, 16, 3},
        ErrorCase{"NoDensityBelowTheVapourStart",
                  [](MemoryGrid& g) { Type(g, 15, 1, "-150"), Type(g, 15, 2, "1e-15"); }, true, 12,
                  15, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadDataSheet, FindsTheHeadAndThePointsToTheTablesEnd) {
  SheetContents contents;
  contents.species = {
      {"1", "  Na+ and a very long name"}, {"-2", "Cl-"}, {"0", ""}, {"32000", "X"}};
  // The points take the edges of the ranges: the saturation pressure just
  // below the critical point, the gas threshold itself, 1000 C and 5000 bar,
  // 0 C; a row with only a comment ends the table.
  contents.points = {
      {"25", "1", "", "2", "-0.8"},   {"374", "0", "", "", "1.5"},
      {"30", "", "0.31", "<", "0.5"}, {"1000", "5000", "", "0", "0"},
      {"0", "1", "", "1", "1"},       {"", "", "", "", "", "only a comment ends the table"},
      {"not", "read", "", "", ""}};
  MemoryGrid grid = BuildSheet(contents);
  // Cells the reader leaves alone.
  for (int col = 1; col <= 8; ++col) Type(grid, 1, col, "anything");
  Type(grid, 2, 5, "x"), Type(grid, 9, 3, "x"), Type(grid, 12, 7, "x"), Type(grid, 13, 8, "x");
  Type(grid, 15, 6, "x"), Type(grid, 15, 8, "x"), Type(grid, 9, 8, "x");
  const SheetRead read = ReadDataSheet(grid, {});
  ASSERT_FALSE(read.error) << read.error->Message();
  const DataSheet& s = read.sheet;
  EXPECT_EQ(s.complex, "NaCl");
  ASSERT_EQ(s.species.size(), 4u);
  EXPECT_EQ(s.species[0].name, "  Na+ and a ve");
  EXPECT_EQ(s.species[1].coefficient, -2);
  EXPECT_EQ(s.species[2].coefficient, 0);  // coefficient 0 without a name counts
  EXPECT_EQ(s.species[3].coefficient, 32000);

  ASSERT_EQ(s.points.size(), 5u);
  EXPECT_EQ(s.points[1].pressure, SatPressure(KelvinOf(374)));
  EXPECT_FALSE(s.points[2].pressure);
  EXPECT_EQ(s.points[1].kind, PointKind::kIgnored);  // empty weight

  // The override lifts the temperature, pressure and gas limits.
  contents.points = {
      {"1200", "6000", "", "1", "1"}, {"30", "", "0.1", "1", "1"}, {"-20", "1", "", "1", "1"}};
  MemoryGrid wide = BuildSheet(contents);
  EXPECT_FALSE(ReadDataSheet(wide, {true, false}).error);
  EXPECT_TRUE(ReadDataSheet(wide, {false, false}).error);
}

// The counts the commands and the report show; the normal sums (weights
// squared, weight 0 and "<" points left out) are in every fit of the golden
// sheets.
TEST(Evaluate, CountsThePointsOfEachKind) {
  DataSheet sheet;
  sheet.points = {{25, 1.0f, 0.99706f, PointKind::kWeighted, 2, -0.8f},
                  {100, std::nullopt, 0.9f, PointKind::kUpperLimit, 0, 0.5f},
                  {50, 5000.0f, 1.1f, PointKind::kIgnored, 0, 0},
                  {150, std::nullopt, 0.31f, PointKind::kUpperLimit, 0, 1}};
  const Evaluation e = Evaluate(sheet);
  EXPECT_EQ(e.weighted, 1);
  EXPECT_EQ(e.ignored, 1);
  EXPECT_EQ(e.limits, (std::vector<int>{1, 3}));
}

// The fit error and each point's cells after a fit (weights, "<" points and
// weight 0 shown but not counted, the mask, a zero without a sign, "?" for
// no error) are the golden sheets' F and G cells. A point without a
// calculated pK comes after no fit the program writes back.
TEST(WritePointResults, APointWithoutACalculatedPkShowsAQuestionMarkAndNoDeviation) {
  MemoryGrid grid;
  grid.Put(15, 7, CellContent::Number(3));
  WritePointResults(grid, {PointResult{}});
  EXPECT_EQ(grid.At(15, 6).numberFormat, NumberFormatOf(kPointMask));  // one row is a range too
  EXPECT_EQ(grid.CellText(15, 6), "?");
  EXPECT_EQ(grid.CellText(15, 7), "");
}

}  // namespace
}  // namespace tavrix
