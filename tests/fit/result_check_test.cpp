#include <gtest/gtest.h>

#include "support/data_sheet.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/fit/optimize.h"
#include "tavrix/sheet/sheet_pass.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;
using testing_support::Type;

struct Fitted {
  Fitted() : grid(BuildSheet(Contents())) {
    SheetPass(problem, grid, view, "r.xls", "Sheet1");
    view.fit = {true, false, false};
    EXPECT_TRUE(Optimize(problem, grid, view));
  }
  static SheetContents Contents() {
    SheetContents contents;
    contents.reference[1] = "0";
    contents.reference[2] = "0";
    contents.points = {{"25", "1", "", "1", "3.45678"}};
    return contents;
  }
  MemoryGrid grid;
  Problem problem;
  HeadlessView view;
};

TEST(ResultIsShown, AfterAFitUsesTheValuesAsShown) {
  Fitted f;
  EXPECT_NEAR(f.problem.OptPar.pK298, 3.45678, 1e-6);
  ASSERT_TRUE(ResultIsShown(f.problem, f.grid, f.view));
  EXPECT_EQ(f.problem.OptPar.pK298, 3.4570000171661377);  // 3.457 in single precision
}

TEST(ResultIsShown, AFitWhoseSingleValueRoundsOtherwiseIsShownAsWritten) {
  // 1.2344999999990 shows as 1.234; in single precision it is 1.2345000505.
  Fitted f;
  f.problem.OptPar.pK298 = 1.234499999999;
  WriteFitResult(f.problem, FitMat(), f.grid, f.view);
  ASSERT_EQ(f.grid.CellText(9, 6), "1.234");
  EXPECT_TRUE(ResultIsShown(f.problem, f.grid, f.view));
  EXPECT_EQ(f.problem.OptPar.pK298, 1.2339999675750732);  // 1.234 in single precision
}

TEST(ResultIsShown, OtherValuesInTheOptimizedCellsFailTheCheck) {
  Fitted f;
  Type(f.grid, 10, 6, "0.5");
  const RBPar before = f.problem.OptPar;
  EXPECT_FALSE(ResultIsShown(f.problem, f.grid, f.view));
  EXPECT_EQ(f.problem.OptPar.pK298, 3.4570000171661377);  // replaced before the failing one
  EXPECT_EQ(f.problem.OptPar.A, before.A);

  // A pass reads the new value into the optimized parameters: shown again.
  SheetPass(f.problem, f.grid, f.view, "r.xls", "Sheet1");
  EXPECT_TRUE(ResultIsShown(f.problem, f.grid, f.view));
  EXPECT_EQ(f.problem.OptPar.A, 0.5f);
}

TEST(ResultIsShown, NothingShownAfterAFailedFitOrInTheCompactWindow) {
  Fitted f;
  f.view.state = WindowState::kCompact;
  const RBPar before = f.problem.OptPar;
  EXPECT_FALSE(ResultIsShown(f.problem, f.grid, f.view));
  EXPECT_EQ(f.problem.OptPar.pK298, before.pK298);

  f.view.state = WindowState::kStandard;
  f.grid.ClearCells({9, 6, 12, 7});  // as a fit that found no solution leaves it
  EXPECT_FALSE(ResultIsShown(f.problem, f.grid, f.view));
}

TEST(BuildPkTable, TitleFromTheComplexCell) {
  Fitted f;
  Type(f.grid, 2, 3, "CaSO4\u00B0");
  const std::vector<std::string> lines = BuildPkTable(f.problem, f.grid);
  EXPECT_EQ(lines[0].substr(lines[0].find('p')), "pK of dissociation of \"CaSO4\u00B0\"");
  EXPECT_EQ(lines[4].substr(8, 12), "      3.457 ");  // 25 C, saturation: pK298 itself
}

}  // namespace
}  // namespace tavrix
