#pragma once

// The pieces the report's page is written with: escaped text and numbers
// in the page's decimal mark.

#include <string>
#include <string_view>

namespace tavrix::report {

// Text with &, <, > and " escaped, for an element or an attribute.
std::string Escape(std::string_view text);

// x with so many decimals; "" for a value that is not finite.
std::string Fixed(double x, int decimals, bool decComma);

// x to so many significant digits; "" for a value that is not finite.
std::string Significant(double x, int digits, bool decComma);

// A message's numbers in the page's decimal mark: every '.' between two
// digits becomes ',' under a decimal comma.
std::string WithDecimalMark(std::string text, bool decComma);

// <tag attributes>escaped text</tag>; `attributes` written as they stand.
std::string Element(std::string_view tag, std::string_view text, std::string_view attributes = "");

}  // namespace tavrix::report
