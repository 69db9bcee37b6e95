#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "office_app.h"
#include "office_process.h"
#include "uno.h"

namespace tavrix {

using namespace uno;
namespace frame = css::frame;

namespace {

constexpr auto kStartPatience = std::chrono::seconds(60);
constexpr auto kEndPatience = std::chrono::seconds(10);

// The in-process UNO environment, made once.
Reference<css::uno::XComponentContext> LocalContext() {
  static const Reference<css::uno::XComponentContext> context = [] {
    rtl::Bootstrap::set("URE_BOOTSTRAP", "vnd.sun.star.pathname:" TAVRIX_FUNDAMENTALRC);
    return cppu::defaultBootstrap_InitialComponentContext();
  }();
  return context;
}

std::string NewPipeName() {
  static std::atomic<int> counter{0};
  return "tavrix-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

bool Running(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == 0; }

// Connects to the office on the pipe, retrying while it starts.
Reference<css::uno::XComponentContext> Connect(const std::string& pipe, pid_t pid) {
  const auto resolver = css::bridge::UnoUrlResolver::create(LocalContext());
  const OUString url = ToOUString("uno:pipe,name=" + pipe + ";urp;StarOffice.ComponentContext");
  const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
  for (;;) {
    try {
      return Reference<css::uno::XComponentContext>(resolver->resolve(url), UNO_QUERY_THROW);
    } catch (const css::connection::NoConnectException&) {
      if (!Running(pid)) throw HostError("LibreOffice ended before it could be reached");
      if (std::chrono::steady_clock::now() > deadline) {
        throw HostError("LibreOffice did not answer within " +
                        std::to_string(kStartPatience.count()) + " s");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
}

}  // namespace

struct OfficeSession::Impl {
  TemporaryProfile profile;
  pid_t pid = 0;
  Reference<css::uno::XComponentContext> context;
  Reference<frame::XDesktop2> desktop;
  std::unique_ptr<OfficeApp> app;
};

OfficeSession::OfficeSession(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

std::unique_ptr<OfficeSession> OfficeSession::StartPrivate() {
  auto impl = std::make_unique<Impl>();
  const std::string pipe = NewPipeName();
  impl->pid = StartHeadlessOffice(pipe, impl->profile);
  try {
    Guarded([&] {
      impl->context = Connect(pipe, impl->pid);
      impl->desktop = frame::Desktop::create(impl->context);
    });
  } catch (...) {
    EndProcess(impl->pid, std::chrono::milliseconds(0));
    throw;
  }
  impl->app = std::make_unique<OfficeApp>(impl->desktop, /*hidden=*/true);
  return std::unique_ptr<OfficeSession>(new OfficeSession(std::move(impl)));
}

OfficeSession::~OfficeSession() {
  impl_->app.reset();
  try {
    impl_->desktop->terminate();
  } catch (...) {  // an office that is gone already is just as ended
  }
  impl_->desktop.clear();
  impl_->context.clear();
  EndProcess(impl_->pid, kEndPatience);
}

int OfficeSession::ProcessId() const { return impl_->pid; }

SpreadsheetApp& OfficeSession::App() { return *impl_->app; }

namespace {

std::unique_ptr<OfficeWorkbook> Load(const Reference<frame::XDesktop2>& desktop, const OUString& url,
                                     const std::string& path) {
  return Guarded([&] {
    auto impl = std::make_unique<OfficeWorkbook::Impl>();
    impl->path = path;
    const Reference<frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
    const auto component =
        loader->loadComponentFromURL(url, "_blank", 0, Properties({{"Hidden", css::uno::Any(true)}}));
    if (!component.is()) throw HostError("LibreOffice could not open " + path);
    impl->document = Reference<css::lang::XComponent>(component, UNO_QUERY_THROW);
    if (!Reference<css::sheet::XSpreadsheetDocument>(component, UNO_QUERY).is()) {
      Reference<css::util::XCloseable>(component, UNO_QUERY_THROW)->close(true);
      throw HostError(path + " is no spreadsheet");
    }
    return std::make_unique<OfficeWorkbook>(std::move(impl));
  });
}

}  // namespace

std::unique_ptr<OfficeWorkbook> OfficeSession::Open(const std::string& path) {
  return Load(impl_->desktop, FileUrl(path), path);
}

std::unique_ptr<OfficeWorkbook> OfficeSession::Create(const std::string& path) {
  return Load(impl_->desktop, "private:factory/scalc", path);
}

}  // namespace tavrix
