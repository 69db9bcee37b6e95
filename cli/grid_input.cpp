#include "grid_input.h"

#include <cmath>

#include "tavrix/numeric/number_text.h"

namespace tavrix::cli {
namespace {

std::optional<double> Number(const std::string& text, std::string& error) {
  const std::optional<double> value = TextToDouble(text, false);
  if (!value) error = "not a number: '" + text + "'";
  return value;
}

}  // namespace

std::optional<std::vector<float>> ReadList(const std::vector<std::string>& items, float low,
                                           float high, std::string& error) {
  std::vector<float> values;
  const auto add = [&](double x, const std::string& item) {
    if (!(x >= low && x <= high)) {
      error = "'" + item + "' leaves the range " + ShortNumber(low) + " to " + ShortNumber(high);
      return false;
    }
    if (values.size() == kMaxListValues) {
      error = "more than " + std::to_string(kMaxListValues) + " values";
      return false;
    }
    values.push_back(static_cast<float>(x));
    return true;
  };
  for (const std::string& item : items) {
    const std::size_t first = item.find(':');
    if (first == std::string::npos) {
      const auto x = Number(item, error);
      if (!x || !add(*x, item)) return std::nullopt;
      continue;
    }
    const std::size_t second = item.find(':', first + 1);
    if (second == std::string::npos || item.find(':', second + 1) != std::string::npos) {
      error = "a range is FROM:TO:STEP, not '" + item + "'";
      return std::nullopt;
    }
    const auto from = Number(item.substr(0, first), error);
    const auto to = from ? Number(item.substr(first + 1, second - first - 1), error) : std::nullopt;
    const auto step = to ? Number(item.substr(second + 1), error) : std::nullopt;
    if (!step) return std::nullopt;
    if (!(*step > 0) || !(*from <= *to)) {
      error = "a range FROM:TO:STEP needs FROM <= TO and STEP > 0: '" + item + "'";
      return std::nullopt;
    }
    // Values up to TO, and TO itself where rounding leaves it a hair beyond.
    const double count = std::floor((*to - *from) / *step + 1e-9);
    if (count >= static_cast<double>(kMaxListValues)) {
      error = "'" + item + "' gives more than " + std::to_string(kMaxListValues) + " values";
      return std::nullopt;
    }
    for (int i = 0; i <= static_cast<int>(count); ++i) {
      if (!add(*from + i * *step, item)) return std::nullopt;
    }
  }
  if (values.empty()) error = "no values given";
  if (values.empty()) return std::nullopt;
  return values;
}

}  // namespace tavrix::cli
