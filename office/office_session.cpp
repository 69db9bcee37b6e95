#include <sys/wait.h>
#include <unistd.h>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/bootstrap.hxx>
#include <rtl/ref.hxx>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "office_app.h"
#include "office_bridge.h"
#include "office_guard.h"
#include "office_process.h"
#include "stale_offices.h"
#include "uno.h"

namespace tavrix {

using namespace uno;
namespace frame = css::frame;

namespace {

constexpr auto kStartPatience = std::chrono::seconds(60);
constexpr auto kEndPatience = std::chrono::seconds(10);
// An office answers a new connection in milliseconds; one that holds its
// pipe but does not answer is stopped or hung.
constexpr auto kAnswerPatience = std::chrono::seconds(3);

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

bool Running(pid_t pid) {
  return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

std::unique_ptr<OfficeBridge> Resolve(const std::string& pipe) {
  return std::make_unique<OfficeBridge>(LocalContext(), pipe, kAnswerPatience);
}

// An office that ended before it took the connection.
class EndedEarly : public HostError {
 public:
  EndedEarly() : HostError("LibreOffice ended before it could be reached") {}
};

// Connects to the office on the pipe, retrying while it starts. A launcher
// that ends may have handed the pipe to an office already running, so its
// end only stops the waiting when `launcherIsOffice`.
std::unique_ptr<OfficeBridge> Connect(const std::string& pipe, pid_t pid, bool launcherIsOffice,
                                      std::chrono::milliseconds patience = kStartPatience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    try {
      return Resolve(pipe);
    } catch (const css::connection::NoConnectException&) {
    } catch (const OfficeBridge::NoAnswer&) {  // still starting
    }
    if (launcherIsOffice && !Running(pid)) throw EndedEarly();
    if (std::chrono::steady_clock::now() > deadline) {
      throw HostError("LibreOffice did not answer within " +
                      std::to_string(patience.count() / 1000) + " s");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

// Ends a private office that leaves a call unanswered for too long, so that
// the call fails instead of waiting for ever.
class Watchdog {
 public:
  explicit Watchdog(pid_t pid) : pid_(pid), thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void SetPatience(std::chrono::milliseconds patience) { patience_ = patience.count(); }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; })) {
      const long long started = CallClock::started.load();
      if (started == 0) continue;
      const auto waited = std::chrono::steady_clock::now().time_since_epoch() -
                          std::chrono::steady_clock::duration(started);
      if (std::chrono::duration_cast<std::chrono::milliseconds>(waited).count() >
          patience_.load()) {
        CallClock::officeEnded = true;
        const pid_t group = pid_;  // the bridge then fails the call
        EndProcessGroup(group, [group] { return PipeFilesOf(group); });
        return;
      }
    }
  }

