#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/model/models.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix::python {

namespace py = pybind11;

// The types of tavrix._types, taken when the module loads.
void LoadPythonTypes();

// Parameters(pK298, A, B), None for a value that is missing.
py::object ParametersObject(const RBPar& par);
py::object ParametersObject(const std::optional<double> (&values)[3]);
// A model's parameters: Parameters for RB, else the model's own named
// tuple (Density3Parameters(p1, p2, p3), ...).
py::object ModelParametersObject(const Model& model,
                                 const std::vector<std::optional<double>>& values);

// Raise the Python exception for what the program reports (a sheet error
// of a worksheet named when read_book reads several):
[[noreturn]] void RaiseSheetError(const SheetError& error, const std::string& detail,
                                  const std::string& sheet = "");
[[noreturn]] void RaiseFitError(const std::string& reason);
// FileNotFoundError or IsADirectoryError for a path that names no file,
// else BookError: all with the program's message.
[[noreturn]] void RaiseFileError(const HostError& error);
// The OSError of a system error number (FileNotFoundError, PermissionError,
// ...), carrying `message` and the number.
[[noreturn]] void RaiseSystemError(int error, const std::string& message);

// warnings.warn(message, SteamPointWarning).
void WarnOfSteam(const std::string& message);

}  // namespace tavrix::python
