#include "tavrix/numeric/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "tavrix/numeric/format_masked.h"

namespace tavrix {
namespace {

TEST(IsNumericText, AcceptsExactlyTheGrammar) {
  // Beyond a double's range is no number; below it is zero.
  for (const char* text : {"1.5", " -2.5E+3 ", "+42", ".5", "5.", "\t7 ", "1E-05", "1e-400"}) {
    EXPECT_TRUE(IsNumericText(text, false)) << '"' << text << '"';
  }
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

}  // namespace
}  // namespace tavrix
