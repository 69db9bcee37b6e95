// The engine's results on 200 random sheets, kept as digests of what it
// wrote and printed: pass, fit, write-back, pK table and export, in the C
// and a decimal-comma locale. A change of the code that changes any cell,
// format, colour, table line or record shows here. To take the present
// results as the new reference after an intended change, run the test
// with TAVRIX_WRITE_GOLDEN=1.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

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

std::uint64_t Hash(const std::string& text) {  // FNV-1a, 64 bits
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string Hex(std::uint64_t value, int digits) {
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(value));
  return std::string(hex, static_cast<std::size_t>(digits));
}

std::string Digest(const std::string& text) {
  return Hex(Hash(text), 16);
}

// A cell as the grid holds it: contents (numbers to the last bit), number
// format and font colour.
std::string CellText(const GridCell& cell) {
  char number[32] = "";
  if (cell.content.IsNumber()) std::snprintf(number, sizeof number, "%a", cell.content.number());
  return std::string(number) + (cell.content.IsText() ? cell.content.text() : "") + '|' +
         cell.numberFormat + '|' + std::to_string(cell.fontColor ? *cell.fontColor : -1);
}

// Every cell of the grid: in full for its digest, and by two hexadecimal
// digits a cell, rows apart, to find a change to the cell.
std::string Cells(const MemoryGrid& grid, bool shortly) {
  std::string cells;
  for (int row = 1; row <= grid.RowCount(); ++row) {
    if (row > 1) cells += shortly ? "/" : "\n";
    for (int col = 1; col <= grid.ColumnCount(row); ++col) {
      const std::string cell = CellText(grid.At(row, col));
      cells += shortly ? Hex(Hash(cell), 2) : cell + '\t';
    }
  }
  return cells;
}

// One line for one sheet, a field for each of the calls (kCalls below).
std::string Outcome(const testing_support::SheetContents& contents, int index, bool comma) {
  CsvSheet grid = testing_support::BuildSheet(contents, comma);
  const SheetPassResult pass = PassOverSheet(grid, {false, comma});
  std::string line = "pass=" + (pass.clean() ? "ok" : pass.read.error->Message());
  line += " pass-cells=" + Digest(Cells(grid, false));
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
    line += " fit=" + (fit ? std::string("ok") : fit.reason) +
            " fit-cells=" + Digest(Cells(grid, false));
    const ShownFit shownFit = CheckShownFit(grid, fit.parameters, comma);
    if (fit && shownFit.shown) {
      const std::vector<std::string> table =
          PkTableLines(TableOfFit(pass.read.sheet, shownFit.parameters, false, comma));
      line += " table=" + Digest(TableText(table, false)) +
              " excel=" + Digest(TableText(table, true)) +
              " export=" + Digest(RecordOf(pass.read.sheet, shownFit.parameters, comma).Text());
    }
  }
  return line + " csv=" + Digest(grid.Text()) + " cells=" + Cells(grid, true);
}

// The calls of a line, in their order: the pass and the digest of the cells
// after it, the fit and the digest of the cells after it, the pK table, its
// copy for Excel, the export record, the file, and the cells at the end.
constexpr const char* kCalls[] = {"pass",  "pass-cells", "fit", "fit-cells", "table",
                                  "excel", "export",     "csv", "cells"};

// The field of a call in a line ("fit" -> "ok"), up to the next call's; a
// value may hold blanks.
std::string Field(const std::string& line, const std::string& call) {
  const std::size_t at = line.find(" " + call + "=");
  if (at == std::string::npos) return "(none)";
  const std::size_t from = at + call.size() + 2;
  std::size_t to = line.size();
  for (const std::string next : kCalls) to = std::min(to, line.find(" " + next + "=", from));
  return line.substr(from, to - from);
}

// The first cell whose short digest differs, as "F12"; "" when none does.
std::string FirstDifferingCell(const std::string& was, const std::string& now) {
  const auto differs = std::mismatch(was.begin(), was.end(), now.begin(), now.end()).first;
  if (was == now) return "";
  const std::size_t at = static_cast<std::size_t>(differs - was.begin());
  const std::size_t rowStart = at == 0 ? 0 : was.rfind('/', at - 1) + 1;  // npos + 1 is 0
  const long row = std::count(was.begin(), differs, '/') + 1;
  return std::string(1, static_cast<char>('A' + (at - rowStart) / 2)) + std::to_string(row);
}

// What changed in a sheet's line: each call whose result differs, and the
// first cell that does.
std::string Change(const std::string& was, const std::string& now) {
  std::string change;
  for (const std::string call : kCalls) {
    if (call == "cells" || Field(was, call) == Field(now, call)) continue;
    change += "\n  " + call + ": '" + Field(was, call) + "' is now '" + Field(now, call) + "'";
  }
  const std::string cell = FirstDifferingCell(Field(was, "cells"), Field(now, "cells"));
  return cell.empty() ? change : change + "\n  first changed cell: " + cell;
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
    // "point 17": sheet 17 of seed 4242 (even: Next(), odd: Measured()), C locale.
    const std::string sheet = expected.substr(0, expected.find(' ', expected.find(' ') + 1));
    EXPECT_TRUE(actual == expected)
        << "sheet '" << sheet << "' changed:" << Change(expected, actual);
    fits += actual.find("table=") != std::string::npos ? 1 : 0;
  }
  EXPECT_FALSE(std::getline(now, actual)) << "more results than the reference";
  EXPECT_GT(fits, 150);  // enough fits reach the table and the export
}

}  // namespace
}  // namespace tavrix
