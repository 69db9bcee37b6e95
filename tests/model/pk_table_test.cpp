#include "tavrix/model/pk_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "tavrix/numeric/text_width.h"

namespace tavrix {
namespace {

SpeciesNames Species(const char* first, const char* second) {
  SpeciesNames names;
  names[1] = FitToWidth(first, kSpeciesWidth);
  names[2] = FitToWidth(second, kSpeciesWidth);
  return names;
}

PkTableInput NaClInput() {
  PkTableInput input;
  input.title = PkTableTitle("NaCl");
  input.par = {-0.8, 1.2f, -300.0f};
  input.species = Species("Na+", "Cl-");
  return input;
}

// The 12-character cell of temperature row i (1..11) and pressure column j (1..5).
std::string Cell(const std::vector<std::string>& lines, int i, int j) {
  return lines.at(static_cast<std::size_t>(i) + 3)
      .substr(8 + 12 * static_cast<std::size_t>(j - 1), 12);
}

// (row, column) of every cell whose value carries the "?" mark.
std::set<std::pair<int, int>> MarkedCells(const std::vector<std::string>& lines) {
  std::set<std::pair<int, int>> marked;
  for (int i = 1; i <= kTableRows; ++i) {
    for (int j = 1; j <= kTableColumns; ++j) {
      if (Cell(lines, i, j).back() == '?') marked.insert({i, j});
    }
  }
  return marked;
}

TEST(PkTable, Layout) {
  const std::vector<std::string> lines = PkTableLines(NaClInput());
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], std::string(20, ' ') + "pK of dissociation of \"NaCl\"");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[15], "");
  const char* temperatures[] = {"  25.00 ", "  50.00 ", " 100.00 ", " 150.00 ",
                                " 200.00 ", " 250.00 ", " 300.00 ", " 350.00 ",
                                " 400.00 ", " 450.00 ", " 500.00 "};
  for (int i = 1; i <= kTableRows; ++i) {
    const std::string& line = lines[static_cast<std::size_t>(i) + 3];
    EXPECT_EQ(line.size(), 68u) << line;
    EXPECT_EQ(line.substr(0, 8), temperatures[i - 1]);
  }
}

TEST(PkTable, LongTitleWidensTheTableWithoutPadding) {
  PkTableInput input = NaClInput();
  input.title = PkTableTitle(std::string(60, 'x'));
  EXPECT_EQ(TableWidth(input.title, kTableColumns), 84);
  EXPECT_EQ(PkTableLines(input)[0], input.title);
  // The width counts characters: a title of 70 two-byte characters is 70 wide.
  std::string wide;
  for (int k = 0; k < 70; ++k) wide += "\u00B0";
  EXPECT_EQ(TableWidth(wide, kTableColumns), 70);
}

TEST(PkTable, SaturationColumnBelow100CelsiusIsTakenAt1Bar) {
  PkTableInput input = NaClInput();
  input.par = {0, 100.0f, 0};  // makes the pK sensitive to the density
  const std::vector<std::string> lines = PkTableLines(input);
  // At 25 C the model's Q at 1 bar is 1.7e-7: 0.000; at the saturation
  // pressure of 0.03 bar it would not be.
  EXPECT_EQ(lines[4], "  25.00       0.000     -17.619?    -33.330?    -59.996?   -112.471?");
  EXPECT_EQ(lines[5], "  50.00      35.914      19.704?      5.269?    -19.538?    -71.917?");
  EXPECT_EQ(lines[6], " 100.00     107.093      90.870      76.765      52.885?      1.084?");
  // From 400 C (at or above the critical temperature) there is no saturation.
  for (int i = 1; i <= kTableRows; ++i) {
    EXPECT_EQ(Cell(lines, i, 1) == "      ---   ", i >= 9) << "row " << i;
  }
}

