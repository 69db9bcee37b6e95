#pragma once

#include <pybind11/pybind11.h>

namespace tavrix::python {

namespace py = pybind11;

// The parts of the module, each in its own file.
void AddWaterFunctions(py::module_& m);  // sat_pressure, water_density, rb_pk
void AddPkTable(py::module_& m);         // pk_table, PkTable
void AddDataSheet(py::module_& m);       // DataSheet, read_sheet
void AddFit(py::module_& m);             // fit, FitResult, write_back, export
void AddCompare(py::module_& m);         // compare, Comparison

}  // namespace tavrix::python
