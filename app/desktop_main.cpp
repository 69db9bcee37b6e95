// tavrix-desktop: the small always-on-top window beside LibreOffice Calc.
#include <QApplication>
#include <QScreen>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "desktop_start.h"
#include "qt_main_window.h"
#include "tavrix/app/main_controller.h"
#include "tavrix/fit/export.h"

namespace {

std::string ProgramDir() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : exe.parent_path().string() + "/";
}

// --help: what the program is and which files it uses.
bool PrintHelp(int argc, char** argv, const tavrix::AppState& state) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg != "--help" && arg != "-h") continue;
    const std::string found = tavrix::FindTemplate(state.ProgramDir, state.HomeDir);
    std::cout << "tavrix-desktop [--ie] [--office-pipe NAME]: the Tavrix window beside LibreOffice "
                 "Calc\n"
              << "  --ie                lift the range limits (also /ie)\n"
              << "  --office-pipe NAME  reach LibreOffice on this UNO pipe (default "
              << tavrix::kOfficePipe << ")\n"
              << "Template:    " << (found.empty() ? "not found" : found) << "\n"
              << "Settings:    " << state.HomeDir << tavrix::kSettingsName << "\n"
              << "Export file: " << state.HomeDir << "data.txt\n";
    return true;
  }
  return false;
}

// The pipe given with --office-pipe, else the program's own.
std::string OfficePipe(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--office-pipe") return argv[i + 1];
  }
  return tavrix::kOfficePipe;
}

}  // namespace

int main(int argc, char** argv) {
  tavrix::AppState state;
  state.HomeDir = tavrix::HomeDir();
  state.ProgramDir = ProgramDir();
  if (PrintHelp(argc, argv, state)) return 0;

  tavrix::PrepareProcess();
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
  const char* home = std::getenv("HOME");
  state.UserHome = std::string(home && *home ? home : "/") + (home && *home ? "/" : "");
  const std::string settingsFile = state.HomeDir + tavrix::kSettingsName;
  const tavrix::Settings saved = tavrix::ReadSettings(settingsFile);
  window.PlaceAt(saved.position);
  tavrix::CloseOnSignals(window);
  window.show();

  // The user's own LibreOffice, visible; started when it does not run.
  std::unique_ptr<tavrix::OfficeSession> session =
      tavrix::StartOffice(window, OfficePipe(argc, argv), {});
  if (window.Closing()) {  // closed while LibreOffice started: nothing else to do
    tavrix::WriteSettings(settingsFile, saved.workDir.value_or(""),
                          window.Position() ? window.Position() : saved.position);
    return 0;
  }
  if (!session) {
    window.ShowMessage(
        "Could not run LibreOffice Calc\nStart LibreOffice Calc on its own to see what it reports, "
        "then start Tavrix again.",
        tavrix::MessageIcon::kCritical, tavrix::kProgramName);
    return 1;
  }
  tavrix::WindowOffice office(std::move(session), [&window] { return window.Closing(); });

  tavrix::MainController controller(problem, state, office.App(), window);
  std::string commandLine;
  for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
  if (!controller.StartUp(commandLine)) {
    controller.ShutDown();
    return 0;
  }
  window.SetController(&controller);
  const int result = window.Closing() ? 0 : QApplication::exec();
  window.SetController(nullptr);
  return result;
}
