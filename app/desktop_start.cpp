#include "desktop_start.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <future>
#include <iostream>
#include <thread>

#include "tavrix/app/view.h"

namespace tavrix {

std::unique_ptr<OfficeSession> StartOffice(QWidget& window, const std::string& pipe,
                                           OfficeSession::Launch launch,
                                           std::chrono::milliseconds patience) {
  const QString caption = window.windowTitle();
  window.setWindowTitle(QString::fromUtf8("Starting LibreOffice\u2026"));
  launch.patience = patience;
  auto connecting = std::async(std::launch::async, [pipe, launch] {
    return OfficeSession::AttachOrStart(pipe, launch, false);
  });
  while (connecting.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  window.setWindowTitle(caption);
  try {
    return connecting.get();
  } catch (const HostError& e) {
    std::cerr << "Tavrix: could not reach LibreOffice: " << e.what() << "\n";  // for the log
    return nullptr;
  }
}

WindowOffice::WindowOffice(std::unique_ptr<OfficeSession> session, std::function<bool()> leaving,
                           std::chrono::milliseconds patience)
    : calls_(
          patience, [this] { session_->Abandon(); }, std::move(leaving)),
      session_(std::move(session)) {
  RunOfficeCallsThrough(&runner_);
}

WindowOffice::~WindowOffice() {
  session_.reset();  // its last calls still through the call thread
  RunOfficeCallsThrough(nullptr);
}

namespace {

int signalPipe[2] = {-1, -1};  // the handler's one way into the event loop

void SignalHandler(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void CloseOnSignals(QWidget& window) {
  if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], &byte, 1);
    window.close();
  });
  struct sigaction action {};
  action.sa_handler = SignalHandler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

void PrepareProcess() {
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace tavrix
