#pragma once

#include <pybind11/pybind11.h>

#include <mutex>
#include <string>

#include "tavrix/books/books.h"

namespace tavrix::python {

namespace py = pybind11;

// The books of the Python process: one private LibreOffice for all its
// workbooks, started by the first workbook and ended when the interpreter
// exits (or, on SIGTERM and SIGHUP, before the process ends).
class ProcessBooks {
 public:
  // Runs `work(books)` without the GIL, one call at a time.
  template <typename F>
  static auto Run(F&& work) {
    py::gil_scoped_release release;
    const std::lock_guard<std::mutex> lock(Mutex());
    return work(Get());
  }

  // Before a workbook is opened: the office it may start is taken away
  // when the process is ended by a signal.
  static void PrepareFor(const std::string& path);

  // Registers the end of the office at the interpreter's exit.
  static void EndAtExit();

 private:
  static std::mutex& Mutex();
  static Books& Get();
};

}  // namespace tavrix::python
