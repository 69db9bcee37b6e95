#pragma once

#include <string>

namespace tavrix {

// The ranges the calculators (tavrix water and pk, and the Python
// functions) accept: any temperature above absolute zero up to 10 000 C,
// pressures from 0 (saturation) to 100 000 bar, densities above 0 up to the
// data sheet's 2 g/cm3.
inline constexpr float kMaxCalculatorCelsius = 10000.0f;
inline constexpr float kMaxCalculatorPressure = 100000.0f;

// What the second number of a calculator's pair is.
enum class SecondValue { kPressure, kDensity };

// Why a pair (t in C, and a pressure in bar or a density in g/cm3) is
// refused, quoting the texts it was given as, or "" when it is in range.
std::string CalculatorRangeError(float t, float second, SecondValue kind, const std::string& tText,
                                 const std::string& secondText);

}  // namespace tavrix
