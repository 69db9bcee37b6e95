#include "tavrix/numeric/text_width.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

TEST(TextWidth, CountsCharactersNotBytes) {
  EXPECT_EQ(CharCount("t(\u00B0C)"), 5u);
  EXPECT_EQ(CharCount("\xF0\x9F\x98\x80x"), 2u);  // a four-byte character
  EXPECT_EQ(FromChars(ToChars("CaSO4\u00B0 \u20AC")), "CaSO4\u00B0 \u20AC");
}

TEST(TextWidth, MalformedBytesCountOnceEach) {
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
