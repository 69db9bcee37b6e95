#include "process_books.h"

#include <signal.h>

#include <memory>

#include "tavrix/sheet/leftovers.h"

namespace tavrix::python {
namespace {

// How a call saves over another office's lock.
constexpr char kIgnoreLock[] = "ignore_lock=True";

std::unique_ptr<Books>& TheBooks() {
  // Never destroyed by the C++ run time: EndAtExit ends it while the
  // interpreter still runs.
  static auto* books = new std::unique_ptr<Books>(std::make_unique<Books>(kIgnoreLock));
  return *books;
}

// SIGTERM and SIGHUP end Python at once, without its exit handlers: the
// office, its profile and its temporary files are taken away first, and
// the signal then ends the process as it would have. Only where the
// program has not chosen its own handling of them, and only from the main
// thread, where Python allows handlers to be set.
void EndOfficeOnTermination() {
  static bool installed = false;
  if (installed) return;
  const py::module_ threading = py::module_::import("threading");
  if (!threading.attr("current_thread")().is(threading.attr("main_thread")())) return;
  installed = true;
  const py::module_ signals = py::module_::import("signal");
  for (const char* name : {"SIGTERM", "SIGHUP"}) {
    const py::object number = signals.attr(name);
    if (!signals.attr("getsignal")(number).is(signals.attr("SIG_DFL"))) continue;
    signals.attr("signal")(number, py::cpp_function([](int signal, const py::object&) {
                             RemoveLeftovers();
                             const py::module_ s = py::module_::import("signal");
                             s.attr("signal")(signal, s.attr("SIG_DFL"));
                             ::raise(signal);
                           }));
  }
}

}  // namespace

std::mutex& ProcessBooks::Mutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

Books& ProcessBooks::Get() {
  std::unique_ptr<Books>& books = TheBooks();
  if (!books) books = std::make_unique<Books>(kIgnoreLock);
  return *books;
}

void ProcessBooks::PrepareFor(const std::string& path) {
  if (!IsCsvFile(path)) EndOfficeOnTermination();
}

void ProcessBooks::EndAtExit() {
  py::module_::import("atexit").attr("register")(py::cpp_function([] {
    py::gil_scoped_release release;
    const std::lock_guard<std::mutex> lock(Mutex());
    TheBooks().reset();
  }));
}

}  // namespace tavrix::python
