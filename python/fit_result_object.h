#pragma once

#include <pybind11/pybind11.h>

#include <memory>

#include "data_sheet_object.h"
#include "tavrix/fit/fit.h"

namespace tavrix::python {

namespace py = pybind11;

// What Python's FitResult holds: a fit of RB, or of another model (whose
// fit is outcome's ModelFit, its RB parameters unused).
struct FitResultObject {
  std::shared_ptr<SheetObject> sheet;
  FitOptions options;
  FitOutcome outcome;
  // The fitted parameters as the sheet shows them once the fit is written:
  // what the program's table, plot and exports take.
  RBPar shown;
  const Model& model() const { return *outcome.model; }
  bool rb() const { return outcome.model == &RBModel(); }
};

// The fit of a sheet by a model, as fit() makes it (FitError when it has
// no solution).
FitResultObject FitSheet(const std::shared_ptr<SheetObject>& sheet, const py::object& fit,
                         bool limits, const std::string& model);
// The result of a fit made elsewhere (compare()).
FitResultObject ResultOf(const std::shared_ptr<SheetObject>& sheet, const ModelFit& fit,
                         const FitOptions& options);

// The evaluation of the sheet's points by the result's model.
ModelEvaluation EvaluationOf(const FitResultObject& r);

// ValueError for what only RB's fit has: "table() is of the RB model ...".
void RequireRB(const FitResultObject& r, const std::string& what);

// The methods of FitResult that carry a fit to other codes: pK with its
// uncertainty at any conditions, the ThermoFun record, the PHREEQC block
// and logK grids.
void AddFitExports(py::class_<FitResultObject>& fitResult);

// FitResult.correlation and FitResult.diagnostics.
void AddFitDiagnostics(py::class_<FitResultObject>& fitResult);

// FitResult.report.
void AddFitReport(py::class_<FitResultObject>& fitResult);

}  // namespace tavrix::python
