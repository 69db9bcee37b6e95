#pragma once

#include <chrono>
#include <string>

#include "uno.h"

namespace tavrix {

// The connection to an office over a named pipe, with the bridge that
// carries its calls. Disposing a bridge closes its connection: a call in
// progress on it fails at once, and the bridge's own threads end, so that
// none of them is left to race the UNO library's clean-up when the process
// ends. The office itself is left as it is.
//
// Bridges to one office share the proxies of its objects (the first bridge
// that met an object carries its calls for all), so one bridge cannot be
// disposed while another is in use: a bridge that ends is disposed with the
// process's last one.
class OfficeBridge {
 public:
  // Something listens on the pipe but gave no answer in time: an office
  // that is stopped or hung.
  class NoAnswer : public HostError {
   public:
    using HostError::HostError;
  };

  // Connects and asks the office for its component context. Throws
  // NoConnectException when nothing listens on the pipe, NoAnswer when the
  // answer does not come within `patience`.
  OfficeBridge(const uno::Reference<uno::css::uno::XComponentContext>& local,
               const std::string& pipe, std::chrono::milliseconds patience);
  ~OfficeBridge();
  OfficeBridge(const OfficeBridge&) = delete;
  OfficeBridge& operator=(const OfficeBridge&) = delete;

  const uno::Reference<uno::css::uno::XComponentContext>& context() const { return context_; }

  // Gives up every connection of the process, from any thread: a call in
  // progress may travel on any of them.
  static void DisposeAll() noexcept;

 private:
  uno::Reference<uno::css::lang::XComponent> bridge_;
  uno::Reference<uno::css::uno::XComponentContext> context_;
};

}  // namespace tavrix
