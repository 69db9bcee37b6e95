// A sheet the program has written is always valid input to it again. On
// random sheets: pass, fit (every choice of fitted parameters, with and
// without the "<" limits), pass again; the second pass never stops at a
// cell the program wrote. In the C and a decimal-comma locale, on the
// in-memory grid and through a CSV file.
#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "support/data_sheet.h"
#include "support/random_sheets.h"
#include "support/recording_sheet.h"
#include "support/temp_folder.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/fit.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/sheet/csv_sheet.h"

namespace tavrix {
namespace {

using testing_support::RandomSheets;
using testing_support::RecordingSheet;
using testing_support::SheetContents;

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
  void Check(const SheetContents& contents, ParameterChoice fitted, bool limits, bool csv) {
    const bool comma = GetParam();
    const std::string path = PathOf("sheet.csv");
    CsvSheet grid = testing_support::BuildSheet(contents, comma);
    if (csv) {
      SaveCsvSheet(grid, path);
      grid = LoadCsvSheet(path, comma);
    }
    RecordingSheet sheet(grid);
    const SheetPassResult pass = PassOverSheet(sheet, {false, comma});
    std::optional<FitOutcome> fit;
    if (pass.clean()) {
      fit = Fit(pass.read.sheet, pass.evaluation, {fitted, limits});
      if (*fit) WriteFitOutcome(sheet, *fit);
      fits_ += *fit ? 1 : 0;
    }
    if (csv) {
      SaveCsvSheet(grid, path);
      grid = LoadCsvSheet(path, comma);
    }
    const SheetRead again = ReadDataSheet(grid, {false, comma});
    if (!again.error) {
      // The fit it wrote is the fit it shows: the table and the export take it.
      EXPECT_TRUE(!fit || !*fit || CheckShownFit(grid, again.sheet.optimized, comma).shown)
          << "a fit that is not shown";
      return;
    }
    EXPECT_FALSE(sheet.Wrote(again.error->row, again.error->col))
        << again.error->Message() << " in a cell the program wrote; fitted " << fitted[0]
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
