#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tavrix::cli {

// One point given on the command line: a temperature in degrees C and a
// pressure in bar (or a density in g/cm3), held in single precision.
struct InputPoint {
  float t;
  float second;
};

// The pairs from the arguments, or from whitespace-separated text on `in`
// when the only argument is "-". Numbers use '.' as the decimal point.
// On malformed input, nothing, with the reason in `error`.
std::optional<std::vector<InputPoint>> ReadPoints(const std::vector<std::string>& args,
                                                  std::istream& in, std::string& error);

// Numbers for output: "%.9g" or "%.10g" alike, always with '.'.
std::string FormatG(double x, int significantDigits);

}  // namespace tavrix::cli
