#include "decimal.h"

#include <charconv>

#include "tavrix/version.h"

namespace tavrix::exports {
namespace {

template <typename Number>
std::string ShortestText(Number x) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, x);
  return std::string(text, result.ptr);
}

}  // namespace

std::string Shortest(double x) {
  return ShortestText(x);
}

std::string Shortest(float x) {
  return ShortestText(x);
}

double DecimalOf(float x) {
  const std::string text = Shortest(x);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

double Written(double x) {
  const float single = static_cast<float>(x);
  return static_cast<double>(single) == x ? DecimalOf(single) : x;
}

std::string Fixed(double x, int decimals) {
  char text[400];
  const auto result =
      std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, decimals);
  return std::string(text, result.ptr);
}

std::string WrittenBy() {
  return std::string("Tavrix ") + kProgramVersion;
}

}  // namespace tavrix::exports
