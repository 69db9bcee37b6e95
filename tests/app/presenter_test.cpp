#include "tavrix/app/presenter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "support/data_sheet.h"
#include "support/headless_view.h"
#include "support/temp_folder.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::Type;

class Presenter : public testing_support::TempFolderTest {
 protected:
  void Run(MemoryGrid& grid, const std::string& book = "Results.xls") {
    SheetPass(problem, grid, view, book, "Sheet1");
  }
  Problem problem;
  testing_support::HeadlessView view;
};

// An error collapses the window and names its cell.
TEST_F(Presenter, StateCaptionAndPointCountFollowTheSheet) {
  MemoryGrid grid = BuildSheet({});
  Run(grid);
  EXPECT_EQ(view.state, WindowState::kStandard);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "Number of experimental points: 2");
  EXPECT_EQ(view.messages[0].icon, MessageIcon::kInformation);
  // The box comes over a window that shows the sheet already.
  EXPECT_EQ(view.messages[0].caption, "Results: Sheet1");
  EXPECT_EQ(view.messages[0].labels, view.labels);

  Type(grid, 16, 4, "<");
  Run(grid, "nacl.ods");
  EXPECT_EQ(view.state, WindowState::kWithRestrictions);
  EXPECT_EQ(view.caption, "nacl.ods: Sheet1");
  EXPECT_EQ(view.messages.size(), 1u);  // the count is said when it changes
  Type(grid, 17, 1, "50"), Type(grid, 17, 2, "1"), Type(grid, 17, 5, "2");
  Run(grid);
  EXPECT_EQ(view.messages.back().text, "Number of experimental points: 3");
  Type(grid, 2, 4, "x");
  Run(grid);
  EXPECT_EQ(view.messages.back().text, "Cell must be empty (row=2, col=4)");
  EXPECT_EQ(view.messages.back().icon, MessageIcon::kCritical);
  EXPECT_EQ(view.state, WindowState::kCompact);
  EXPECT_EQ(view.caption, "Tavrix");

  EXPECT_EQ(WindowCaption("Results.XLS", "S"), "Results.XLS: S");
}

TEST_F(Presenter, BoxesTickUncertainOrUnknownParametersAndLabelsShowTheirFirstNumbers) {
  MemoryGrid grid = BuildSheet({.reference = {"1.5", "2", "?"},
                                .initial = {"?", "3", ""},
                                .optimized = {"", "4.25", ""},
                                .uncertainty = {"", "0.25", ""}});
  Run(grid);
  EXPECT_EQ(view.fit, (std::array<bool, 3>{true, true, true}));
  EXPECT_EQ(view.labels, (std::array<std::string, 3>{"   1.500", "   4.250", "?"}));

  // The user clears pK's box and A's uncertainty: the next pass sees only the latter.
  view.SetFitParameter(0, false);
  Type(grid, 10, 7, "");
  Run(grid);
  EXPECT_EQ(view.fit, (std::array<bool, 3>{true, false, true}));
}

TEST_F(Presenter, OptimizeNeedsAsManyPointsAsBoxesAndAFitIsTakenAsShownOrSaidToBeImpossible) {
  MemoryGrid grid = BuildSheet({.reference = {"1", "0", "0"},
                                .uncertainty = {"0.1", "0.1", ""},
                                .points = {{"25", "1", "", "1", "3.45678"}}});
  Run(grid);
  EXPECT_FALSE(view.optimizeEnabled);  // two boxes, one point
  view.SetFitParameter(1, false);
  UpdateOptimizeButton(problem, view);
  EXPECT_TRUE(view.optimizeEnabled);
  ASSERT_TRUE(Optimize(problem, grid, view));
  EXPECT_TRUE(ResultIsShown(problem, grid, view));
  EXPECT_EQ(problem.OptPar.pK298, 3.4570000171661377);  // as shown
  view.state = WindowState::kCompact;
  EXPECT_FALSE(ResultIsShown(problem, grid, view));

  view.fit = {true, true, true};  // three parameters, one point
  EXPECT_FALSE(Optimize(problem, grid, view));
  EXPECT_EQ(view.messages.back().text, "Could not find solution");
  EXPECT_EQ(view.messages.back().icon, MessageIcon::kCritical);
  view.fit = {};
  UpdateOptimizeButton(problem, view);
  EXPECT_FALSE(view.optimizeEnabled);  // nothing to fit
}

