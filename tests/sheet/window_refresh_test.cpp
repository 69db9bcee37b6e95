// What a clean pass shows in the main window.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "support/data_sheet.h"
#include "tavrix/sheet/sheet_pass.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;
using testing_support::Type;

struct Pass {
  Problem problem;
  HeadlessView view;
  void Run(MemoryGrid& grid, const std::string& book = "Results.xls") {
    SheetPass(problem, grid, view, book, "Sheet1");
  }
};

TEST(WindowRefresh, StateFollowsTheLimitPoints) {
  SheetContents contents;
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  EXPECT_EQ(pass.view.state, WindowState::kStandard);
  EXPECT_EQ(pass.view.pendingMessagesProcessed, 1);

  Type(grid, 16, 4, "<");
  pass.Run(grid);
  EXPECT_EQ(pass.view.state, WindowState::kWithRestrictions);
  Type(grid, 16, 4, "1");
  pass.Run(grid);
  EXPECT_EQ(pass.view.state, WindowState::kStandard);
}

TEST(WindowRefresh, CaptionDropsALowerCaseXlsOnly) {
  EXPECT_EQ(WindowCaption("Results.xls", "Sheet1"), "Results: Sheet1");
  EXPECT_EQ(WindowCaption("Results.XLS", "Sheet1"), "Results.XLS: Sheet1");
  EXPECT_EQ(WindowCaption("Results.xlsx", "Sheet1"), "Results.xlsx: Sheet1");
  EXPECT_EQ(WindowCaption(".xls", "S"), ": S");
  MemoryGrid grid = BuildSheet(SheetContents{});
  Pass pass;
  pass.Run(grid, "nacl.ods");
  EXPECT_EQ(pass.view.caption, "nacl.ods: Sheet1");
}

TEST(WindowRefresh, FitBoxesFollowUncertaintiesAndUnknownInitialValues) {
  SheetContents contents;
  contents.uncertainty[1] = "0.25";
  contents.initial[2] = "?";
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.view.fit = {true, false, false};
  pass.Run(grid);
  EXPECT_EQ(pass.view.fit, (std::array<bool, 3>{false, true, true}));

  // The user clears B's box: the next pass ticks it again.
  pass.view.SetFitParameter(2, false);
  pass.Run(grid);
  EXPECT_TRUE(pass.view.fit[2]);
}

TEST(WindowRefresh, OptimizeNeedsAsManyPointsAsFittedParameters) {
  SheetContents contents;
  contents.uncertainty[0] = "0.1";
  contents.uncertainty[1] = "0.1";
  contents.points = {{"25", "1", "", "1", "1"}};
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  EXPECT_FALSE(pass.view.optimizeEnabled);  // two boxes, one point

  pass.view.SetFitParameter(1, false);
  UpdateOptimizeButton(pass.problem, pass.view);
  EXPECT_TRUE(pass.view.optimizeEnabled);
  pass.view.SetFitParameter(0, false);
  UpdateOptimizeButton(pass.problem, pass.view);
  EXPECT_FALSE(pass.view.optimizeEnabled);  // nothing to fit
}

TEST(WindowRefresh, LabelsShowTheFirstNumberOfOptimizedInitialReference) {
  SheetContents contents;
  contents.reference[0] = "1.5";
  contents.initial[0] = "?";
  contents.reference[1] = "2";
  contents.initial[1] = "3";
  contents.optimized[1] = "4.25";
  contents.reference[2] = "?";
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  EXPECT_EQ(pass.view.labels[0], "   1.500");
  EXPECT_EQ(pass.view.labels[1], "   4.250");
  EXPECT_EQ(pass.view.labels[2], "?");
}

TEST(WindowRefresh, NoWeightedPointsLeaveNoNormalSums) {
  SheetContents contents;
  contents.points = {{"25", "1", "", "<", "1"}, {"50", "1", "", "0", "1"}};
  MemoryGrid grid = BuildSheet(contents);
  Pass pass;
  pass.Run(grid);
  EXPECT_EQ(pass.problem.NormMat, (std::array<std::array<double, 4>, 4>{}));
  EXPECT_EQ(grid.CellText(12, 5), "?");
}

// Runs with the process's number format set to a decimal-comma locale.
class DecimalCommaSystem : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  }
  void TearDown() override { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  std::string saved_;
};

TEST_F(DecimalCommaSystem, ParameterCellsHoldNumbersAndLabelsShowAComma) {
  SheetContents contents;
  contents.reference[0] = "12.345";
  MemoryGrid grid = BuildSheet(contents, true);
  Pass pass;
  pass.Run(grid);
  ASSERT_EQ(pass.problem.ErrCode, 0) << pass.view.messages.back().text;
  EXPECT_TRUE(pass.problem.DecComma);
  // The masked text is written as the number it shows, so that the sheet
  // shows it with a comma and the next pass reads it as a number.
  EXPECT_EQ(grid.At(9, 2).content, CellContent::Number(12.345));
  EXPECT_EQ(grid.CellText(9, 2), "12,345");
  EXPECT_EQ(pass.view.labels[0], "  12,345");
  Pass again;
  again.Run(grid);
  EXPECT_EQ(again.problem.RefPar.pK298, 12.345);
  EXPECT_EQ(again.view.labels[0], "  12,345");
  // Numbers typed on this system read with their comma.
  Type(grid, 15, 5, "");
  grid.Put(15, 5, CellContent::Text("-0,75"));
  again.Run(grid);
  EXPECT_EQ(again.problem.PtPK[1], -0.75f);
}

}  // namespace
}  // namespace tavrix
