#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/calculator_range.h"

namespace tavrix::cli {

// One point given on the command line: a temperature in degrees C and a
// pressure in bar (or a density in g/cm3), held in single precision.
struct InputPoint {
  float t;
  float second;
};

// The pairs from the arguments, or from the text on `in` when the only
// argument is "-": numbers separated by blanks, tabs, ',' or ';', a first
// line without a number (column names) skipped. Numbers use '.' as the
// decimal point. On malformed input or a value out of range, nothing, with
// the reason in `error` (naming the line of the input).
std::optional<std::vector<InputPoint>> ReadPoints(const std::vector<std::string>& args,
                                                  std::istream& in, SecondValue second,
                                                  std::string& error);

// A parameter given as text: a finite double, or a finite single for A and
// B (which the program holds in single precision). On failure, nothing,
// with the reason in `error`.
std::optional<double> ReadParameter(const std::string& text, bool single, std::string& error);

}  // namespace tavrix::cli
