// A sheet the program has written is always valid input to it again. On
// random sheets: pass, fit (every choice of fitted parameters, with and
// without the "<" limits), pass again; the second pass never stops at a
// cell the program wrote. In the C and a decimal-comma locale, on the
// in-memory grid and through a CSV file.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "support/data_sheet.h"
#include "support/random_sheets.h"
#include "support/recording_sheet.h"
#include "support/temp_folder.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/fit/optimize.h"
#include "tavrix/sheet/csv_sheet.h"
#include "tavrix/sheet/sheet_pass.h"

namespace tavrix {
namespace {

using testing_support::RandomSheets;
using testing_support::RecordingSheet;
using testing_support::SheetContents;

// The cell a failed pass names, from its message "... (row=R, col=C)".
std::pair<int, int> FailedCell(const HeadlessView& view) {
  std::pair<int, int> cell{0, 0};
  const std::string& text = view.messages.back().text;
  std::sscanf(text.c_str() + text.rfind("(row="), "(row=%d, col=%d)", &cell.first, &cell.second);
  return cell;
}

class WrittenSheets : public testing_support::TempFolderTest,
                      public testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    if (GetParam()) {
      ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "needs de_DE.UTF-8";
    }
  }
  void TearDown() override {
    std::setlocale(LC_NUMERIC, saved_.c_str());
    TempFolderTest::TearDown();
  }

  // One run of pass, fit and pass on a copy of the sheet; through a CSV
  // file between the steps when `csv`. The second pass, when it fails,
  // names a cell the program did not write.
  void Check(const SheetContents& contents, std::array<bool, 3> fitted, bool limits, bool csv) {
    const bool comma = GetParam();
    const std::string path = PathOf("sheet.csv");
    CsvSheet grid = testing_support::BuildSheet(contents, comma);
    if (csv) {
      SaveCsvSheet(grid, path);
      grid = LoadCsvSheet(path, comma);
    }
    RecordingSheet sheet(grid);
    Problem problem;
    HeadlessView view;
    SheetPass(problem, sheet, view, "sheet.csv", "sheet");
    bool solved = false;
    if (problem.ErrCode == kNoError) {
      view.fit = fitted;
      view.limits = limits;
      solved = static_cast<bool>(Optimize(problem, sheet, view));
      fits_ += solved ? 1 : 0;
    }
    if (csv) {
      SaveCsvSheet(grid, path);
      grid = LoadCsvSheet(path, comma);
    }
    Problem again;
    HeadlessView seen;
    SheetPass(again, grid, seen, "sheet.csv", "sheet");
    if (again.ErrCode == kNoError) {
      // The fit it wrote is the fit it shows: the table and the export take it.
      EXPECT_TRUE(!solved || ResultIsShown(again, grid, seen)) << "a fit that is not shown";
      return;
    }
    const auto [row, col] = FailedCell(seen);
    EXPECT_FALSE(sheet.Wrote(row, col))
        << seen.messages.back().text << " in a cell the program wrote; fitted " << fitted[0]
        << fitted[1] << fitted[2] << (limits ? " with limits" : "") << (csv ? " through CSV" : "");
  }

  std::string saved_;
  int fits_ = 0;
};

TEST_P(WrittenSheets, ReadBackWithoutAnErrorInTheProgramsCells) {
  RandomSheets sheets(20261207);
  for (int n = 0; n < 120 && !HasFailure(); ++n) {
    const SheetContents contents = sheets.Next();
    for (int choice = 1; choice < 8; ++choice) {
      for (const bool limits : {false, true}) {
        for (const bool csv : {false, true}) {
          Check(contents, {(choice & 1) != 0, (choice & 2) != 0, (choice & 4) != 0}, limits, csv);
        }
      }
    }
  }
  EXPECT_GT(fits_, 1000) << "too few sheets reach the write-back to tell";
}

INSTANTIATE_TEST_SUITE_P(Locales, WrittenSheets, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "DecimalComma" : "Point"; });

}  // namespace
}  // namespace tavrix
