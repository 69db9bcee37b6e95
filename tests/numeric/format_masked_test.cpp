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
    M{"###  ", -1, " -1  "}, M{"###  ", -100, "###  "},
    // Values that are not finite give the mask.
    M{"####.###", HUGE_VAL, "####.###"}, M{"####.###", -HUGE_VAL, "####.###"},
    M{"####.###", NAN, "####.###"},
    // Signs, exponents and odd masks.
    M{"+###.##", 5, "  +5.00"}, M{"+###.##", -5, "  -5.00"}, M{"#.##^^^^", 12345.678, "1.23E+04"},
    M{"#.##^^^^", 0.000123, "1.23E-04"}, M{"#.##^^^^", 0, "0.00E+00"},
    M{"#.##^^^^", -0.5, "#.##^^^^"}, M{"#.##^^^^", 1E150, "#.##^^^^"}, M{"#.##", -1, "#.##"},
    M{"abc", 5, "abc"}, M{"T=##.# C", 25.06, "T=25.1 C"}, M{"#.", 5.5, "6."},
    M{"##x##", 5, " 5x##"},
    // Half-up on the stored double: 5.25 + 0.05 lies just below 5.3,
    // 0.125 + 0.005 just above 0.13.
    M{"##.#", 5.25, " 5.2"}, M{"#.##", 0.125, "0.13"},
    // Rounding that carries into the exponent, and the widest exponent.
    M{"#.##^^^^", 9.999, "1.00E+01"}, M{"#.##^^^^", 1E99, "1.00E+99"},
    M{"#.##^^^^", 1E-99, "1.00E-99"}, M{"#.##^^^^", 1E-101, "#.##^^^^"},
    M{"###^^^^", 250, "  3E+02"},
    // Integer parts far beyond the field.
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

}  // namespace
}  // namespace tavrix
