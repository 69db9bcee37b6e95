#include "tavrix/numeric/format_masked.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tavrix/numeric/number_text.h"

namespace tavrix {
namespace {

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

INSTANTIATE_TEST_SUITE_P(
    Masks, FormatMaskedTable,
    testing::Values(
        MaskCase{"####.###", 3.14159, "   3.142"}, MaskCase{"####.###", -3.14159, "  -3.142"},
        MaskCase{"####.###", 0, "   0.000"}, MaskCase{"####.###", 0.0004, "   0.000"},
        MaskCase{"####.###", -0.0004, "  -0.000"}, MaskCase{"####.###", 0.0005, "   0.001"},
        MaskCase{"####.###", 999.9996, "1000.000"}, MaskCase{"####.###", 9999.9996, "####.###"},
        MaskCase{"####.###", -999.9, "-999.900"}, MaskCase{"####.###", -999.9996, "####.###"},
        MaskCase{"#####.##", 12.345, "   12.35"}, MaskCase{"#####.##", -1234.567, "-1234.57"},
        MaskCase{"####.## ", -3.14159, "  -3.14 "},
        MaskCase{"#######.###", 1234567.1234, "1234567.123"}, MaskCase{"#####", 42.5, "   43"},
        MaskCase{"#####", -41.5, "  -42"}, MaskCase{"###  ", 2, "  2  "},
        MaskCase{"###  ", -1, " -1  "}, MaskCase{"###  ", -100, "###  "},
        // Values that are not finite give the mask.
        MaskCase{"####.###", HUGE_VAL, "####.###"}, MaskCase{"####.###", -HUGE_VAL, "####.###"},
        MaskCase{"####.###", NAN, "####.###"},
        // Signs, exponents and odd masks.
        MaskCase{"+###.##", 5, "  +5.00"}, MaskCase{"+###.##", -5, "  -5.00"},
        MaskCase{"#.##^^^^", 12345.678, "1.23E+04"}, MaskCase{"#.##^^^^", 0.000123, "1.23E-04"},
        MaskCase{"#.##^^^^", 0, "0.00E+00"}, MaskCase{"#.##^^^^", -0.5, "#.##^^^^"},
        MaskCase{"#.##^^^^", 1E150, "#.##^^^^"}, MaskCase{"#.##", -1, "#.##"},
        MaskCase{"abc", 5, "abc"}, MaskCase{"T=##.# C", 25.06, "T=25.1 C"},
        MaskCase{"#.", 5.5, "6."}, MaskCase{"##x##", 5, " 5x##"},
        // Half-up on the stored double: 5.25 + 0.05 lies just below 5.3,
        // 0.125 + 0.005 just above 0.13.
        MaskCase{"##.#", 5.25, " 5.2"}, MaskCase{"#.##", 0.125, "0.13"},
        // Rounding that carries into the exponent, and the widest exponent.
        MaskCase{"#.##^^^^", 9.999, "1.00E+01"}, MaskCase{"#.##^^^^", 1E99, "1.00E+99"},
        MaskCase{"#.##^^^^", 1E-99, "1.00E-99"}, MaskCase{"#.##^^^^", 1E-101, "#.##^^^^"},
        MaskCase{"###^^^^", 250, "  3E+02"},
        // Integer parts far beyond the field.
        MaskCase{"####.###", 1e40, "####.###"}, MaskCase{"####.###", -1e300, "####.###"},
        // A lone '-' needs a digit position after it.
        MaskCase{"#", -1, "#"}, MaskCase{"x#", -0.0, "x0"}));

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

}  // namespace
}  // namespace tavrix
