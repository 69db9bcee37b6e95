#pragma once

#include <string>

namespace tavrix::python {

// x in single precision; beyond its range, an infinity (where a plain
// conversion would be undefined).
float Single(double x);

// The water density (g/cm3) at a point of the calculators: t in degrees C
// and either p in bar (0 = at saturation; the density from the equation of
// state) or, with byDensity, the density itself, in single precision as
// the program holds it. NaN where there is none. False, with the message,
// for values outside the calculators' range; NaN in gives NaN.
bool DensityAtPoint(double t, double second, bool byDensity, double& rho, std::string& error);

}  // namespace tavrix::python
