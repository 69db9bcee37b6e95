// Every data-sheet error, reached through a sheet, with its message and cell.
#include <gtest/gtest.h>

#include <functional>

#include "support/data_sheet.h"
#include "tavrix/sheet/sheet_pass.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;
using testing_support::Type;

struct ErrorCase {
  const char* name;
  std::function<void(MemoryGrid&)> edit;
  bool noLimits;
  int code;
  const char* message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << c.name;
}

class SheetErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(SheetErrors, StopAtTheCellWithTheMessage) {
  const ErrorCase& c = GetParam();
  MemoryGrid grid = BuildSheet(SheetContents{});
  c.edit(grid);
  Problem problem;
  problem.NoLimits = c.noLimits;
  HeadlessView view;
  view.state = WindowState::kStandard;
  view.caption = "data.xls: Sheet1";
  SheetPass(problem, grid, view, "data.xls", "Sheet1");

  EXPECT_EQ(problem.ErrCode, c.code);
  EXPECT_EQ(problem.ErrText, ErrorMessage(c.code));
  ASSERT_FALSE(view.messages.empty());
  EXPECT_EQ(view.messages.back().text, c.message);
  EXPECT_EQ(view.messages.back().icon, MessageIcon::kCritical);
  EXPECT_EQ(view.messages.back().title, "Tavrix");
  EXPECT_EQ(view.state, WindowState::kCompact);
  EXPECT_EQ(view.caption, "Tavrix");
}

