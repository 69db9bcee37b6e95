#pragma once

#include <optional>

namespace tavrix {

// Liquid-vapour saturation pressure of water in bar at T in kelvin. Below
// the critical temperature 647.25 K it follows the saturation curve; above
// it, a straight-line extension that only the density routine uses to pick
// its start value.
float SatPressure(float T);

// Density of water in g/cm3 at T in kelvin and P in bar (P > 0), solved by
// Newton's method on the pressure function of the Haar-Gallagher-Kell
// equation of state. Converges when a step leaves the single-precision
// density unchanged; -1 when it does not within 100 steps or when the
// computation fails.
float WaterDensity(float T, float P);

// The pressure (bar) that the equation of state gives at T in kelvin and a
// density rho in g/cm3.
double WaterPressure(float T, double rho);

// The pressure at which a point "at saturation" (pressure 0) is taken:
// SatPressure(T) raised to 1 bar; nothing at or above the critical
// temperature, where no saturation pressure exists.
std::optional<float> SaturationPoint(float T);

// 0 degrees C in kelvin, and absolute zero in degrees C.
inline constexpr double kZeroCelsius = 273.15;
inline constexpr float kAbsoluteZeroCelsius = -static_cast<float>(kZeroCelsius);

// The temperature in kelvin, held in single precision as the program holds
// it, of a temperature in degrees Celsius.
inline float KelvinOf(float celsius) {
  return static_cast<float>(celsius + kZeroCelsius);
}

// The critical temperature that separates the saturation curve from its
// extension (kelvin, single precision).
inline constexpr float kCriticalT = 647.25f;

}  // namespace tavrix
