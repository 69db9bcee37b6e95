#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix::python {

namespace py = pybind11;

// The types of tavrix._types, taken when the module loads.
void LoadPythonTypes();

// Parameters(pK298, A, B), None for a value that is missing.
py::object ParametersObject(const RBPar& par);
py::object ParametersObject(const std::optional<double> (&values)[3]);

// Raise the Python exception for what the program reports:
[[noreturn]] void RaiseSheetError(const SheetError& error, const std::string& detail);
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
