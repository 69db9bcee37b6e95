#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix {
namespace {

TEST(IsNumericText, AcceptsExactlyTheGrammar) {
  // Beyond a double's range is no number; below it is zero.
  for (const char* text : {"1.5", " -2.5E+3 ", "+42", ".5", "5.", "\t7 ", "1E-05", "1e-400"})
    EXPECT_TRUE(IsNumericText(text, false)) << '"' << text << '"';
  for (const char* text : {"1,000", "", "   ", ".", "-", "1e", "e5", "1e+", "1.2.3", "--1", "- 1",
                           "1 2", "12abc", "0x1A", "inf", "nan", "####.###", "1e400"}) {
    EXPECT_FALSE(IsNumericText(text, false)) << '"' << text << '"';
  }
  EXPECT_TRUE(IsNumericText("1,5", true));
  EXPECT_FALSE(IsNumericText("1,000.5", true));
}

TEST(TextToNumber, ReadsTheSystemSeparatorInItsOwnRange) {
  EXPECT_EQ(TextToDouble(" -2.5E+3 ", false), -2500.0);
  EXPECT_EQ(TextToDouble("0,001", true), 0.001);
  EXPECT_EQ(TextToFloat("0.1", false), 0.1f);
  EXPECT_EQ(TextToFloat("3,14159", true), 3.14159f);
  EXPECT_FALSE(TextToDouble("word", false).has_value());
  EXPECT_FALSE(TextToDouble("", true).has_value());
  // Single precision has a range of its own.
  EXPECT_EQ(TextToDouble("1e39", false), 1e39);
  EXPECT_FALSE(TextToFloat("1e39", false).has_value());
  EXPECT_FALSE(TextToFloat("-1e39", false).has_value());
  EXPECT_EQ(TextToFloat("1e35", false), 1e35f);
  EXPECT_EQ(TextToFloat("1e-50", false), 0.0f);
  EXPECT_TRUE(std::signbit(*TextToFloat("-1e-50", false)));
  EXPECT_EQ(TextToDouble("0.00000e999", false), 0.0);
}

TEST(TextToNumber, UnderADecimalCommaAlsoReadsTheProgramsOwnText) {
  // Masked text always has '.', so under a decimal comma a written cell
  // holds it as text; it must still read back as the number it stood for.
  const std::string text = FormatMasked("####.###", -3.14159);
  EXPECT_FALSE(IsNumericText(text, true));
  EXPECT_EQ(TextToDouble(text, true), -3.142);
  EXPECT_FALSE(TextToDouble("1,000.5", true).has_value());
}

TEST(CellValue, StoresNumbersAsNumbersAndEverythingElseAsText) {
  // The program's own text has '.' whatever the locale, and becomes a number
  // under a decimal comma too.
  EXPECT_EQ(CellValue("   3.142"), CellContent::Number(3.142));
  EXPECT_EQ(CellValue("1,5"), CellContent::Text("1,5"));
  EXPECT_EQ(NumberFormatOf("####.###"), "0.000");
  EXPECT_EQ(NumberFormatOf("#####.##"), "0.00");
  EXPECT_EQ(NumberFormatOf("#####"), "0");
  // A value that rounds to zero keeps its minus in the text, not in the cell.
  EXPECT_FALSE(std::signbit(CellValue("  -0.000").number()));
  EXPECT_EQ(GeneralText(-0.0, false), "0");
}

TEST(LeadingNumber, ReadsThePrefixAndIgnoresTheRest) {
  // The decimal separator in force does not matter: "1,5" leads with 1.
  const std::pair<const char*, double> cases[] = {
      {"   3.142", 3.142}, {"-999.900", -999.9}, {"1.23E+04", 12300.0}, {"1.23E-04", 1.23e-4},
      {"12.5 bar", 12.5},  {"7e+x", 7.0},        {"+.5,3", 0.5},        {"####.###", 0.0},
      {"1,5", 1.0},        {"1e999", HUGE_VAL}};
  for (const auto& [text, x] : cases) EXPECT_EQ(LeadingNumber(text), x) << '"' << text << '"';
}

TEST(DetectDecimalComma, FollowsTheProcesssNumberFormat) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_FALSE(DetectDecimalComma());
  // The set-up script generates this locale; a machine without it cannot
  // show a decimal comma at all.
  const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  if (comma) {
    EXPECT_TRUE(DetectDecimalComma());
    // The test and the conversions never depend on the locale in force.
    EXPECT_TRUE(IsNumericText("1.5", false));
    EXPECT_EQ(TextToDouble("2.25", false), 2.25);
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!comma) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
}

struct MaskCase {
  const char* mask;
  double x;
  const char* expected;
};

// Names a case in the test list too.
void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << '"' << c.mask << "\" " << c.x;
}

class FormatMaskedTable : public testing::TestWithParam<MaskCase> {};

TEST_P(FormatMaskedTable, GivesTheLaidOutText) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(FormatMasked(c.mask, c.x), c.expected);
}

