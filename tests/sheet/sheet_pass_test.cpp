// A clean data-sheet pass: what it reads, what it writes, and nothing else.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "support/data_sheet.h"
#include "tavrix/sheet/sheet_pass.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;
using testing_support::Type;
using testing_support::TypedPoint;

struct Pass {
  Problem problem;
  HeadlessView view;
  void Run(MemoryGrid& grid) { SheetPass(problem, grid, view, "Data.xls", "Sheet1"); }
};

// Every cell position whose contents, format or colour differ.
std::map<std::pair<int, int>, std::string> Changes(const MemoryGrid& before,
                                                   const MemoryGrid& after) {
  std::map<std::pair<int, int>, std::string> changes;
  for (int row = 1; row <= std::max(before.RowCount(), after.RowCount()); ++row) {
    for (int col = 1; col <= std::max(before.ColumnCount(row), after.ColumnCount(row)); ++col) {
      const GridCell& a = before.At(row, col);
      const GridCell& b = after.At(row, col);
      std::string what;
      if (!(a.content == b.content)) what += "content ";
      if (a.numberFormat != b.numberFormat) what += "format:" + b.numberFormat + " ";
      if (a.fontColor != b.fontColor)
        what += "color:" + std::to_string(b.fontColor.value_or(-1)) + " ";
      if (!what.empty()) changes[{row, col}] = what;
    }
  }
  return changes;
}

TEST(SheetPass, ReadsTheHeadAndThePoints) {
  SheetContents contents;
  contents.species = {{"1", "  Na+"}, {"-2", "a very long species name"}, {"0", ""}};
  contents.points = {{"25", "1", "", "2", "-0.8"},
                     {"374", "0", "", "", "1.5"},      // saturation pressure
                     {"100", "", "0.31", "<", "0.5"},  // density given; a limit
                     {"50", "5000", "", "0", "0"}};
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  const Problem& p = pass.problem;
  ASSERT_EQ(p.ErrCode, 0) << pass.view.messages.back().text;

  EXPECT_EQ(p.Coef[0], 3);
  EXPECT_EQ(p.Coef[2], -2);
  EXPECT_EQ(p.Species[1], "  Na+         ");
  EXPECT_EQ(p.Species[2], "a very long sp");
  EXPECT_EQ(p.Coef[3], 0);  // coefficient 0 without a name counts

  ASSERT_EQ(p.NPoints, 4);
  EXPECT_EQ(p.PtT[2], 374.0f);
  EXPECT_EQ(p.PtP[2], SatPressure(KelvinOf(374)));
  EXPECT_EQ(p.PtP[3], 1E35f);
  EXPECT_EQ(p.PtD[3], 0.31f);
  EXPECT_EQ(p.PtD[1], WaterDensity(KelvinOf(25), 1));
  EXPECT_EQ(p.PtW[1], 2.0f);
  EXPECT_EQ(p.PtW[2], 0.0f);  // empty weight
  EXPECT_EQ(p.PtW[3], -1.0f);
  EXPECT_EQ(p.PtPK[1], -0.8f);

  EXPECT_EQ(p.NWeighted, 1);
  EXPECT_EQ(p.NZero, 2);
  EXPECT_EQ(p.NRestr, 1);
  EXPECT_EQ(p.RestrList, (std::vector<int>{0, 3}));
  const RBBasisTerms b = RBBasis(KelvinOf(25), p.PtD[1]);
  EXPECT_EQ(p.PtBasis[1], (std::array<double, 4>{-0.8f, b.tau, b.Q, b.QOverT}));
  // Only the weighted point enters the normal sums, with w squared.
  EXPECT_DOUBLE_EQ(p.NormMat[2][1], b.Q * b.tau * 4);
  EXPECT_EQ(p.NormMat[1][2], p.NormMat[2][1]);
  EXPECT_DOUBLE_EQ(p.NormMat[3][0], b.QOverT * -0.8f * 4);
  EXPECT_EQ(p.NormMat[0][1], 0.0);

  EXPECT_EQ(grid.At(17, 6).fontColor, kRed);
  EXPECT_EQ(grid.At(17, 7).fontColor, kRed);
  EXPECT_EQ(grid.At(16, 7).fontColor, kBlack);
}

