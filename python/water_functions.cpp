// sat_pressure, water_density and rb_pk: the calculators of the program
// over NumPy arrays.
#include <cmath>
#include <limits>

#include "arrays.h"
#include "bindings.h"
#include "conditions.h"
#include "tavrix/datasheet/calculator_range.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/water/water.h"

namespace tavrix::python {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

py::object SatPressureOf(const py::object& t) {
  return ElementWise<1>({NumericArray(t, "t_c")}, [](const std::array<double, 1>& x, double& out,
                                                     std::string& error) {
    out = kNaN;
    if (std::isnan(x[0])) return true;
    error = CalculatorRangeError(Single(x[0]), 0, SecondValue::kPressure, NumberText(x[0]), "0");
    if (!error.empty()) return false;
    const float T = KelvinOf(Single(x[0]));
    if (T < kCriticalT) out = SatPressure(T);
    return true;
  });
}

py::object WaterDensityOf(const py::object& t, const py::object& p) {
  return ElementWise<2>({NumericArray(t, "t_c"), NumericArray(p, "p_bar")},
                        [](const std::array<double, 2>& x, double& out, std::string& error) {
                          return DensityAtPoint(x[0], x[1], false, out, error);
                        });
}

// A parameter the model can use: pK(298) a finite double, A and B finite
// in single precision.
bool ParameterInRange(double x, const char* name, bool single, std::string& error) {
  if (single ? std::isfinite(Single(x)) : std::isfinite(x)) return true;
  error = std::string(name) + " must be a finite number" + (single ? " in single precision" : "") +
          ": '" + NumberText(x) + "'";
  return false;
}

py::object RBpKOf(const py::object& pK298, const py::object& A, const py::object& B,
                  const py::object& t, const py::object& p, const py::object& density) {
  if (p.is_none() == density.is_none()) {
    throw py::type_error("rb_pk() takes either p_bar or density");
  }
  const bool byDensity = !density.is_none();
  const py::array_t<double> second =
      byDensity ? NumericArray(density, "density") : NumericArray(p, "p_bar");
  return ElementWise<5>(
      {NumericArray(pK298, "pk298"), NumericArray(A, "A"), NumericArray(B, "B"),
       NumericArray(t, "t_c"), second},
      [byDensity](const std::array<double, 5>& x, double& out, std::string& error) {
        out = kNaN;
        for (const double v : x) {
          if (std::isnan(v)) return true;
        }
        if (!ParameterInRange(x[0], "pk298", false, error) ||
            !ParameterInRange(x[1], "A", true, error) ||
            !ParameterInRange(x[2], "B", true, error)) {
          return false;
        }
        double rho;
        if (!DensityAtPoint(x[3], x[4], byDensity, rho, error)) return false;
        // A and B are held in single precision, as the data sheet holds them.
        const RBPar par{x[0], Single(x[1]), Single(x[2])};
        if (!std::isnan(rho)) out = RBpK(par, KelvinOf(Single(x[3])), rho);
        return true;
      });
}

}  // namespace

void AddWaterFunctions(py::module_& m) {
  m.def("sat_pressure", &SatPressureOf, py::arg("t_c"),
        R"(sat_pressure(t_c)

The liquid-vapour saturation pressure of water, in bar, at t_c in degrees
Celsius; NaN at and above the critical temperature (374.1 C), where there is
none.

t_c is a number or an array of numbers (any shape, lists and pandas
columns too). Computed in single precision, as the program does; the result
is a float64 array (a float for a number) holding those values exactly.
NaN in gives NaN out. ValueError for a temperature outside
(-273.15, 10000] C.)");

  m.def("water_density", &WaterDensityOf, py::arg("t_c"), py::arg("p_bar"),
        R"(water_density(t_c, p_bar)

The density of water, in g/cm3, at t_c in degrees Celsius and p_bar in bar,
from the Haar-Gallagher-Kell equation of state (in single precision, as the
program computes it). p_bar = 0 stands for the saturation pressure, as in a
data sheet (raised to 1 bar below 100 C); NaN where there is no density (at
saturation above the critical temperature, or where the equation of state
gives none).

The arguments broadcast against each other as NumPy's ufuncs do; the
result is a float64 array of their shape (a float for two numbers). NaN in
gives NaN out. ValueError for a temperature outside (-273.15, 10000] C or
a pressure outside [0, 100000] bar.)");

  m.def("rb_pk", &RBpKOf, py::arg("pk298"), py::arg("A"), py::arg("B"), py::arg("t_c"),
        py::arg("p_bar") = py::none(), py::arg("density") = py::none(),
        R"(rb_pk(pk298, A, B, t_c, p_bar=None, density=None)

The pK of the RB model, pK = pK298 * tau + A * Q + B * Q / T, at t_c in
degrees Celsius and either p_bar in bar (0 = at saturation, as in a data
sheet; the density from the equation of state) or the water density in
g/cm3. A and B are taken in single precision, as the program holds them;
the sum is formed in double precision.

Every argument is a number or an array; all broadcast against each other
as NumPy's ufuncs do. NaN where an argument is NaN or there is no density.
TypeError unless exactly one of p_bar and density is given; ValueError for
a temperature outside (-273.15, 10000] C, a pressure outside [0, 100000]
bar, a density outside (0, 2] g/cm3, or a parameter that is not finite.)");
}

}  // namespace tavrix::python
