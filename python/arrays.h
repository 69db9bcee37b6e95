#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tavrix::python {

namespace py = pybind11;

// A numeric argument as an array of doubles: a number, a sequence or an
// array of numbers of any shape, a pandas column. TypeError, naming the
// argument, for anything else (text, None, booleans, complex numbers).
py::array_t<double> NumericArray(py::handle value, const char* name);

// A numeric argument that must be one number. TypeError otherwise.
double NumericScalar(py::handle value, const char* name);

// Arguments broadcast against each other as NumPy's ufuncs do: contiguous
// arrays of the one shape (ValueError when the shapes do not fit).
struct Broadcast {
  std::vector<py::array_t<double>> arrays;
  std::vector<py::ssize_t> shape;
  std::size_t size = 0;
  bool scalar = false;  // every argument was a single number
};
Broadcast BroadcastArrays(const std::vector<py::array_t<double>>& arguments);

// The shortest text that reads back as x, for messages: "1e+30", "-300".
std::string NumberText(double x);

// Applies `f(values, result, error)` to the broadcast arguments element by
// element, without the GIL; f returns false, with the message in `error`,
// to stop at a value it refuses, which raises ValueError. A Python float for
// single numbers, else an array of the broadcast shape.
template <std::size_t N, typename F>
py::object ElementWise(const std::array<py::array_t<double>, N>& arguments, F f) {
  const Broadcast b = BroadcastArrays({arguments.begin(), arguments.end()});
  py::array_t<double> result(b.shape);
  std::array<const double*, N> in{};
  for (std::size_t i = 0; i < N; ++i) in[i] = b.arrays[i].data();
  double* out = result.mutable_data();
  std::string error;
  {
    py::gil_scoped_release release;
    std::array<double, N> x{};
    for (std::size_t k = 0; k < b.size; ++k) {
      for (std::size_t i = 0; i < N; ++i) x[i] = in[i][k];
      if (!f(x, out[k], error)) break;
    }
  }
  if (!error.empty()) throw py::value_error(error);
  if (b.scalar) return py::float_(out[0]);
  return result;
}

}  // namespace tavrix::python
