#include "errors.h"

#include <cerrno>

#include "tavrix/books/books.h"
#include "tavrix/model/parameters.h"

namespace tavrix::python {
namespace {

struct PythonTypes {
  py::object parameters;
  py::object modelParameters;
  py::object sheetError;
  py::object fitError;
  py::object bookError;
  py::object steamWarning;
};

// Kept for the life of the process: the interpreter may be gone before a
// static object would let go of them.
PythonTypes* types = nullptr;

[[noreturn]] void Raise(const py::object& exception) {
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
  throw py::error_already_set();
}

py::object OrNone(std::optional<double> x) {
  return x ? py::object(py::float_(*x)) : py::object(py::none());
}

}  // namespace

void LoadPythonTypes() {
  const py::module_ module = py::module_::import("tavrix._types");
  types = new PythonTypes{module.attr("Parameters"), module.attr("model_parameters"),
                          module.attr("SheetError"), module.attr("FitError"),
                          module.attr("BookError"),  module.attr("SteamPointWarning")};
}

py::object ParametersObject(const std::optional<double> (&values)[3]) {
  return types->parameters(OrNone(values[0]), OrNone(values[1]), OrNone(values[2]));
}

py::object ParametersObject(const RBPar& par) {
  std::optional<double> values[3];
  for (int i = 0; i < kParameterCount; ++i) {
    const double x = ParamValue(par, i);
    if (HasValue(x)) values[i] = x;
  }
  return ParametersObject(values);
}

py::object ModelParametersObject(const Model& model,
                                 const std::vector<std::optional<double>>& values) {
  py::list names, objects;
  for (int i = 0; i < model.count; ++i) {
    names.append(model.parameters[static_cast<std::size_t>(i)].name);
    objects.append(OrNone(values[static_cast<std::size_t>(i)]));
  }
  if (&model == &RBModel()) return types->parameters(*objects);
  return types->modelParameters(model.name, names, objects);
}

void RaiseSheetError(const SheetError& error, const std::string& detail, const std::string& sheet) {
  const std::string message = (sheet.empty() ? "" : "worksheet '" + sheet + "': ") +
                              error.Message() + (detail.empty() ? "" : ": " + detail);
  Raise(types->sheetError(message, error.code, error.row, error.col, detail, sheet));
}

void RaiseFitError(const std::string& reason) {
  Raise(types->fitError("Could not find solution", reason));
}

void RaiseFileError(const HostError& error) {
  const auto* missing = dynamic_cast<const NoSuchFile*>(&error);
  const py::handle type = !missing            ? types->bookError
                          : missing->folder() ? py::handle(PyExc_IsADirectoryError)
                                              : py::handle(PyExc_FileNotFoundError);
  Raise(type(error.what()));
}

void RaiseSystemError(int error, const std::string& message) {
  py::handle type = PyExc_OSError;
  if (error == ENOENT) type = PyExc_FileNotFoundError;
  if (error == EACCES || error == EPERM) type = PyExc_PermissionError;
  if (error == EISDIR) type = PyExc_IsADirectoryError;
  py::object exception = type(message);
  exception.attr("errno") = error;
  Raise(exception);
}

void WarnOfSteam(const std::string& message) {
  py::module_::import("warnings").attr("warn")(message, types->steamWarning, 1);
}

}  // namespace tavrix::python
