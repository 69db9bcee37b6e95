#include "tavrix/numeric/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>

namespace tavrix {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A number in the cell-text grammar, rewritten in the form std::from_chars
// reads: "-12.5e+3", '.' as its point, no '+' in front.
struct ScannedNumber {
  std::string canonical;
  long magnitude = 0;  // decimal exponent of the leading significant digit, +1
  bool allZero = true;
};

// Scans a whole text (blanks around allowed). `points` lists the characters
// accepted as the decimal separator; at most one of them may occur.
std::optional<ScannedNumber> ScanWhole(std::string_view s, std::string_view points) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && IsBlank(s[i])) ++i;

  ScannedNumber out;
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') out.canonical += '-';
    ++i;
  }

  long digits = 0;
  long integerDigits = 0;  // significant digits before the point
  long leadingFractionZeros = 0;
  bool seenPoint = false;
  for (; i < n; ++i) {
    const char c = s[i];
    if (IsDigit(c)) {
      ++digits;
      out.canonical += c;
      if (c != '0') {
        out.allZero = false;
      } else if (out.allZero && seenPoint) {
        ++leadingFractionZeros;
      }
      if (!seenPoint && !out.allZero) ++integerDigits;
    } else if (!seenPoint && points.find(c) != std::string_view::npos) {
      seenPoint = true;
      out.canonical += '.';
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;

  long exponent = 0;
  if (i < n && (s[i] == 'E' || s[i] == 'e')) {
    out.canonical += 'e';
    ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
      negative = s[i] == '-';
      out.canonical += s[i];
      ++i;
    }
    const std::size_t first = i;
    while (i < n && IsDigit(s[i])) {
      out.canonical += s[i];
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
      ++i;
    }
    if (i == first) return std::nullopt;
    if (negative) exponent = -exponent;
  }

  while (i < n && IsBlank(s[i])) ++i;
  if (i != n) return std::nullopt;

  out.magnitude = (integerDigits > 0 ? integerDigits : -leadingFractionZeros) + exponent;
  return out;
}

// Converts scanned text; an overflow gives nothing, an underflow a zero.
template <typename Real>
std::optional<Real> Convert(const ScannedNumber& number) {
  const std::string& c = number.canonical;
  Real value{};
  const auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), value);
  if (ec == std::errc() && end == c.data() + c.size()) return value;
  if (ec == std::errc::result_out_of_range && (number.allZero || number.magnitude <= 0)) {
    return c.front() == '-' ? -Real(0) : Real(0);
  }
  return std::nullopt;
}

char SystemPoint(bool decComma) {
  return decComma ? ',' : '.';
}

// The separators that the conversions take: the system's, and under a
// decimal comma also the point of the program's own formatted text.
std::string_view ConversionPoints(bool decComma) {
  return decComma ? ",." : ".";
}

}  // namespace

bool DetectDecimalComma() {
  char text[32];
  std::snprintf(text, sizeof text, "%g", 0.1);
  return std::string_view(text).find(',') != std::string_view::npos;
}

bool IsNumericText(std::string_view s, bool decComma) {
  const char other = decComma ? '.' : ',';
  if (s.find(other) != std::string_view::npos) return false;
  const char point = SystemPoint(decComma);
  const auto scanned = ScanWhole(s, std::string_view(&point, 1));
  return scanned && Convert<double>(*scanned).has_value();
}

std::optional<double> TextToDouble(std::string_view s, bool decComma) {
  const auto scanned = ScanWhole(s, ConversionPoints(decComma));
  if (!scanned) return std::nullopt;
  return Convert<double>(*scanned);
}

std::optional<float> TextToFloat(std::string_view s, bool decComma) {
  const auto scanned = ScanWhole(s, ConversionPoints(decComma));
  if (!scanned) return std::nullopt;
  return Convert<float>(*scanned);
}

CellContent CellValue(const std::string& s) {
  if (!IsNumericText(s, false)) return CellContent::Text(s);
  const double x = *TextToDouble(s, false);
  return CellContent::Number(x == 0 ? 0.0 : x);  // a cell holds no negative zero ("  -0.000")
}

std::string NumberFormatOf(std::string_view mask) {
  const std::size_t point = mask.find('.');
  std::string format = "0";
  if (point == std::string_view::npos) return format;
  std::size_t decimals = 0;
  while (point + 1 + decimals < mask.size() && mask[point + 1 + decimals] == '#') ++decimals;
  if (decimals > 0) format += "." + std::string(decimals, '0');
  return format;
}

double LeadingNumber(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;

  // The longest prefix that is a number: [sign] digits [. digits] [E [sign] digits].
  const std::size_t begin = i;
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && IsDigit(s[i])) ++i, ++digits;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  std::size_t end = i;
  if (i < n && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    if (i < n && IsDigit(s[i])) {
      while (i < n && IsDigit(s[i])) ++i;
      end = i;
    }
  }

  const auto scanned = ScanWhole(s.substr(begin, end - begin), ".");
  if (!scanned) return 0;
  const auto value = Convert<double>(*scanned);
  if (value) return *value;
  return scanned->canonical.front() == '-' ? -HUGE_VAL : HUGE_VAL;
}

std::string ShownText(const CellContent& cell, bool decComma) {
  if (cell.IsNumber()) return GeneralText(cell.number(), decComma);
  return cell.IsText() ? cell.text() : std::string();
}

std::string ShortNumber(float x) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, x).ptr);
}

std::string ShortNumber(float x, int digits) {
  return SignificantText(x, digits);
}

std::string SignificantText(double x, int digits) {
  char text[64];
  return std::string(
      text, std::to_chars(text, text + sizeof text, x, std::chars_format::general, digits).ptr);
}

std::string GeneralText(double x, bool decComma) {
  char text[64];
  if (x == 0) x = 0;  // no "-0"
  const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::general, 15).ptr;
  std::string out(text, end);
  for (char& c : out) {
    if (c == 'e') c = 'E';
    if (c == '.' && decComma) c = ',';
  }
  return out;
}

}  // namespace tavrix
