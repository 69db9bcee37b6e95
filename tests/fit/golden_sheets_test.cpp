// The engine's results on 200 random sheets, kept as digests of what it
// wrote and printed: pass, fit, write-back, pK table and export, in the C
// and a decimal-comma locale. A change of the code that changes any cell,
// format, colour, table line or record shows here. To take the present
// results as the new reference after an intended change, run the test
// with TAVRIX_WRITE_GOLDEN=1.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/random_sheets.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/export.h"
#include "tavrix/fit/fit.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/fit/table_of_fit.h"
#include "tavrix/sheet/csv_sheet.h"

namespace tavrix {
namespace {

constexpr char kGolden[] = TAVRIX_TEST_DATA "/golden-sheets.txt";

std::string Digest(const std::string& text) {  // FNV-1a, 64 bits
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

// Every cell the grid holds: contents (numbers to the last bit), number
// format and font colour.
std::string Cells(const MemoryGrid& grid) {
  std::ostringstream out;
  for (int row = 1; row <= grid.RowCount(); ++row) {
    for (int col = 1; col <= grid.ColumnCount(row); ++col) {
      const GridCell& cell = grid.At(row, col);
      char number[32] = "";
      if (cell.content.IsNumber())
        std::snprintf(number, sizeof number, "%a", cell.content.number());
      out << row << ',' << col << ':' << number
          << (cell.content.IsText() ? cell.content.text() : "") << '|' << cell.numberFormat << '|'
          << (cell.fontColor ? *cell.fontColor : -1) << '\n';
    }
  }
  return out.str();
}

// One line for one sheet: the pass, the fit and what they wrote and show.
std::string Outcome(const testing_support::SheetContents& contents, int index, bool comma) {
  CsvSheet grid = testing_support::BuildSheet(contents, comma);
  const SheetPassResult pass = PassOverSheet(grid, {false, comma});
  std::string line = "pass=" + (pass.clean() ? "ok" : pass.read.error->Message());
  if (pass.clean()) {
    // A choice of parameters by the sheet's number, always with the unknown ones.
    FitOptions options;
    for (int i = 0; i < 3; ++i) {
      options.fitted[static_cast<std::size_t>(i)] =
          (((1 + index % 7) >> i) & 1) || contents.reference[i] == "?";
    }
    options.enforceLimits = (index / 7) % 2 == 1;
    const FitOutcome fit = Fit(pass.read.sheet, pass.evaluation, options);
    WriteFitOutcome(grid, fit);
    line += " fit=" + (fit ? std::string("ok") : fit.reason);
    const ShownFit shownFit = CheckShownFit(grid, fit.parameters, comma);
    if (fit && shownFit.shown) {
      const std::vector<std::string> table =
          PkTableLines(TableOfFit(pass.read.sheet, shownFit.parameters, false, comma));
      line += " table=" + Digest(TableText(table, false)) +
              " excel=" + Digest(TableText(table, true)) +
              " export=" + Digest(RecordOf(pass.read.sheet, shownFit.parameters, comma).Text());
    }
  }
  return line + " cells=" + Digest(Cells(grid)) + " csv=" + Digest(grid.Text());
}

TEST(GoldenSheets, EveryResultIsAsItWas) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  std::ostringstream results;
  for (const bool comma : {false, true}) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, comma ? "de_DE.UTF-8" : "C"), nullptr)
        << "needs de_DE.UTF-8";
    testing_support::RandomSheets sheets(4242);
    for (int i = 0; i < 200; ++i) {
      const auto contents = i % 2 == 0 ? sheets.Next() : sheets.Measured();
      results << (comma ? "comma " : "point ") << i << ' ' << Outcome(contents, i, comma) << '\n';
    }
  }
  std::setlocale(LC_NUMERIC, saved.c_str());

  if (std::getenv("TAVRIX_WRITE_GOLDEN") != nullptr) {
    std::ofstream(kGolden) << results.str();
    GTEST_SKIP() << "wrote " << kGolden;
  }
  std::ifstream golden(kGolden);
  ASSERT_TRUE(golden) << "no " << kGolden;
  std::istringstream now(results.str());
  std::string expected, actual;
  int fits = 0;
  while (std::getline(golden, expected)) {
    std::getline(now, actual);
    EXPECT_EQ(actual, expected);
    fits += actual.find("table=") != std::string::npos ? 1 : 0;
  }
  EXPECT_FALSE(std::getline(now, actual)) << "more results than the reference";
  EXPECT_GT(fits, 150);  // enough fits reach the table and the export
}

}  // namespace
}  // namespace tavrix