// The exports' texts are the exports' tests' (tests/exports); here they
// are made from the fit the sheet shows.
TEST_F(Presenter, TheTableViewGivesEachCellItsUncertaintyWhileThePointsGiveTheFit) {
  MemoryGrid grid = BuildSheet(testing_support::ThreePoints());  // pK(298) and A fitted, B held
  const auto fitted = [&](std::array<bool, 3> fit) {
    Run(grid);
    view.fit = fit;
    EXPECT_TRUE(Optimize(problem, grid, view));
    EXPECT_TRUE(ResultIsShown(problem, grid, view));
    return BuildPkTableView(problem, grid);
  };
  const PkTableView table = fitted({true, true, false});
  ASSERT_EQ(table.cellTips.size(), static_cast<std::size_t>(kTableRows * kTableColumns));
  // 25 C at saturation: pK(298) as the table shows it, and its ± (Q is 2e-5 there).
  const std::string first = table.cellTips[0];
  const std::string shown(TrimBlanks(table.lines[4].substr(8, 12)));
  EXPECT_EQ(first.substr(0, first.find(" \u00B1")),
            "t = 25 \u00B0C, P = 1.00 bar (saturation): pK = " + shown);
  const std::size_t pm = first.find("\u00B1 ");
  ASSERT_NE(pm, std::string::npos) << first;
  EXPECT_NEAR(std::stod(first.substr(pm + 3)), std::stod(grid.CellText(9, 7)), 6e-4);
  EXPECT_EQ(first.find("outside the data"), std::string::npos);
  EXPECT_EQ(table.cellTips[10 * kTableColumns],
            "t = 500 \u00B0C, at saturation: no pK, no saturation above the critical temperature "
            "(---)");
  const std::string beyond = table.cellTips[6 * kTableColumns + 2];  // 300 C, 1000 bar
  EXPECT_NE(beyond.find(" (about 95 %); outside the data (25\u2013250 \u00B0C, "),
            std::string::npos)
      << beyond;
  EXPECT_EQ(table.reportName, "Results.html");
  EXPECT_NE(table.report().text.find("data-parameter=\"B\">"), std::string::npos);
  EXPECT_EQ(table.comparison().rows.size(), 4u);
  EXPECT_FALSE(table.plot.curves.front().band.empty());
  EXPECT_NE(table.phreeqc.text.find("\nNa+ + Cl- = NaCl\n"), std::string::npos);
  EXPECT_TRUE(table.thermoFun && table.grid);

  Type(grid, 16, 5, "0.7");  // a point edited after the fit
  Run(grid);
  ASSERT_TRUE(ResultIsShown(problem, grid, view));
  const PkTableView stale = BuildPkTableView(problem, grid);
  EXPECT_NE(stale.cellTips[0].find("not known: the sheet's points no longer give"),
            std::string::npos);
  EXPECT_EQ(stale.report().error,
            "the report needs the fit the sheet shows: the sheet's points no longer give the fit "
            "it shows (optimize again)");

  const PkTableView exact = fitted({true, true, true});  // three of three: no ± at all
  EXPECT_NE(exact.cellTips[0].find("not known: the fit has as many parameters as weighted points"),
            std::string::npos)
      << exact.cellTips[0];
  EXPECT_TRUE(exact.plot.curves.front().band.empty());
  EXPECT_EQ(exact.grid.error,
            "u(logK) is not known: the fit has as many parameters as weighted points");
}

TEST_F(Presenter, SaysWhereTheRecordWentOrWhyNot) {
  const std::string path = PathOf("data.txt");
  EXPECT_TRUE(ExportToDataTxt(problem, view, path));
  EXPECT_EQ(view.messages.back().text, "Added to the file '" + path + "' ");
  EXPECT_EQ(view.messages.back().icon, MessageIcon::kInformation);
  const std::string missing = PathOf("missing/data.txt");
  EXPECT_FALSE(ExportToDataTxt(problem, view, missing));
  EXPECT_EQ(view.messages.back().text, "Could not open file '" + missing + "' (is it busy?) ");
}

TEST_F(Presenter, TheModelsComparedAreCopiedAlignedOrTabSeparated) {
  const TextTable table{{"model", "k"}, {{"rb", "3"}, {"density7", "7"}}};
  EXPECT_EQ(ComparisonText(table, false), "model     k\nrb        3\ndensity7  7\n");
  EXPECT_EQ(ComparisonText(table, true), "model\tk\nrb\t3\ndensity7\t7\n");
}

// The pass takes the system's decimal separator (the numbers themselves
// are read and shown by the engine's tests).
TEST_F(Presenter, LabelsShowTheSystemsDecimalComma) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "needs de_DE.UTF-8";
  MemoryGrid grid = BuildSheet({.reference = {"12.345", "2", "-300"}}, true);
  Run(grid);
  EXPECT_EQ(view.labels[0], "  12,345");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace tavrix
