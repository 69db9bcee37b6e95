#include "desktop_start.h"

#include <QApplication>
#include <csignal>
#include <future>
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
  } catch (const HostError&) {
    return nullptr;
  }
}

void PrepareProcess() {
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace tavrix
