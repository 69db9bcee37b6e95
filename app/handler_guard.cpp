#include "tavrix/app/handler_guard.h"

#include <new>

#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

void HandlerGuard::Run(const std::function<void()>& handler) noexcept {
  try {
    handler();
  } catch (const HostError&) {
    try {
      officeFailed_();
    } catch (...) {
      Report(
          "Tavrix lost the connection to LibreOffice Calc. Save your work in Calc and start Tavrix "
          "again.");
    }
  } catch (const std::bad_alloc&) {
    Report("Tavrix ran out of memory and did not finish. Close other programs and try again.");
  } catch (...) {
    Report(
        "Tavrix could not finish what it was doing. Check the data sheet in LibreOffice Calc and "
        "try again.");
  }
}

void HandlerGuard::Report(const std::string& text) noexcept {
  try {
    report_(text);
  } catch (...) {  // nothing more can be said
  }
}

}  // namespace tavrix
