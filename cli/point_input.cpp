#include "point_input.h"

#include <istream>
#include <iterator>

#include "tavrix/numeric/number_text.h"

namespace tavrix::cli {

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
    error = CalculatorRangeError(point.t, point.second, second, words[i], words[i + 1]);
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

}  // namespace tavrix::cli
