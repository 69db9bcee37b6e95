#include "html.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "tavrix/numeric/number_text.h"

namespace tavrix::report {

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Fixed(double x, int decimals, bool decComma) {
  if (!std::isfinite(x)) return "";
  // Rounded to nothing, a value is 0, not -0.
  const double scale = std::pow(10.0, decimals);
  if (std::round(std::fabs(x) * scale) == 0) x = 0;
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, decimals);
  if (end.ec != std::errc()) return Significant(x, decimals + 1, decComma);
  return WithDecimalMark(std::string(text, end.ptr), decComma);
}

std::string Significant(double x, int digits, bool decComma) {
  if (!std::isfinite(x)) return "";
  return WithDecimalMark(SignificantText(x, digits), decComma);
}

std::string WithDecimalMark(std::string text, bool decComma) {
  if (!decComma) return text;
  const auto digit = [&](std::size_t i) {
    return std::isdigit(static_cast<unsigned char>(text[i])) != 0;
  };
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '.' && digit(i - 1) && digit(i + 1)) text[i] = ',';
  }
  return text;
}

std::string Element(std::string_view tag, std::string_view text, std::string_view attributes) {
  std::string out = "<";
  out += tag;
  if (!attributes.empty()) {
    out += ' ';
    out += attributes;
  }
  out += '>';
  out += Escape(text);
  out += "</";
  out += tag;
  out += '>';
  return out;
}

}  // namespace tavrix::report
