// The extension module tavrix._tavrix, which the package tavrix presents.
#include <pybind11/pybind11.h>

#include "bindings.h"
#include "errors.h"
#include "process_books.h"
#include "tavrix/version.h"

PYBIND11_MODULE(_tavrix, m) {
  namespace py = pybind11;
  // Every docstring begins with its own signature, in Python's notation.
  py::options options;
  options.disable_function_signatures();

  m.doc() = "The engine of Tavrix; use it through the package tavrix.";
  m.attr("__version__") = tavrix::kProgramVersion;
#ifdef TAVRIX_WITH_OFFICE
  m.attr("WORKBOOKS") = true;
#else
  m.attr("WORKBOOKS") = false;
#endif
  tavrix::python::LoadPythonTypes();
  tavrix::python::AddWaterFunctions(m);
  tavrix::python::AddPkTable(m);
  tavrix::python::AddDataSheet(m);
  tavrix::python::AddFit(m);
  tavrix::python::AddCompare(m);
  tavrix::python::ProcessBooks::EndAtExit();
}