using M = MaskCase;
const MaskCase kMaskCases[] = {
    M{"####.###", 3.14159, "   3.142"}, M{"####.###", -3.14159, "  -3.142"},
    M{"####.###", 0, "   0.000"}, M{"####.###", 0.0004, "   0.000"},
    M{"####.###", -0.0004, "  -0.000"}, M{"####.###", 0.0005, "   0.001"},
    M{"####.###", 999.9996, "1000.000"}, M{"####.###", 9999.9996, "####.###"},
    M{"####.###", -999.9, "-999.900"}, M{"####.###", -999.9996, "####.###"},
    M{"#####.##", 12.345, "   12.35"}, M{"#####.##", -1234.567, "-1234.57"},
    M{"####.## ", -3.14159, "  -3.14 "}, M{"#######.###", 1234567.1234, "1234567.123"},
    M{"#####", 42.5, "   43"}, M{"#####", -41.5, "  -42"}, M{"###  ", 2, "  2  "},
    M{"###  ", -1, " -1  "}, M{"###  ", -100, "###  "}, M{"####.###", HUGE_VAL, "####.###"},
    M{"####.###", -HUGE_VAL, "####.###"}, M{"####.###", NAN, "####.###"},
    M{"+###.##", 5, "  +5.00"}, M{"+###.##", -5, "  -5.00"}, M{"#.##^^^^", 12345.678, "1.23E+04"},
    M{"#.##^^^^", 0.000123, "1.23E-04"}, M{"#.##^^^^", 0, "0.00E+00"},
    M{"#.##^^^^", -0.5, "#.##^^^^"}, M{"#.##^^^^", 1E150, "#.##^^^^"}, M{"#.##", -1, "#.##"},
    M{"abc", 5, "abc"}, M{"T=##.# C", 25.06, "T=25.1 C"}, M{"#.", 5.5, "6."},
    M{"##x##", 5, " 5x##"},
    // Half-up on the stored double: 5.25 + 0.05 lies just below 5.3,
    // 0.125 + 0.005 just above 0.13.
    M{"##.#", 5.25, " 5.2"}, M{"#.##", 0.125, "0.13"}, M{"#.##^^^^", 9.999, "1.00E+01"},
    M{"#.##^^^^", 1E99, "1.00E+99"}, M{"#.##^^^^", 1E-99, "1.00E-99"},
    M{"#.##^^^^", 1E-101, "#.##^^^^"}, M{"###^^^^", 250, "  3E+02"},
    M{"####.###", 1e40, "####.###"}, M{"####.###", -1e300, "####.###"},
    // A lone '-' needs a digit position after it.
    M{"#", -1, "#"}, M{"x#", -0.0, "x0"}};
INSTANTIATE_TEST_SUITE_P(Masks, FormatMaskedTable, testing::ValuesIn(kMaskCases));

TEST(FormatMasked, HugeIntegerPartsStillGiveDigits) {
  // Beyond 2^53 the digits are those the double arithmetic yields, but
  // every position holds a digit.
  const std::string text = FormatMasked("####################", 1152921504606846976.0);
  ASSERT_EQ(text.size(), 20u);
  EXPECT_EQ(text.substr(0, 4), " 115");
  for (std::size_t i = 1; i < text.size(); ++i) EXPECT_TRUE(std::isdigit(text[i])) << text;
}

TEST(FormatMasked, KeepsTheMaskLengthAndReadsBackWithinHalfAUnit) {
  const char* masks[] = {"####.###", "#####.##", "####.## ", "#######.###", "#####", "###  "};
  const double units[] = {1e-3, 1e-2, 1e-2, 1e-3, 1, 1};
  for (int m = 0; m < 6; ++m) {
    for (double x = -98.76543; x < 98.76543; x += 0.777771) {  // fits every mask
      const std::string text = FormatMasked(masks[m], x);
      ASSERT_EQ(text.size(), std::string(masks[m]).size()) << masks[m] << " " << x;
      EXPECT_LE(std::fabs(LeadingNumber(text) - x), units[m] / 2 * (1 + 1e-9))
          << masks[m] << " " << x << " -> \"" << text << "\"";
    }
  }
}

TEST(TextWidth, CountsCharactersNotBytesAndMalformedBytesOnceEach) {
  EXPECT_EQ(CharCount("t(\u00B0C)"), 5u);
  EXPECT_EQ(CharCount("\xF0\x9F\x98\x80x"), 2u);  // a four-byte character
  EXPECT_EQ(FromChars(ToChars("CaSO4\u00B0 \u20AC")), "CaSO4\u00B0 \u20AC");
  EXPECT_EQ(CharCount("a\xC3"), 2u);      // cut-off sequence
  EXPECT_EQ(CharCount("\x80\x80z"), 3u);  // stray continuation bytes
  EXPECT_EQ(ToChars("\xE2\x82")[0], U'\uFFFD');
}

TEST(TextWidth, FitsNamesToAFixedWidth) {
  EXPECT_EQ(FitToWidth("Na+", 6), "Na+   ");
  EXPECT_EQ(FitToWidth("CaSO4\u00B0", 6), "CaSO4\u00B0");
  EXPECT_EQ(FitToWidth("\u00B0\u00B0\u00B0abc", 4), "\u00B0\u00B0\u00B0a");
  EXPECT_EQ(FitToWidth("", 2), "  ");
}

}  // namespace
}  // namespace tavrix
