#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <string>

namespace tavrix::testing_support {

// Passes when `value`, written with as many decimals as the quoted figure
// has, reads exactly as that figure: "0.0316874" holds for 0.03168742.
// Use as EXPECT_PRED_FORMAT2(ShowsAs, value, "0.0316874").
inline testing::AssertionResult ShowsAs(const char* valueExpression, const char*, double value,
                                        const std::string& figure) {
  const auto point = figure.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(figure.size() - point - 1);
  char text[400];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
  const std::string shown(text, end);
  if (shown == figure) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << valueExpression << " shows as " << shown << ", not " << figure;
}

}  // namespace tavrix::testing_support
