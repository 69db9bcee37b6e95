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

// What the second number of each pair is.
enum class SecondValue { kPressure, kDensity };

// The ranges the calculators accept: any temperature above absolute zero up
// to 10 000 C, pressures from 0 (saturation) to 100 000 bar, densities above
// 0 up to the data sheet's 2 g/cm3.
inline constexpr float kMaxCalculatorCelsius = 10000.0f;
inline constexpr float kMaxCalculatorPressure = 100000.0f;

// The pairs from the arguments, or from whitespace-separated text on `in`
// when the only argument is "-". Numbers use '.' as the decimal point.
// On malformed input or a value out of range, nothing, with the reason in
// `error`.
std::optional<std::vector<InputPoint>> ReadPoints(const std::vector<std::string>& args,
                                                  std::istream& in, SecondValue second,
                                                  std::string& error);

// A parameter given as text: a finite double, or a finite single for A and
// B (which the program holds in single precision). On failure, nothing,
// with the reason in `error`.
std::optional<double> ReadParameter(const std::string& text, bool single, std::string& error);

// Numbers for output: "%.9g" or "%.10g" alike, always with '.'.
std::string FormatG(double x, int significantDigits);

}  // namespace tavrix::cli
