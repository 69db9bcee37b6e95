#pragma once

#include <pybind11/pybind11.h>

#include <memory>

#include "data_sheet_object.h"
#include "tavrix/fit/fit.h"

namespace tavrix::python {

namespace py = pybind11;

// What Python's FitResult holds.
struct FitResultObject {
  std::shared_ptr<SheetObject> sheet;
  FitOptions options;
  FitOutcome outcome;
  // The fitted parameters as the sheet shows them once the fit is written:
  // what the program's table, plot and exports take.
  RBPar shown;
};

// The methods of FitResult that carry a fit to other codes: pK with its
// uncertainty at any conditions, the ThermoFun record, the PHREEQC block
// and logK grids.
void AddFitExports(py::class_<FitResultObject>& fitResult);

// FitResult.correlation and FitResult.diagnostics.
void AddFitDiagnostics(py::class_<FitResultObject>& fitResult);

// FitResult.report.
void AddFitReport(py::class_<FitResultObject>& fitResult);

}  // namespace tavrix::python