  pid_t pid_;
  std::atomic<long long> patience_{30000};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

struct OfficeSession::Impl {
  std::unique_ptr<TemporaryProfile> profile;  // of an office of our own
  pid_t pid = 0;                              // of an office of our own
  Leftover processes;                         // of an office of our own
  std::unique_ptr<OfficeGuard> guard;         // of an office of our own
  std::vector<std::string> sockets;           // its pipe files, found while it ran
  std::unique_ptr<Watchdog> watchdog;         // of an office of our own
  std::unique_ptr<OfficeBridge> bridge;
  Reference<css::uno::XComponentContext> context;
  Reference<frame::XDesktop2> desktop;
  std::unique_ptr<OfficeApp> app;
};

OfficeSession::OfficeSession(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

namespace {

// Starts a private office and connects to it before the deadline.
void StartPrivateOffice(OfficeSession::Impl& impl, std::chrono::steady_clock::time_point deadline) {
  impl.profile = std::make_unique<TemporaryProfile>();
  const std::string pipe = NewPipeName();
  impl.pid = StartHeadlessOffice(pipe, *impl.profile);
  const pid_t group = impl.pid;
  impl.processes = Leftover(group, [group] { return PipeFilesOf(group); });
  try {
    impl.guard = std::make_unique<OfficeGuard>(group, impl.profile->path());
    HoldForTest("office-start");
    Guarded([&] {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      impl.bridge = Connect(pipe, impl.pid, true, std::max(left, std::chrono::milliseconds(0)));
      impl.context = impl.bridge->context();
      impl.desktop = frame::Desktop::create(impl.context);
    });
  } catch (...) {
    EndProcess(impl.pid, std::chrono::milliseconds(0));
    impl.processes = Leftover();
    impl.guard.reset();
    impl.profile.reset();
    throw;
  }
  // An office that dies leaves its pipe files; they are known only while
  // it runs.
  impl.sockets = PipeFilesOf(group);
  RecordPipes(impl.profile->path(), impl.sockets);
  impl.processes = Leftover(group, [group, sockets = impl.sockets] {
    std::vector<std::string> files = PipeFilesOf(group);
    files.insert(files.end(), sockets.begin(), sockets.end());
    return files;
  });
}

}  // namespace

std::unique_ptr<OfficeSession> OfficeSession::StartPrivate() {
  RemoveStaleOffices();
  auto impl = std::make_unique<Impl>();
  const auto deadline = std::chrono::steady_clock::now() + kStartPatience;
  try {
    StartPrivateOffice(*impl, deadline);
  } catch (const EndedEarly&) {  // a start that failed under load is tried once more
    StartPrivateOffice(*impl, deadline);
  }
  impl->app = std::make_unique<OfficeApp>(impl->context, impl->desktop, /*hidden=*/true);
  impl->watchdog = std::make_unique<Watchdog>(impl->pid);
  return std::unique_ptr<OfficeSession>(new OfficeSession(std::move(impl)));
}

void OfficeSession::SetCallPatience(std::chrono::milliseconds patience) {
  if (impl_->watchdog) impl_->watchdog->SetPatience(patience);
}

std::unique_ptr<OfficeSession> OfficeSession::AttachOrStart(const std::string& pipe,
                                                            const Launch& launch, bool hidden) {
  auto impl = std::make_unique<Impl>();
  bool launched = false;
  Guarded([&] {
    std::string launchPipe = pipe;
    try {
      impl->bridge = Resolve(pipe);
    } catch (const css::connection::NoConnectException&) {  // none, or a stale pipe file
    } catch (const OfficeBridge::NoAnswer&) {
      // The pipe is held by an office that does not answer: the one
      // launched now accepts on a pipe of this process.
      launchPipe = pipe + "-" + std::to_string(::getpid());
    }
    if (!impl->bridge) {
      const pid_t launcher = LaunchOffice(launchPipe, launch.profileUrl, launch.headless);
      try {
        impl->bridge = Connect(launchPipe, launcher, false, launch.patience);
      } catch (...) {
        // Its session holds the launcher and any office it started (an
        // error window of its own included); an office it handed over to is
        // in another session and stays.
        ::kill(-launcher, SIGKILL);
        ::waitpid(launcher, nullptr, 0);
        throw;
      }
      ::waitpid(launcher, nullptr, WNOHANG);  // a launcher that only handed the pipe over has ended
      launched = true;
    }
    impl->context = impl->bridge->context();
    impl->desktop = frame::Desktop::create(impl->context);
  });
  if (launched && !launch.headless) ShowStartCenter(impl->context, impl->desktop);
  impl->app = std::make_unique<OfficeApp>(impl->context, impl->desktop, hidden);
  return std::unique_ptr<OfficeSession>(new OfficeSession(std::move(impl)));
}

OfficeSession::~OfficeSession() {
  impl_->app.reset();
  if (impl_->pid != 0) {  // an office of our own ends with the session
    try {
      Guarded([&] { impl_->desktop->terminate(); });  // watched: a hung office is ended
    } catch (...) {  // an office that is gone already is just as ended
    }
  }
  impl_->watchdog.reset();
  impl_->desktop.clear();
  impl_->context.clear();
  impl_->bridge.reset();  // its threads end with the process's last session, not at exit
  if (impl_->pid == 0) return;
  EndProcess(impl_->pid, kEndPatience);
  for (const std::string& socket : impl_->sockets) {  // left by an office that died
    std::error_code ignored;
    std::filesystem::remove(socket, ignored);
  }
  impl_->profile.reset();
  impl_->guard.reset();
}

void OfficeSession::Abandon() {
  OfficeBridge::DisposeAll();
}

int OfficeSession::ProcessId() const {
  return impl_->pid;
}

std::string OfficeSession::ProfileUrl() const {
  return impl_->profile ? impl_->profile->url() : "";
}

SpreadsheetApp& OfficeSession::App() {
  return *impl_->app;
}

namespace {

// Answers the office's questions while it loads a file: none is asked of a
// user. A request for a password is remembered, then refused.
class Unattended : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
 public:
  void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override {
    if (request->getRequest().isExtractableTo(cppu::UnoType<css::task::PasswordRequest>::get())) {
      passwordAsked_ = true;
    }
    for (const auto& continuation : request->getContinuations()) {
      const Reference<css::task::XInteractionAbort> abort(continuation, UNO_QUERY);
      if (abort.is()) {
        abort->select();
        return;
      }
    }
  }
  bool passwordAsked() const { return passwordAsked_; }

 private:
  std::atomic<bool> passwordAsked_{false};
};

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

// Loads the file `source` (its URL) as the workbook kept at `path`; the
// messages name the file that was opened.
std::unique_ptr<OfficeWorkbook> Load(const Reference<frame::XDesktop2>& desktop,
                                     const OUString& url, const std::string& source,
                                     const std::string& path, bool readOnly,
                                     bool asTemplate = false) {
  auto impl = std::make_unique<OfficeWorkbook::Impl>();
  impl->path = path;
  impl->readOnly = readOnly;
  const rtl::Reference<Unattended> handler(new Unattended);
  Reference<css::lang::XComponent> component;
  try {
    Guarded([&] {
      const Reference<frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
      try {
        component = loader->loadComponentFromURL(
            url, "_blank", 0,
            Properties(
                {{"Hidden", css::uno::Any(true)},
                 {"ReadOnly", css::uno::Any(readOnly)},
                 {"AsTemplate", css::uno::Any(asTemplate)},
                 {"InteractionHandler",
                  css::uno::Any(Reference<css::task::XInteractionHandler>(handler.get()))}}));
      } catch (const css::io::IOException&) {  // the file is no document the office reads
      } catch (const css::lang::IllegalArgumentException&) {
      }
    });
  } catch (const HostError& e) {
    throw HostError(e.what() + std::string(" while opening ") + Quoted(source));
  }
  if (handler->passwordAsked()) {
    throw HostError(Quoted(source) + " is protected by a password; save a copy without one");
  }
  if (!component.is()) throw HostError("LibreOffice could not open " + Quoted(source));
  impl->document = component;
  if (!Reference<css::sheet::XSpreadsheetDocument>(component, UNO_QUERY).is()) {
    try {
      Guarded([&] { Reference<css::util::XCloseable>(component, UNO_QUERY_THROW)->close(true); });
    } catch (const HostError&) {  // it is not ours to keep either way
    }
    throw HostError(Quoted(source) + " is no spreadsheet");
  }
  HoldForTest("opened");
  return std::make_unique<OfficeWorkbook>(std::move(impl));
}

}  // namespace

std::unique_ptr<OfficeWorkbook> OfficeSession::Open(const std::string& path, Access access) {
  return Load(impl_->desktop, FileUrl(path), path, path, access == Access::kReadOnly);
}

std::unique_ptr<OfficeWorkbook> OfficeSession::Create(const std::string& path) {
  return Load(impl_->desktop, "private:factory/scalc", path, path, false);
}

std::unique_ptr<OfficeWorkbook> OfficeSession::CreateFromTemplate(const std::string& templatePath,
                                                                  const std::string& path,
                                                                  const std::string& sheetName) {
  auto workbook = Load(impl_->desktop, FileUrl(templatePath), templatePath, path, false, true);
  workbook->RenameSheet(workbook->ActiveSheetName(), sheetName);
  return workbook;
}

}  // namespace tavrix