// The marks are the domain's (domain_test); the table puts each in its cell.
TEST(PkTable, MarksDensitiesOutsideTheRangeOfConfidence) {
  PkTableInput input = NaClInput();
  const std::set<std::pair<int, int>> charged = {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 2},
                                                 {2, 3}, {2, 4}, {2, 5},  // 25, 50 C from 500 bar
                                                 {3, 4}, {3, 5}, {4, 4}, {4, 5},  // 100, 150 C
                                                 {5, 5}, {6, 5}};                 // 200, 250 C
  EXPECT_EQ(MarkedCells(PkTableLines(input)), charged);
  input.noLimits = true;  // 500 C, 500 bar: gas (0.257 g/cm3), a value when the limits are lifted
  EXPECT_EQ(Cell(PkTableLines(input), 11, 2).back(), '?');
  input.noLimits = false;
  input.species = Species("H+", "H2O");
  const std::set<std::pair<int, int>> uncharged = {{1, 5}, {2, 5}, {3, 5}};
  EXPECT_EQ(MarkedCells(PkTableLines(input)), uncharged);
}

TEST(PkTable, ValuesThatDoNotFitOrAreUndefined) {
  PkTableInput input = NaClInput();
  input.par.pK298 = 5e7;  // pK above 10^7 everywhere: the mask text shows
  std::vector<std::string> lines = PkTableLines(input);
  EXPECT_EQ(Cell(lines, 7, 3), "#######.### ");
  EXPECT_EQ(Cell(lines, 1, 5), "#######.###?");

  input.par.pK298 = kMissing;  // an undefined parameter gives no number
  lines = PkTableLines(input);
  EXPECT_EQ(Cell(lines, 7, 3), "    *error* ");
  EXPECT_EQ(Cell(lines, 11, 2), "      gas   ");
  EXPECT_EQ(Cell(lines, 11, 1), "      ---   ");
}

// Every '.' of the rows stands for a decimal mark: in the temperatures, the
// values and the mask text alike.
TEST(PkTable, DecimalCommaChangesOnlyTheDecimalPoints) {
  PkTableInput input = NaClInput();
  input.noLimits = true;
  input.par.pK298 = 5e6;  // some cells hold the mask text
  const std::vector<std::string> point = PkTableLines(input);
  input.decComma = true;
  const std::vector<std::string> comma = PkTableLines(input);
  ASSERT_EQ(point.size(), comma.size());
  for (std::size_t n = 0; n < point.size(); ++n) {
    std::string expected = point[n];
    if (n >= 4) std::replace(expected.begin(), expected.end(), '.', ',');
    EXPECT_EQ(comma[n], expected);
  }
}

// For a word processor the lines as shown, without trailing blanks; for a
// spreadsheet every value in its column, without its mark (a line whose
// last mark was "?" ends with the last value's digits). CR LF between
// lines, none after the last.
TEST(TableText, KeepsTheLinesOrPutsEveryValueInItsColumn) {
  const std::vector<std::string> lines = PkTableLines(NaClInput());
  const std::vector<std::string> shown = TableTextLines(lines, false);
  const std::vector<std::string> out = TableTextLines(lines, true);
  for (const bool forExcel : {false, true}) {  // .at: a line too few throws
    const std::vector<std::string>& cut = forExcel ? out : shown;
    std::string joined = cut.at(0);
    for (std::size_t i = 1; i < lines.size(); ++i) joined += "\r\n" + cut.at(i);
    EXPECT_EQ(TableText(lines, forExcel), joined);
  }
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(shown[i], TrimTrailingBlanks(lines[i]));
  // 25 C ends with a "?" mark, 300 C with a blank one that the trim removes.
  EXPECT_EQ(shown[4].size(), 68u);
  EXPECT_EQ(shown[10].size(), 67u);

  EXPECT_EQ(out[0], lines[0]);  // the centering blanks stay
  EXPECT_EQ(out[2], "\t" + std::string(TrimTrailingBlanks(lines[2])));
  EXPECT_EQ(out[3], "  t(\u00B0C)\t      Sat  \t      500  \t     1000  \t     2000  \t     5000");

  for (std::size_t i = 4; i <= 14; ++i) {
    std::string fields = lines[i].substr(0, 7);
    for (std::size_t at = 8; at < 68; at += 12) fields += "\t" + lines[i].substr(at, 11);
    EXPECT_EQ(out[i], fields);
  }
}

TEST(TableText, CutsByCharactersNotBytes) {
  // A title and a header with two-byte characters are cut at the same
  // character positions as plain ones.
  const std::vector<std::string> lines = {"\u00B0", "", "",
                                          "\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0 abc"};
  EXPECT_EQ(TableTextLines(lines, true)[3], "\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\tabc");
}

}  // namespace
}  // namespace tavrix
