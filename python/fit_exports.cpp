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
  if (!r.rb()) return tavrix::ExportedFitOf(r.sheet->data, FittedModelOf(r.outcome));
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

// pK, u(pK), the marks and whether the points lie outside the data of the
// fit, broadcast as rb_pk broadcasts its arguments: a PkValues, which
// unpacks as (pK, u).
py::object PkOf(const FitResultObject& r, const py::object& t, const py::object& p,
                const py::object& density, bool noLimits) {
  if (p.is_none() == density.is_none()) {
    throw py::type_error("pk() takes either p_bar or density");
  }
  const bool byDensity = !density.is_none();
  const Broadcast b =
      BroadcastArrays({NumericArray(t, "t_c"),
                       byDensity ? NumericArray(density, "density") : NumericArray(p, "p_bar")});
  const ExportedFit fit = ExportedFitOf(r);
  const PkRules rules{noLimits};
  std::vector<std::optional<PkAtPoint>> values(b.size);  // none for a NaN given
  std::string error;
  {
    py::gil_scoped_release release;
    for (std::size_t k = 0; k < b.size && error.empty(); ++k) {
      const double x = b.arrays[0].data()[k], y = b.arrays[1].data()[k];
      if (std::isnan(x) || std::isnan(y)) continue;
      error = CalculatorRangeError(Single(x), Single(y),
                                   byDensity ? SecondValue::kDensity : SecondValue::kPressure,
                                   NumberText(x), NumberText(y));
      if (error.empty()) {
        values[k] = byDensity ? PkAtDensity(fit, Single(x), Single(y), rules)
                              : PkAtPressure(fit, Single(x), Single(y), rules);
      }
    }
  }
  if (!error.empty()) throw py::value_error(error);

  py::array_t<double> pK(b.shape), u(b.shape);
  py::array_t<bool> extrapolated(b.shape);
  py::list marks;
  for (std::size_t k = 0; k < b.size; ++k) {
    const std::optional<PkAtPoint>& v = values[k];
    pK.mutable_data()[k] = v && v->pK ? *v->pK : kNaN;
    u.mutable_data()[k] = v && v->u ? *v->u : kNaN;
    extrapolated.mutable_data()[k] = v && v->extrapolated;
    marks.append(v ? std::string(MarkText(v->condition.mark)) : std::string());
  }
  const py::object types = py::module_::import("tavrix._types");
  if (b.scalar) {
    return types.attr("PkValues")(pK.data()[0], u.data()[0], marks[0], extrapolated.data()[0]);
  }
  py::tuple shape(b.shape.size());
  for (std::size_t i = 0; i < b.shape.size(); ++i) shape[i] = b.shape[i];
  const py::object markArray =
      py::module_::import("numpy").attr("array")(marks, "dtype"_a = "U5").attr("reshape")(shape);
  return types.attr("PkValues")(pK, u, markArray, extrapolated);
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

std::string GridOf(const FitResultObject& r, const py::object& t, const py::object& p, bool csv,
                   bool noLimits) {
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
  return TextOf(
      LogKGrid(ExportedFitOf(r), grid, csv ? GridFormat::kCsv : GridFormat::kTsv, noLimits));
}

}  // namespace

void AddFitExports(py::class_<FitResultObject>& fitResult) {
  fitResult
      .def("pk", &PkOf, "t_c"_a, "p_bar"_a = py::none(), "density"_a = py::none(),
           "no_limits"_a = false,
           R"(pk(t_c, p_bar=None, density=None, no_limits=False)

pK of dissociation and its uncertainty u(pK) at t_c in degrees Celsius and
either p_bar in bar (0 = at saturation) or the water density in g/cm3, as
`tavrix pk --from` prints them: a PkValues, which unpacks as (pK, u), each
a float or an array of the broadcast shape, and also has .marks and
.extrapolated. pK is the model's with the parameters as the sheet shows
them; u(pK) = sqrt(g' C g), with g the model's basis terms at the point and
C the covariance scaled as the parameters' +- values are (about 95 %), so
that u at 25 C and 1 bar is the +- of pK298. Held parameters contribute
nothing. Where the pK table has no value -- marks "gas" (water at 0.31
g/cm3 or less), "steam" (a pressure below the saturation pressure) and
"---" (saturation above the critical temperature) -- pK and u are NaN;
"?" marks a value outside the model's range of confidence. no_limits=True
lifts the gas and steam limits, as tavrix --ie does. extrapolated is True
outside the temperatures and densities of the weighted points. u is NaN
for a fit without degrees of freedom (as many parameters as weighted
points); the same TypeError and ValueError as rb_pk.)")
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
           "no_limits"_a = false,
           R"(logk_grid(t=None, p=None, csv=False, no_limits=False)

logK of the dissociation (-pK) and u(logK) on a grid, as
`tavrix export --format grid` writes it (tab-separated, or comma-separated
with csv=True), with the columns mark (logK empty where it is gas, steam
or ---; ? outside the range of confidence) and extrapolated (1 outside
the data of the fit). By default the eight EQ3/6 temperatures along
saturation; t (degrees C) and p (bar, 0 = along saturation) give every t
at every p. no_limits=True lifts the gas and steam limits.)");
}

}  // namespace tavrix::python