auto Set(int row, int col, const char* text) {
  return [=](MemoryGrid& g) { Type(g, row, col, text); };
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, SheetErrors,
    testing::Values(
        ErrorCase{"WordAsParameter", Set(9, 2, "big"), false, 1, "Unexpected error (row=9, col=2)"},
        ErrorCase{"WordAsInitialValue", Set(10, 5, "1,5"), false, 1,
                  "Unexpected error (row=10, col=5)"},
        ErrorCase{"LowerCaseKeyword", Set(2, 2, "complex:"), false, 2,
                  "Format error or incorrect keyword (row=2, col=2)"},
        ErrorCase{"KeywordWithTrailingBlank", Set(2, 2, "Complex: "), false, 2,
                  "Format error or incorrect keyword (row=2, col=2)"},
        ErrorCase{"WrongHeaderKeyword", Set(14, 7, "err"), false, 2,
                  "Format error or incorrect keyword (row=14, col=7)"},
        ErrorCase{"NoComplexName", Set(2, 3, ""), false, 3,
                  "Missing mandatory data (row=2, col=3)"},
        ErrorCase{"NoExperimentalPk", Set(16, 5, ""), false, 3,
                  "Missing mandatory data (row=16, col=5)"},
        ErrorCase{"TemperatureAbove1000", Set(15, 1, "1000.5"), false, 4,
                  "T/P/D out of range (row=15, col=1)"},
        ErrorCase{"NegativeTemperature", Set(15, 1, "-1"), false, 4,
                  "T/P/D out of range (row=15, col=1)"},
        ErrorCase{"NoKelvinTemperatureEvenWithoutLimits", Set(15, 1, "-273.15"), true, 4,
                  "T/P/D out of range (row=15, col=1)"},
        ErrorCase{"PressureAbove5000", Set(15, 2, "5001"), false, 4,
                  "T/P/D out of range (row=15, col=2)"},
        ErrorCase{"NegativePressureEvenWithoutLimits", Set(15, 2, "-1"), true, 4,
                  "T/P/D out of range (row=15, col=2)"},
        ErrorCase{"GasDensity", [](MemoryGrid& g) { Type(g, 15, 2, ""), Type(g, 15, 3, "0.3"); },
                  false, 4, "T/P/D out of range (row=15, col=3)"},
        ErrorCase{"DensityAbove2EvenWithoutLimits",
                  [](MemoryGrid& g) { Type(g, 15, 2, ""), Type(g, 15, 3, "2.5"); }, true, 4,
                  "T/P/D out of range (row=15, col=3)"},
        ErrorCase{"NoSaturationAboveTheCriticalPoint", Set(16, 1, "380"), false, 5,
                  "P(sat) does not exist (row=16, col=2)"},
        ErrorCase{"NegativeWeight", Set(15, 4, "-1"), false, 6,
                  "Weight is negative (row=15, col=4)"},
        ErrorCase{"FractionalCoefficient", Set(4, 2, "2.5"), false, 7,
                  "Invalid data format (row=4, col=2)"},
        ErrorCase{"HugeCoefficient", Set(5, 2, "40000"), false, 7,
                  "Invalid data format (row=5, col=2)"},
        ErrorCase{"TextTemperature", Set(16, 1, "hot"), false, 7,
                  "Invalid data format (row=16, col=1)"},
        ErrorCase{"CommaInPk", Set(15, 5, "1,5"), false, 7, "Invalid data format (row=15, col=5)"},
        ErrorCase{"FilledCellThatMustBeEmpty", Set(2, 4, "x"), false, 8,
                  "Cell must be empty (row=2, col=4)"},
        ErrorCase{"FilledB8", Set(8, 2, "x"), false, 8, "Cell must be empty (row=8, col=2)"},
        ErrorCase{"NameWithoutCoefficient", Set(4, 2, ""), false, 9,
                  "Wrong complex composition (row=4, col=3)"},
        ErrorCase{"NameWithCoefficientZero", Set(4, 2, "0"), false, 9,
                  "Wrong complex composition (row=4, col=3)"},
        ErrorCase{"CoefficientWithoutName", Set(6, 2, "3"), false, 9,
                  "Wrong complex composition (row=6, col=3)"},
        ErrorCase{"NoComposition",
                  [](MemoryGrid& g) {
                    for (int r = 4; r <= 5; ++r) Type(g, r, 2, ""), Type(g, r, 3, "");
                  },
                  false, 10, "No complex composition (row=7, col=4)"},
        ErrorCase{"PressureAndDensity", Set(15, 3, "1.0"), false, 11,
                  "Define pressure or density (row=15, col=3)"},
        ErrorCase{"NeitherPressureNorDensity", Set(16, 2, ""), false, 11,
                  "Define pressure or density (row=16, col=3)"},
        ErrorCase{"NoDensityBelowTheVapourStart",
                  [](MemoryGrid& g) { Type(g, 15, 1, "-150"), Type(g, 15, 2, "1e-15"); }, true, 12,
                  "Could not calculate density (row=15, col=3)"}));

TEST(SheetErrors, AFailedPassKeepsWhatItWroteAndTheLastCleanEvaluation) {
  SheetContents contents;
  contents.reference[0] = "1.23456";
  MemoryGrid grid = BuildSheet(contents);
  Problem problem;
  HeadlessView view;
  SheetPass(problem, grid, view, "data.xls", "Sheet1");
  ASSERT_EQ(problem.ErrCode, 0);
  const auto basis = problem.PtBasis;
  const auto normal = problem.NormMat;
  const std::string e12 = grid.CellText(12, 5);

  Type(grid, 10, 2, "2.34567");
  Type(grid, 16, 4, "-1");  // error 6 at the second point
  SheetPass(problem, grid, view, "data.xls", "Sheet1");
  EXPECT_EQ(problem.ErrCode, 6);
  EXPECT_EQ(problem.NPoints, 2);             // counts the failing row
  EXPECT_EQ(grid.CellText(10, 2), "2.346");  // rewritten before the failure
  EXPECT_EQ(grid.At(15, 6).fontColor, kBlack);
  EXPECT_EQ(problem.PtBasis, basis);
  EXPECT_EQ(problem.NormMat, normal);
  EXPECT_EQ(grid.CellText(12, 5), "");  // E12 is cleared before the points are read
  EXPECT_NE(e12, "");
}

}  // namespace
}  // namespace tavrix
