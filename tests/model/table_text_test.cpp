#include <gtest/gtest.h>

#include <sstream>

#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix {
namespace {

std::vector<std::string> NaClTable() {
  PkTableInput input;
  input.title = PkTableTitle("NaCl");
  input.par = {-0.8, 1.2f, -300.0f};
  input.species[1] = FitToWidth("Na+", kSpeciesWidth);
  return PkTableLines(input);
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(separator, from)) != std::string::npos;
       from = at + separator.size()) {
    parts.push_back(text.substr(from, at - from));
  }
  parts.push_back(text.substr(from));
  return parts;
}

TEST(TableText, ForAWordProcessorKeepsTheLinesAsShown) {
  const std::vector<std::string> lines = NaClTable();
  const std::string text = TableText(lines, false);
  const std::vector<std::string> out = Split(text, "\r\n");
  ASSERT_EQ(out.size(), lines.size());  // CR LF between lines, none after the last
  EXPECT_EQ(out[0], lines[0]);          // the centering blanks stay
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(out[i], TrimTrailingBlanks(lines[i]));
  // 25 C ends with a "?" mark, 300 C with a blank one that the trim removes.
  EXPECT_EQ(out[4].size(), 68u);
  EXPECT_EQ(out[10].size(), 67u);
}

// Every value in its column, without its mark: a line whose last mark was
// "?" ends with the last value's digits.
TEST(TableText, ForASpreadsheetPutsEveryValueInItsColumn) {
  const std::vector<std::string> lines = NaClTable();
  const std::vector<std::string> out = Split(TableText(lines, true), "\r\n");
  ASSERT_EQ(out.size(), lines.size());
  EXPECT_EQ(out[0], lines[0]);
  EXPECT_EQ(out[2], "\t" + std::string(TrimTrailingBlanks(lines[2])));

  const std::vector<std::string> header = Split(out[3], "\t");
  ASSERT_EQ(header.size(), 6u) << out[3];
  EXPECT_EQ(header[0], "  t(\u00B0C)");
  const char* labels[] = {"Sat", "500", "1000", "2000", "5000"};
  for (int j = 0; j < 5; ++j) EXPECT_EQ(TrimBlanks(header[j + 1]), labels[j]);

  for (std::size_t i = 4; i <= 14; ++i) {
    const std::vector<std::string> fields = Split(out[i], "\t");
    ASSERT_EQ(fields.size(), 6u) << out[i];
    EXPECT_EQ(fields[0], lines[i].substr(0, 7));
    for (int j = 1; j <= 5; ++j) {
      EXPECT_EQ(fields[j], lines[i].substr(8 + 12 * (j - 1), 11)) << out[i];
    }
  }
  EXPECT_EQ(lines[4].back(), '?');
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
