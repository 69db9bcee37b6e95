#include "tavrix/numeric/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "tavrix/numeric/format_masked.h"

namespace tavrix {
namespace {

struct NumericCase {
  bool decComma;
  const char* text;
  bool numeric;
};

void PrintTo(const NumericCase& c, std::ostream* os) {
  *os << '"' << c.text << "\" decComma=" << c.decComma;
}

class IsNumericTextTable : public testing::TestWithParam<NumericCase> {};

TEST_P(IsNumericTextTable, AcceptsExactlyTheGrammar) {
  const NumericCase& c = GetParam();
  EXPECT_EQ(IsNumericText(c.text, c.decComma), c.numeric)
      << "\"" << c.text << "\" with decComma=" << c.decComma;
}

INSTANTIATE_TEST_SUITE_P(
    SeparatorRule, IsNumericTextTable,
    testing::Values(NumericCase{false, "1.5", true}, NumericCase{false, "1,000", false},
                    NumericCase{false, " -2.5E+3 ", true}, NumericCase{true, "1,5", true},
                    NumericCase{true, "1.5", false}, NumericCase{true, "1,000.5", false}));

INSTANTIATE_TEST_SUITE_P(
    Grammar, IsNumericTextTable,
    testing::Values(NumericCase{false, "+42", true}, NumericCase{false, ".5", true},
                    NumericCase{false, "5.", true}, NumericCase{false, "\t7 ", true},
                    NumericCase{false, "1E-05", true}, NumericCase{false, "", false},
                    NumericCase{false, "   ", false}, NumericCase{false, ".", false},
                    NumericCase{false, "-", false}, NumericCase{false, "1e", false},
                    NumericCase{false, "e5", false}, NumericCase{false, "1e+", false},
                    NumericCase{false, "1.2.3", false}, NumericCase{false, "--1", false},
                    NumericCase{false, "- 1", false}, NumericCase{false, "1 2", false},
                    NumericCase{false, "12abc", false}, NumericCase{false, "0x1A", false},
                    NumericCase{false, "inf", false}, NumericCase{false, "nan", false},
                    NumericCase{false, "####.###", false},
                    // Beyond a double's range is no number; below it is zero.
                    NumericCase{false, "1e400", false}, NumericCase{false, "1e-400", true}));

TEST(TextToNumber, ReadsTheSystemSeparator) {
  EXPECT_EQ(TextToDouble(" -2.5E+3 ", false), -2500.0);
  EXPECT_EQ(TextToDouble("0,001", true), 0.001);
  EXPECT_EQ(TextToFloat("0.1", false), 0.1f);
  EXPECT_EQ(TextToFloat("3,14159", true), 3.14159f);
  EXPECT_FALSE(TextToDouble("1,5", false).has_value());
  EXPECT_FALSE(TextToDouble("word", false).has_value());
  EXPECT_FALSE(TextToDouble("", true).has_value());
}

TEST(TextToNumber, UnderADecimalCommaAlsoReadsTheProgramsOwnText) {
  // Masked text always has '.', so under a decimal comma a written cell
  // holds it as text; it must still read back as the number it stood for.
  const std::string text = FormatMasked("####.###", -3.14159);
  EXPECT_FALSE(IsNumericText(text, true));
  EXPECT_EQ(TextToDouble(text, true), -3.142);
  EXPECT_FALSE(TextToDouble("1,000.5", true).has_value());
}

TEST(TextToNumber, SinglePrecisionRangeIsItsOwn) {
  EXPECT_EQ(TextToDouble("1e39", false), 1e39);
  EXPECT_FALSE(TextToFloat("1e39", false).has_value());
  EXPECT_FALSE(TextToFloat("-1e39", false).has_value());
  EXPECT_EQ(TextToFloat("1e35", false), 1e35f);
  EXPECT_EQ(TextToFloat("1e-50", false), 0.0f);
  EXPECT_TRUE(std::signbit(*TextToFloat("-1e-50", false)));
  EXPECT_EQ(TextToDouble("0.00000e999", false), 0.0);
}

TEST(CellValue, StoresNumbersAsNumbersAndEverythingElseAsText) {
  // The program's own text has '.' whatever the locale, and becomes a number
  // under a decimal comma too.
  EXPECT_EQ(CellValue("   3.142"), CellContent::Number(3.142));
  EXPECT_EQ(CellValue("?"), CellContent::Text("?"));
  EXPECT_EQ(CellValue("####.###"), CellContent::Text("####.###"));
  EXPECT_EQ(CellValue("1,5"), CellContent::Text("1,5"));
  EXPECT_EQ(NumberFormatOf("####.###"), "0.000");
  EXPECT_EQ(NumberFormatOf("#####.##"), "0.00");
  EXPECT_EQ(NumberFormatOf("#####"), "0");
  // A value that rounds to zero keeps its minus in the text, not in the cell.
  EXPECT_FALSE(std::signbit(CellValue("  -0.000").number()));
  EXPECT_EQ(GeneralText(-0.0, false), "0");
}

TEST(LeadingNumber, ReadsThePrefixAndIgnoresTheRest) {
  EXPECT_EQ(LeadingNumber("   3.142"), 3.142);
  EXPECT_EQ(LeadingNumber("-999.900"), -999.9);
  EXPECT_EQ(LeadingNumber("1.23E+04"), 12300.0);
  EXPECT_EQ(LeadingNumber("1.23E-04"), 1.23e-4);
  EXPECT_EQ(LeadingNumber("12.5 bar"), 12.5);
  EXPECT_EQ(LeadingNumber("7e+x"), 7.0);
  EXPECT_EQ(LeadingNumber("+.5,3"), 0.5);
  EXPECT_EQ(LeadingNumber("####.###"), 0.0);
  EXPECT_EQ(LeadingNumber("1,5"), 1.0);  // the decimal separator in force does not matter
  EXPECT_EQ(LeadingNumber("1e999"), HUGE_VAL);
}

// Restores the process's number format after a test that changes it.
class NumberLocale : public testing::Test {
 protected:
  void SetUp() override { saved_ = std::setlocale(LC_NUMERIC, nullptr); }
  void TearDown() override { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  std::string saved_;
};

TEST_F(NumberLocale, DetectsTheSystemSeparator) {
  ASSERT_NE(std::setlocale(LC_NUMERIC, "C"), nullptr);
  EXPECT_FALSE(DetectDecimalComma());

  // The set-up script generates this locale; a machine without it cannot
  // show a decimal comma at all.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
  }
  EXPECT_TRUE(DetectDecimalComma());
  // The test and the conversions never depend on the locale in force.
  EXPECT_TRUE(IsNumericText("1.5", false));
  EXPECT_EQ(TextToDouble("2.25", false), 2.25);
}

}  // namespace
}  // namespace tavrix
