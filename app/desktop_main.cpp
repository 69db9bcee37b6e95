// tavrix-desktop: the small always-on-top window beside LibreOffice Calc.
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <memory>

#include "qt_main_window.h"
#include "tavrix/app/main_controller.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/office/office_session.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "");  // the user's decimal separator, as Calc shows numbers
  QApplication::setApplicationName("Tavrix");

  tavrix::ScreenMeasures measures;
  if (const QScreen* screen = QApplication::primaryScreen()) {
    measures.TwipsX = 1440.0f / static_cast<float>(screen->logicalDotsPerInchX());
    measures.TwipsY = 1440.0f / static_cast<float>(screen->logicalDotsPerInchY());
  }
  tavrix::QtMainWindow window(measures);

  tavrix::Problem problem;
  tavrix::AppState state;
  state.HomeDir = tavrix::HomeDir();
  const char* home = std::getenv("HOME");
  state.UserHome = std::string(home && *home ? home : "/") + (home && *home ? "/" : "");

  // The user's own LibreOffice, visible; started when it does not run.
  std::unique_ptr<tavrix::OfficeSession> office;
  try {
    office = tavrix::OfficeSession::AttachOrStart("tavrix", {}, false);
  } catch (const tavrix::HostError&) {
    window.ShowMessage("Could not run LibreOffice Calc", tavrix::MessageIcon::kCritical, tavrix::kProgramName);
    return 1;
  }

  tavrix::MainController controller(problem, state, office->App(), window);
  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
  if (!controller.StartUp(commandLine)) {
    controller.ShutDown();
    return 0;
  }
  window.SetController(&controller);
  window.show();
  QTimer::singleShot(0, &window, [&window] { window.MeasureFrame(); });
  const int result = QApplication::exec();
  window.SetController(nullptr);
  return result;
}
