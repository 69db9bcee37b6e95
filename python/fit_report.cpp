// FitResult.report: the page `tavrix report` writes, for a fit made in
// Python.
#include <fstream>

#include "errors.h"
#include "fit_result_object.h"
#include "tavrix/report/report.h"
#include "tavrix/sheet/file_replace.h"

namespace tavrix::python {
namespace {

using namespace pybind11::literals;

std::string Report(const FitResultObject& r, const py::object& pathObject) {
  const std::string path = py::str(py::module_::import("os").attr("fspath")(pathObject));
  const SheetObject& sheet = *r.sheet;
  std::string page;
  {
    py::gil_scoped_release release;
    page = FitReport({sheet.data, sheet.evaluation, r.outcome, r.shown},
                     {sheet.settings.noLimits, sheet.settings.decComma, ReportDate()});
  }
  try {
    ReplaceFile(path, [&](const std::string& file) {
      std::ofstream stream(file, std::ios::binary);
      stream << page;
      stream.flush();
      if (!stream) throw HostError("cannot write '" + path + "'");
    });
  } catch (const HostError& e) {
    RaiseFileError(e);
  }
  return path;
}

}  // namespace

void AddFitReport(py::class_<FitResultObject>& fitResult) {
  fitResult.def("report", &Report, "path"_a,
                R"(report(path)

Writes the report of the fit, the page `tavrix report` writes: one HTML
file that needs no network and prints on A4, with the sheet's title,
complex and species, the parameters with their uncertainties and
correlation, F12, the points and degrees of freedom, the warnings of the
fit, the plot and the residuals against t and density, every point with
its calculated pK, residual, studentized residual and flags, the pK table,
the ThermoFun record and the PHREEQC block. Numbers in the sheet's decimal
mark. The file is replaced in one step; on failure it is left as it was
and BookError says why ("'fit.html' is read-only", "could not save ...").
Returns the path.)");
}

}  // namespace tavrix::python
