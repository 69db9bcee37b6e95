#pragma once

#include <functional>
#include <string>

namespace tavrix {

// The one way from the event loop into the program: every handler (buttons,
// keys, activation, closing, timers, the table window's commands) runs
// through Run, and nothing it throws gets past it. A failure of the
// spreadsheet application goes to `officeFailed`; anything else is told to
// the user through `report`.
class HandlerGuard {
 public:
  HandlerGuard(std::function<void()> officeFailed, std::function<void(const std::string&)> report)
      : officeFailed_(std::move(officeFailed)), report_(std::move(report)) {}

  void Run(const std::function<void()>& handler) noexcept;

 private:
  void Report(const std::string& text) noexcept;

  std::function<void()> officeFailed_;
  std::function<void(const std::string&)> report_;
};

}  // namespace tavrix
