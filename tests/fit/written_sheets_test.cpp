// A sheet the program has written is always valid input to it again. On
// random sheets: pass, fit (every choice of fitted parameters, with and
// without the "<" limits), pass again; the second pass never stops at a
// cell the program wrote, and a fit it wrote is the fit it shows. On the
// in-memory grid in the C and a decimal-comma locale, and through CSV files
// of every dialect: separator, decimal mark and encoding, read in the
// locale of the file's notation and in the other one.
#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "support/csv_dialect.h"
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
using Encoding = CsvDialect::Encoding;

// Where the sheet is kept between the steps: in memory, in a locale, or in
// a CSV file of a dialect.
struct Keeping {
  std::string name;
  std::optional<CsvDialect> file;
  bool comma = false;  // the locale's, in memory
};

std::vector<Keeping> Keepings() {
  std::vector<Keeping> all = {{"InMemoryPoint", std::nullopt, false},
                              {"InMemoryComma", std::nullopt, true}};
  const struct {
    Encoding encoding;
    bool byteOrderMark;
    const char* name;
  } encodings[] = {{Encoding::kUtf8, false, "Utf8"},
                   {Encoding::kUtf8, true, "Utf8Bom"},
                   {Encoding::kUtf16Le, true, "Utf16Le"},
                   {Encoding::kUtf16Be, true, "Utf16Be"},
                   {Encoding::kWindows1252, false, "Windows1252"}};
  for (const char separator : kCsvSeparators) {
    for (const bool comma : {false, true}) {
      for (const auto& e : encodings) {
        const char* name = separator == ',' ? "Comma" : separator == ';' ? "Semicolon" : "Tab";
        all.push_back({name + std::string(comma ? "DecimalComma" : "DecimalPoint") + e.name,
                       CsvDialect{separator, comma, e.encoding, e.byteOrderMark}});
      }
    }
  }
  return all;
}

class WrittenSheets : public testing_support::TempFolderTest,
                      public testing::WithParamInterface<Keeping> {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
  }
  void TearDown() override {
    std::setlocale(LC_NUMERIC, saved_.c_str());
    TempFolderTest::TearDown();
  }

  void SetLocale(bool comma) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, comma ? "de_DE.UTF-8" : "C"), nullptr)
        << "needs de_DE.UTF-8";
    comma_ = comma;
  }

  // Saves the grid and reads it again, when the sheet is kept in a file.
  void Keep(CsvSheet& grid) {
    if (!GetParam().file) return;
    const std::string path = PathOf("sheet.csv");
    SaveCsvSheet(grid, path);
    grid = LoadCsvSheet(path, comma_);
  }

  // One run of pass, fit and pass on a sheet, kept as the parameter says
  // between the steps. The second pass, when it fails, names a cell the
  // program did not write.
  void Check(const SheetContents& contents, ParameterChoice fitted, bool limits) {
    const std::optional<CsvDialect>& file = GetParam().file;
    CsvSheet grid(testing_support::BuildSheet(contents, comma_), file.value_or(CsvDialect{}));
    Keep(grid);  // its dialect found as written: the CSV reader's rule (csv_sheet_test)
    const CsvDialect read = grid.dialect();
    RecordingSheet sheet(grid);
    const SheetPassResult pass = PassOverSheet(sheet, {false, comma_});
    std::optional<FitOutcome> fit;
    if (pass.clean()) {
      fit = Fit(pass.read.sheet, pass.evaluation, {fitted, limits});
      if (*fit) WriteFitOutcome(sheet, *fit);
      fits_ += *fit ? 1 : 0;
    }
    Keep(grid);
    EXPECT_EQ(grid.dialect(), read) << "the save changed the file's dialect";
    const SheetRead again = ReadDataSheet(grid, {false, comma_});
    if (!again.error) {
      // The fit it wrote is the fit it shows: the table and the export take it.
      EXPECT_TRUE(!fit || !*fit || CheckShownFit(grid, again.sheet.optimized, comma_).shown)
          << "a fit that is not shown";
      return;
    }
    EXPECT_FALSE(sheet.Wrote(again.error->row, again.error->col))
        << again.error->Message() << " in a cell the program wrote; fitted " << fitted[0]
        << fitted[1] << fitted[2] << (limits ? " with limits" : "");
  }

  std::string saved_;
  bool comma_ = false;
  int fits_ = 0;
};

// In memory every choice on many sheets; through files one choice per
// sheet, by its number, on fewer sheets of each dialect, half of them read
// in the locale of the other decimal mark.
TEST_P(WrittenSheets, ReadBackWithoutAnErrorInTheProgramsCells) {
  const std::optional<CsvDialect>& file = GetParam().file;
  RandomSheets sheets(20261207);
  int runs = 0;
  for (int n = 0; n < (file ? 24 : 120) && !HasFailure(); ++n) {
    SetLocale(file ? file->decimalComma == (n % 2 == 0) : GetParam().comma);
    // The sheets are typed in the locale in force.
    const SheetContents contents = file && n % 3 != 0 ? sheets.Measured() : sheets.Next();
    for (int choice = 1; choice < 8; ++choice) {
      for (const bool limits : {false, true}) {
        if (file && (choice != 1 + n % 7 || limits != (n / 7 % 2 == 1))) continue;
        Check(contents, {(choice & 1) != 0, (choice & 2) != 0, (choice & 4) != 0}, limits);
        ++runs;
      }
    }
  }
  EXPECT_GT(fits_, runs / 4) << "too few sheets reach the write-back to tell";
}

INSTANTIATE_TEST_SUITE_P(Keepings, WrittenSheets, testing::ValuesIn(Keepings()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tavrix
