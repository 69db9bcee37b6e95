#include "point_input.h"

#include <charconv>
#include <istream>
#include <iterator>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

// The reason a pair is refused, or "" when it is in range.
std::string OutOfRange(const InputPoint& p, const std::string& t, const std::string& second,
                       SecondValue kind) {
  if (!(p.t > kAbsoluteZeroCelsius && p.t <= kMaxCalculatorCelsius)) {
    return "a temperature must lie above -273.15 and at most 10000 degrees C: '" + t + "'";
  }
  if (kind == SecondValue::kPressure && !(p.second >= 0 && p.second <= kMaxCalculatorPressure)) {
    return "a pressure must lie from 0 (saturation) to 100000 bar: '" + second + "'";
  }
  if (kind == SecondValue::kDensity && !(p.second > 0 && p.second <= kMaxDensity)) {
    return "a density must lie above 0 and at most 2 g/cm3: '" + second + "'";
  }
  return "";
}

}  // namespace

std::optional<std::vector<InputPoint>> ReadPoints(const std::vector<std::string>& args,
                                                  std::istream& in, SecondValue second,
                                                  std::string& error) {
  std::vector<std::string> words = args;
  if (args.size() == 1 && args[0] == "-") {
    words.assign(std::istream_iterator<std::string>(in), std::istream_iterator<std::string>());
  }
  if (words.empty()) {
    error = "no points given";
    return std::nullopt;
  }
  if (words.size() % 2 != 0) {
    error = "numbers must come in pairs, got " + std::to_string(words.size());
    return std::nullopt;
  }

  std::vector<InputPoint> points;
  for (std::size_t i = 0; i < words.size(); i += 2) {
    const auto t = TextToFloat(words[i], false);
    const auto value = TextToFloat(words[i + 1], false);
    if (!t || !value) {
      error = "not a number: '" + (t ? words[i + 1] : words[i]) + "'";
      return std::nullopt;
    }
    const InputPoint point{*t, *value};
    error = OutOfRange(point, words[i], words[i + 1], second);
    if (!error.empty()) return std::nullopt;
    points.push_back(point);
  }
  return points;
}

std::optional<double> ReadParameter(const std::string& text, bool single, std::string& error) {
  const std::optional<double> value =
      single ? std::optional<double>(TextToFloat(text, false)) : TextToDouble(text, false);
  if (!value) error = "not a number: '" + text + "'";
  return value;
}

std::string FormatG(double x, int significantDigits) {
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, x, std::chars_format::general, significantDigits);
  return std::string(text, result.ptr);
}

}  // namespace tavrix::cli
