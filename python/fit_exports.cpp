// FitResult.pk, to_thermofun, to_phreeqc and logk_grid: a fit carried to
// the codes that use it, as `tavrix pk --from` and `tavrix export` carry it.
#include <pybind11/numpy.h>

#include <cmath>
#include <limits>

#include "arrays.h"
#include "conditions.h"
#include "fit_result_object.h"
#include "tavrix/datasheet/calculator_range.h"
#include "tavrix/exports/exports.h"
#include "tavrix/fit/covariance.h"
#include "tavrix/water/water.h"

namespace tavrix::python {
namespace {

using namespace pybind11::literals;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ExportedFit ExportedFitOf(const FitResultObject& r) {
  return tavrix::ExportedFitOf(r.sheet->data, r.shown, CovarianceOf(r.outcome));
}

// The text of an export; ValueError for a sheet it cannot be made from,
// a UserWarning for what the user should know of the text.
std::string TextOf(const ExportResult& result, const std::string& hint = "") {
  if (!result) throw py::value_error("cannot export: " + result.error);
  if (!result.warning.empty()) {
    const std::string message = result.warning + hint;
    if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) != 0) throw py::error_already_set();
  }
  return result.text;
}

// pK and u(pK) at the points, broadcast as rb_pk broadcasts them.
py::tuple PkOf(const FitResultObject& r, const py::object& t, const py::object& p,
               const py::object& density) {
  if (p.is_none() == density.is_none()) {
    throw py::type_error("pk() takes either p_bar or density");
  }
  const bool byDensity = !density.is_none();
  const std::array<py::array_t<double>, 2> arguments{
      NumericArray(t, "t_c"),
      byDensity ? NumericArray(density, "density") : NumericArray(p, "p_bar")};
  const ExportedFit fit = ExportedFitOf(r);
  const auto column = [&](bool uncertainty) {
    return ElementWise<2>(
        arguments, [&](const std::array<double, 2>& x, double& out, std::string& error) {
          out = kNaN;
          double rho;
          if (!DensityAtPoint(x[0], x[1], byDensity, rho, error)) return false;
          if (std::isnan(rho)) return true;
          const PkAtPoint point = PkAtDensity(fit, Single(x[0]), static_cast<float>(rho));
          out = uncertainty ? point.u.value_or(kNaN) : point.pK;
          return true;
        });
  };
  return py::make_tuple(column(false), column(true));
}

std::string PhreeqcOf(const FitResultObject& r, const py::object& tRange) {
  const py::tuple range = py::tuple(tRange);
  if (range.size() != 2) throw py::value_error("t_range is (low, high) in degrees C");
  const double low = NumericScalar(range[0], "t_range");
  const double high = NumericScalar(range[1], "t_range");
  if (!(low >= 0 && low < high && KelvinOf(Single(high)) < kCriticalT)) {
    throw py::value_error(
        "t_range gives the range of the -analytic fit along saturation, from 0 to below 374 C, "
        "e.g. (0, 300)");
  }
  return TextOf(PhreeqcBlock(ExportedFitOf(r), Single(low), Single(high)), " (t_range=(0, 250))");
}

// The values of a grid's axis, each from 0 to high.
std::vector<float> AxisValues(const py::object& values, const char* name, float high) {
  const py::array_t<double> array = NumericArray(values, name);
  std::vector<float> axis;
  for (py::ssize_t k = 0; k < array.size(); ++k) {
    const double x = array.data()[k];
    if (!(x >= 0 && x <= high)) {
      throw py::value_error(std::string(name) + ": '" + NumberText(x) + "' leaves the range 0 to " +
                            NumberText(high));
    }
    axis.push_back(Single(x));
  }
  if (axis.empty()) throw py::value_error(std::string(name) + ": no values given");
  return axis;
}

std::string GridOf(const FitResultObject& r, const py::object& t, const py::object& p, bool csv) {
  if (r.outcome.dof <= 0) {
    throw py::value_error(
        "u(logK) is not known: the fit has as many parameters as weighted points; it needs more "
        "points, or fewer parameters fitted");
  }
  std::vector<GridPoint> grid = Eq36Grid();
  if (!t.is_none() || !p.is_none()) {
    std::vector<float> temperatures;
    for (const GridPoint& point : grid) temperatures.push_back(point.t);
    if (!t.is_none()) temperatures = AxisValues(t, "t", kMaxCalculatorCelsius);
    const std::vector<float> pressures =
        p.is_none() ? std::vector<float>{0} : AxisValues(p, "p", kMaxCalculatorPressure);
    grid.clear();
    for (const float P : pressures) {
      for (const float temperature : temperatures) grid.push_back({temperature, P});
    }
  }
  return TextOf(LogKGrid(ExportedFitOf(r), grid, csv ? GridFormat::kCsv : GridFormat::kTsv));
}

}  // namespace

void AddFitExports(py::class_<FitResultObject>& fitResult) {
  fitResult
      .def("pk", &PkOf, "t_c"_a, "p_bar"_a = py::none(), "density"_a = py::none(),
           R"(pk(t_c, p_bar=None, density=None)

pK of dissociation and its uncertainty u(pK) at t_c in degrees Celsius and
either p_bar in bar (0 = at saturation) or the water density in g/cm3, as
`tavrix pk --from` prints them: a tuple (pK, u), each a float or an array
of the broadcast shape. pK is the model's with the parameters as the sheet
shows them; u(pK) = sqrt(g' C g), with g the model's basis terms at the
point and C the covariance scaled as the parameters' +- values are (about
95 %), so that u at 25 C and 1 bar is the +- of pK298. Held parameters
contribute nothing. NaN where there is no density, and u NaN for a fit
without degrees of freedom (as many parameters as weighted points); the
same TypeError and ValueError as rb_pk.)")
      .def(
          "to_thermofun",
          [](const FitResultObject& r) { return TextOf(ThermoFunRecords({ExportedFitOf(r)})); },
          R"(to_thermofun()

The ThermoFun reaction record of the dissociation (JSON text), as
`tavrix export --format thermofun` writes it: the reaction as the sheet
writes it, the neutral complex named with "@", dr_ryzhenko_coeffs =
[pK298, A, B], the sheet's title as datasources and the range of the
weighted points as limitsTP. ValueError when the complex and its species
do not balance.)")
      .def("to_phreeqc", &PhreeqcOf, "t_range"_a = py::make_tuple(0, 350),
           R"(to_phreeqc(t_range=(0, 350))

The PHREEQC SOLUTION_SPECIES block of the complex's formation from its
species, as `tavrix export --format phreeqc` writes it: log_k = +pK at
25 C, and -analytic with the fewest terms that follow +pK along saturation
over t_range (degrees C, from 0 to below 374) within 0.005. A UserWarning
when even six terms do not; ValueError when the names do not balance.)")
      .def("logk_grid", &GridOf, "t"_a = py::none(), "p"_a = py::none(), "csv"_a = false,
           R"(logk_grid(t=None, p=None, csv=False)

logK of the dissociation (-pK) and u(logK) on a grid, as
`tavrix export --format grid` writes it (tab-separated, or comma-separated
with csv=True). By default the eight EQ3/6 temperatures along saturation;
t (degrees C) and p (bar, 0 = along saturation) give every t at every p.)");
}

}  // namespace tavrix::python
