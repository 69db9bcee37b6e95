#include "arrays.h"

#include <charconv>
#include <limits>
#include <optional>

namespace tavrix::python {

using namespace pybind11::literals;

namespace {

// An array of Python objects (a list holding None, a pandas column of
// objects) as numbers, None as NaN; or nothing, with the name of the first
// type that is no number in `wrong`.
std::optional<py::array_t<double>> ObjectNumbers(const py::array& array, std::string& wrong) {
  const py::object real = py::module_::import("numbers").attr("Real");
  const py::list items = array.attr("ravel")().attr("tolist")();
  py::array_t<double> values(static_cast<py::ssize_t>(items.size()));
  double* v = values.mutable_data();
  for (std::size_t k = 0; k < items.size(); ++k) {
    const py::handle item = items[k];
    if (item.is_none()) {
      v[k] = std::numeric_limits<double>::quiet_NaN();
    } else if (py::isinstance(item, real) && !py::isinstance<py::bool_>(item)) {
      v[k] = item.cast<double>();
    } else {
      wrong = py::isinstance<py::str>(item)
                  ? std::string("text")
                  : py::str(py::type::of(item).attr("__name__")).cast<std::string>();
      return std::nullopt;
    }
  }
  return values.attr("reshape")(array.attr("shape")).cast<py::array_t<double>>();
}

}  // namespace

py::array_t<double> NumericArray(py::handle value, const char* name) {
  const py::module_ numpy = py::module_::import("numpy");
  std::string wrong;
  if (value.is_none()) {
    wrong = "None";
  } else {
    const py::array array = numpy.attr("asarray")(value);
    const char kind = py::str(array.dtype().attr("kind")).cast<std::string>()[0];
    if (kind == 'i' || kind == 'u' || kind == 'f') {
      return numpy.attr("asarray")(array, "dtype"_a = "float64");
    }
    if (kind == 'O') {
      if (auto numbers = ObjectNumbers(array, wrong)) return *numbers;
    } else {
      wrong = kind == 'U' || kind == 'S' ? "text"
              : kind == 'b'              ? "bool"
                                         : py::str(array.dtype()).cast<std::string>();
    }
  }
  throw py::type_error(std::string(name) + " must be a number or an array of numbers, not " +
                       wrong);
}

double NumericScalar(py::handle value, const char* name) {
  const py::array_t<double> array = NumericArray(value, name);
  if (array.ndim() != 0) throw py::type_error(std::string(name) + " must be one number");
  return *array.data();
}

Broadcast BroadcastArrays(const std::vector<py::array_t<double>>& arguments) {
  const py::module_ numpy = py::module_::import("numpy");
  Broadcast b;
  b.scalar = true;
  py::list shapes;
  for (const py::array_t<double>& a : arguments) {
    b.scalar = b.scalar && a.ndim() == 0;
    shapes.append(a.attr("shape"));
  }
  const py::tuple shape = numpy.attr("broadcast_shapes")(*shapes);
  b.size = 1;
  for (const py::handle extent : shape) {
    b.shape.push_back(extent.cast<py::ssize_t>());
    b.size *= extent.cast<std::size_t>();
  }
  for (const py::array_t<double>& a : arguments) {
    b.arrays.push_back(numpy.attr("ascontiguousarray")(numpy.attr("broadcast_to")(a, shape))
                           .cast<py::array_t<double>>());
  }
  return b;
}

std::string NumberText(double x) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, x).ptr;
  return std::string(text, end);
}

}  // namespace tavrix::python
