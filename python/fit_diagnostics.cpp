// FitResult.correlation and FitResult.diagnostics: how far the fit may be
// trusted, as `tavrix fit` warns of it.
#include <pybind11/numpy.h>

#include <limits>
#include <string>

#include "fit_result_object.h"
#include "tavrix/fit/diagnostics.h"
#include "tavrix/sheet/layout.h"

namespace tavrix::python {
namespace {

using namespace pybind11::literals;

FitDiagnostics DiagnosticsOf(const FitResultObject& r) {
  return tavrix::DiagnosticsOf(EvaluationOf(r), r.outcome);
}

py::array_t<double> Correlation(const FitResultObject& r) {
  const ParameterCorrelation correlation = DiagnosticsOf(r).correlation;
  const int count = r.model().count;
  py::array_t<double> result({count, count});
  auto c = result.mutable_unchecked<2>();
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < count; ++j)
      c(i, j) = correlation[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  }
  return result;
}

std::string FlagOf(const PointDiagnostics& point) {
  if (point.outlier && point.influential) return "outlier, influential";
  if (point.outlier) return "outlier";
  return point.influential ? "influential" : "";
}

// One array per column, one row per weighted point: pandas.DataFrame(d).
py::dict Diagnostics(const FitResultObject& r) {
  const FitDiagnostics d = DiagnosticsOf(r);
  const DataSheet& sheet = r.sheet->data;
  const auto n = static_cast<py::ssize_t>(d.points.size());
  py::array_t<int> row(n);
  py::array_t<double> t(n), p(n), density(n), pK(n), calculated(n), residual(n), studentized(n),
      leverage(n), cooks(n);
  py::list flags;
  for (py::ssize_t k = 0; k < n; ++k) {
    const PointDiagnostics& point = d.points[static_cast<std::size_t>(k)];
    const DataPoint& data = sheet.points[static_cast<std::size_t>(point.point)];
    row.mutable_at(k) = layout::PointRow(point.point + 1);
    t.mutable_at(k) = data.t;
    p.mutable_at(k) = data.pressure ? static_cast<double>(*data.pressure)
                                    : std::numeric_limits<double>::quiet_NaN();
    density.mutable_at(k) = data.density;
    pK.mutable_at(k) = data.pK;
    calculated.mutable_at(k) = data.pK - point.residual;
    residual.mutable_at(k) = point.residual;
    studentized.mutable_at(k) = point.studentized;
    leverage.mutable_at(k) = point.leverage;
    cooks.mutable_at(k) = point.cooksDistance;
    flags.append(FlagOf(point));
  }
  py::dict columns("row"_a = row, "t"_a = t, "p"_a = p, "density"_a = density, "pK"_a = pK,
                   "calculated"_a = calculated, "residual"_a = residual,
                   "studentized"_a = studentized, "leverage"_a = leverage,
                   "cooks_distance"_a = cooks);
  columns["flag"] = py::module_::import("numpy").attr("array")(flags, "dtype"_a = "U20");
  return columns;
}

}  // namespace

void AddFitDiagnostics(py::class_<FitResultObject>& fitResult) {
  fitResult
      .def_property_readonly("correlation", &Correlation,
                             R"(The correlation of the fitted parameters: a 3 x 3 array in the
order pK298, A, B (k x k in the order of another model's parameters), NaN
in the rows and columns of parameters held. `tavrix
fit` warns where two of them correlate beyond +-0.995: the data do not
determine them separately.)")
      .def_property_readonly("diagnostics", &Diagnostics,
                             R"(How each weighted point stands in the fit, as a dict of arrays
(pandas.DataFrame(result.diagnostics) makes a table of it): row (of the
sheet), t, p (NaN where a density was given), density, pK, calculated,
residual (experimental minus calculated), studentized (the residual w e
over s sqrt(1 - h), s the fit's weighted standard error), leverage (h),
cooks_distance, and flag: "outlier" where |studentized| > 3,
"influential" where Cook's distance exceeds 4/n, both, or "". The
figures `tavrix fit` warns with.)");
}

}  // namespace tavrix::python