TEST(SheetPass, WritesExactlyTheParameterCellsFormatsColoursAndE12) {
  SheetContents contents;
  contents.reference[0] = "1.23456";
  contents.initial[1] = "?";
  contents.optimized[2] = "-300.123";
  MemoryGrid grid = BuildSheet(contents);
  Type(grid, 1, 5, "free text");
  Type(grid, 9, 3, "free");
  Type(grid, 9, 8, "comment");
  const MemoryGrid before = grid;
  Pass pass;
  pass.Run(grid);
  ASSERT_EQ(pass.problem.ErrCode, 0);

  std::map<std::pair<int, int>, std::string> expected;
  for (int row = 9; row <= 11; ++row) {
    for (int col = 2; col <= 7; ++col)
      expected[{row, col}] = std::string("format:") + (row == 11 ? "0.00 " : "0.000 ");
  }
  expected[{9, 2}] = "content format:0.000 ";   // 1.23456 rounded
  expected[{9, 5}] = "content format:0.000 ";   // empty E takes B
  expected[{10, 5}] = "content format:0.000 ";  // "?" rewritten as "?"
  expected[{11, 5}] = "content format:0.00 ";
  expected[{11, 6}] = "content format:0.00 ";  // -300.123 to -300.12
  expected[{10, 2}] = "format:0.000 ";         // 2 stays 2
  expected[{11, 2}] = "format:0.00 ";
  expected[{12, 5}] = "content format:0.000 ";  // the error of the initial values
  expected[{12, 6}] = "format:0.000 ";
  for (int row : {15, 16}) expected[{row, 6}] = expected[{row, 7}] = "color:0 ";
  // A "?" written over "?" is no change of contents.
  expected[{10, 5}] = "format:0.000 ";
  EXPECT_EQ(Changes(before, grid), expected);

  EXPECT_EQ(grid.At(9, 2).content, CellContent::Number(1.235));
  EXPECT_EQ(pass.problem.RefPar.pK298, 1.23456);  // this pass uses the value as read
  EXPECT_EQ(grid.At(9, 5).content, CellContent::Number(1.235));
  EXPECT_EQ(grid.At(11, 6).content, CellContent::Number(-300.12));
  EXPECT_EQ(pass.problem.IniPar.A, 1E35f);
  EXPECT_EQ(pass.problem.OptPar.pK298, 1E35);  // F9 empty

  Pass again;
  again.Run(grid);
  EXPECT_EQ(again.problem.RefPar.pK298, 1.235);  // the next pass reads the rounded value
}

TEST(SheetPass, ParameterCells) {
  SheetContents contents;
  contents.reference[2] = "";  // empty reference: "?"
  contents.initial[0] = "?";
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  ASSERT_EQ(pass.problem.ErrCode, 0);
  EXPECT_EQ(grid.CellText(11, 2), "?");
  EXPECT_EQ(grid.CellText(11, 5), "?");  // E takes B's rewritten text
  EXPECT_EQ(pass.problem.RefPar.B, 1E35f);
  EXPECT_EQ(pass.problem.IniPar.pK298, 1E35);
  EXPECT_EQ(grid.CellText(9, 5), "?");
  EXPECT_EQ(grid.CellText(12, 5), "?");  // undefined initial values: no fit error
  EXPECT_EQ(grid.CellText(10, 5), "2");
}

TEST(SheetPass, TableEndsAtTheFirstEmptyTemperature) {
  SheetContents contents;
  contents.points = {{"25", "1", "", "1", "1"},
                     {"", "", "", "", "", "only a comment"},
                     {"not", "read", "", "", ""}};
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  EXPECT_EQ(pass.problem.ErrCode, 0);
  EXPECT_EQ(pass.problem.NPoints, 1);

  contents.points.clear();
  MemoryGrid empty = BuildSheet(contents);
  Type(empty, 1, 1, "");
  Pass none;
  none.Run(empty);
  EXPECT_EQ(none.problem.ErrCode, 0);
  EXPECT_EQ(none.problem.NPoints, 0);
  EXPECT_EQ(none.problem.NormMat, (std::array<std::array<double, 4>, 4>{}));
  EXPECT_EQ(empty.CellText(12, 5), "?");
  EXPECT_FALSE(none.view.optimizeEnabled);
}

TEST(SheetPass, LimitsOfTheRanges) {
  SheetContents contents;
  contents.points = {{"374", "0", "", "1", "1"},    // just below the critical point
                     {"30", "", "0.31", "1", "1"},  // the gas threshold itself
                     {"1000", "5000", "", "1", "1"},
                     {"0", "1", "", "1", "1"}};
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  EXPECT_EQ(pass.problem.ErrCode, 0) << pass.view.messages.back().text;

  // The override lifts the temperature, pressure and gas limits.
  contents.points = {
      {"1200", "6000", "", "1", "1"}, {"30", "", "0.1", "1", "1"}, {"-20", "1", "", "1", "1"}};
  MemoryGrid wide = BuildSheet(contents);
  Pass lifted;
  lifted.problem.NoLimits = true;
  lifted.Run(wide);
  EXPECT_EQ(lifted.problem.ErrCode, 0) << lifted.view.messages.back().text;
}

TEST(SheetPass, PointCountIsReportedWhenItChanges) {
  MemoryGrid grid = BuildSheet(SheetContents{});
  Pass pass;
  pass.Run(grid);
  ASSERT_EQ(pass.view.messages.size(), 1u);
  EXPECT_EQ(pass.view.messages[0].text, "Number of experimental points: 2");
  EXPECT_EQ(pass.view.messages[0].icon, MessageIcon::kInformation);
  pass.Run(grid);
  EXPECT_EQ(pass.view.messages.size(), 1u);
  Type(grid, 17, 1, "50"), Type(grid, 17, 2, "1"), Type(grid, 17, 5, "2");
  pass.Run(grid);
  EXPECT_EQ(pass.view.messages.back().text, "Number of experimental points: 3");
}

TEST(SheetPass, RowOneAndFreeCellsAreNeverChecked) {
  MemoryGrid grid = BuildSheet(SheetContents{});
  for (int col = 1; col <= 8; ++col) Type(grid, 1, col, "anything");
  Type(grid, 2, 5, "x"), Type(grid, 9, 3, "x"), Type(grid, 12, 7, "x"), Type(grid, 13, 8, "x");
  Type(grid, 15, 6, "x"), Type(grid, 15, 8, "x"), Type(grid, 9, 8, "x");
  Pass pass;
  pass.Run(grid);
  EXPECT_EQ(pass.problem.ErrCode, 0);
}

}  // namespace
}  // namespace tavrix
