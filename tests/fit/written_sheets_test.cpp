// A sheet the program has written is always valid input to it again. On
// random sheets: pass, fit (every choice of fitted parameters, with and
// without the "<" limits), pass again; the second pass never stops at a
// cell the program wrote. In the C and a decimal-comma locale, on the
// in-memory grid and through a CSV file.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <random>

#include "support/data_sheet.h"
#include "support/recording_sheet.h"
#include "support/temp_folder.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/fit/optimize.h"
#include "tavrix/sheet/csv_sheet.h"
#include "tavrix/sheet/sheet_pass.h"

namespace tavrix {
namespace {

using testing_support::NumberText;
using testing_support::RecordingSheet;
using testing_support::SheetContents;

// Data sheets as users fill them, with the values that push the program to
// its edges: numbers too large for the masks, huge and tiny pK, "<" points
// repeated at one condition, values that round at the masks' last digit.
class RandomSheets {
 public:
  explicit RandomSheets(unsigned seed) : random_(seed) {}

  SheetContents Next() {
    SheetContents contents;
    for (int i = 0; i < 3; ++i) {
      contents.reference[i] = Parameter();
      contents.initial[i] = Pick(4) == 0 ? Parameter() : "";
      contents.optimized[i] = Pick(5) == 0 ? Parameter() : "";
      contents.uncertainty[i] = Pick(3) == 0 ? "0.1" : "";
    }
    contents.points.clear();
    const int n = 1 + Pick(8);
    for (int k = 0; k < n; ++k) {
      const bool repeat = k > 0 && Pick(4) == 0;  // a repeated measurement
      testing_support::TypedPoint point = repeat ? contents.points.back() : Point();
      if (repeat) point.pK = Choose({point.pK, "0.5", "-3"});
      contents.points.push_back(point);
    }
    return contents;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
  std::string Choose(std::initializer_list<std::string> texts) {
    return *(texts.begin() + Pick(static_cast<int>(texts.size())));
  }
  std::string Parameter() {
    switch (Pick(8)) {
      case 0: return Choose({"?", "", "0"});
      case 1: return Choose({"1e10", "-1e10", "99999.996", "9999.9996", "-999.9996", "1e-30"});
      default: return NumberText(Uniform(-500, 500));
    }
  }
  testing_support::TypedPoint Point() {
    testing_support::TypedPoint p;
    const double t = Uniform(0, 800);
    p.t = Pick(16) == 0 ? Choose({"0", "1000", "374", "-10"}) : NumberText(t);
    if (Pick(5) == 0) {
      p.D = Choose({"0.31", "1", "0.5", "2"});
    } else {
      p.P = Pick(3) == 0 && t < 370 ? "0" : NumberText(Uniform(0.001, 5000));
    }
    p.weight = Choose({"1", "1", "2", "0", "<", "0.5"});
    p.pK = Pick(10) == 0 ? Choose({"1e10", "-1e10", "1e-30", "12345.678"}) : NumberText(Uniform(-5, 10));
    return p;
  }
  std::mt19937 random_;
};

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
