// The desktop program under a window manager (openbox on xvfb) beside a
// real, visible LibreOffice with a profile of its own: the wiring to both;
// the rules are app_test's, qt_window_test's and tests/office's. Each test
// runs in a process of its own (each_test_alone.sh): the UNO library shares
// an office's objects among a process's connections, so one broken
// connection would fail every later attach.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "desktop_start.h"
#include "office_process.h"
#include "qt_main_window.h"
#include "table_window.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

const char kNoWorksheet[] = "Tavrix closed: could not find an open worksheet ";
const char kNotAnswering[] = "LibreOffice does not answer; Tavrix is closing";

// With TAVRIX_SCREENSHOTS set to a folder, the scenario leaves pictures of
// the windows there, frames included (scripts/screenshots.sh).
void Screenshot(QWidget& widget, const char* name) {
  const QByteArray folder = qgetenv("TAVRIX_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QTest::qWait(300);
  const QRect frame = widget.frameGeometry();
  widget.screen()
      ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
      .save(QString::fromUtf8(folder) + "/" + name + ".png", "PNG");
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
  }
  return out;
}

bool WindowShown(const std::string& title) {
  return !Output("xdotool search --onlyvisible --name '" + title + "' 2>/dev/null").empty();
}

bool WaitFor(const std::function<bool()>& condition, milliseconds limit = 10s) {
  return QTest::qWaitFor(condition, static_cast<int>(limit.count()));
}

// Sends `signal` to each process whose command line matches; whether any
// did. SIGKILL kills each one's process group (an office's own, made at its
// launch) as a crash would, and removes the pipe files it leaves.
bool SignalAll(const std::string& pattern, int signal) {
  std::istringstream lines(Output("pgrep -f -- '" + pattern + "'"));
  bool any = false;
  for (pid_t pid = 0; lines >> pid; any = true) {
    const pid_t group = ::getpgid(pid);
    if (signal != SIGKILL) ::kill(pid, signal);
    if (signal == SIGKILL && group > 0)
      EndProcessGroup(group, [group] { return PipeFilesOf(group); });
  }
  return any;
}

// The threads of this process that carry a bridge to an office.
int BridgeThreads() {
  return std::stoi(
      Output("cat /proc/" + std::to_string(::getpid()) + "/task/*/comm | grep -c '^binaryurp'"));
}

// The main window with its modal parts answered by the test (the table is
// shown on the screen and closed at once).
class ScriptedWindow : public QtMainWindow {
 public:
  explicit ScriptedWindow(ScreenMeasures& measures) : QtMainWindow(measures), measures(measures) {}
  std::optional<Choice> ChooseFile(const std::string&, const std::string&,
                                   const std::string&) override {
    return chosen;
  }
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& title) override {
    messages.push_back(text);
    if (!realBoxes) return;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
      for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) box->accept();
    });
    answer.start(400);
    QtMainWindow::ShowMessage(text, icon, title);
  }
  void ShowPkTable(const PkTableView& view) override {
    TableWindow table(measures, guard(), this);
    table.Show(view);
    table.show();
    tableFits = QTest::qWaitForWindowExposed(&table) &&
                screen()->availableGeometry().contains(table.frameGeometry());
    Screenshot(table, "table-window");
  }
  ScreenMeasures& measures;
  std::optional<Choice> chosen;
  std::vector<std::string> messages;
  bool realBoxes = false;
  bool tableFits = false;
};

// One visible office for the test process; the program's window and logic,
// attached to it as the program attaches.
class Desktop : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string folder = (fs::temp_directory_path() / "tavrix-e2e-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    root = folder;
    for (const char* sub : {"home", "work", "a", "b", "program"})
      fs::create_directories(root / sub);
    for (const char* name : {"work/nacl.ods", "work/readonly.ods", "a/nacl.ods", "b/nacl.ods"})
      fs::copy_file(TAVRIX_EXAMPLE, root / name);
    std::ofstream(root / "work" / "notes.txt") << "Field notes, not a data sheet.\n";
    profile = "file://" + (root / "profile").string();
    pipe = "tavrix-e2e-" + std::to_string(::getpid());
  }
  static void TearDownTestSuite() {
    // Every office of the scenario's pipes (a visible office with unsaved
    // changes would ask before quitting), and the pipe files they leave.
    SignalAll("[n]ame=" + pipe, SIGKILL);
    std::system(("chattr -i '" + (root / "work/readonly.ods").string() + "' 2>/dev/null").c_str());
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  void SetUp() override {
    window = std::make_unique<ScriptedWindow>(measures);
    state.HomeDir = (root / "home").string() + "/";
    state.UserHome = (root / "work").string() + "/";
    auto session = StartOffice(*window, pipe, {profile, false});
    ASSERT_NE(session, nullptr);
    office = std::make_unique<WindowOffice>(
        std::move(session), [w = window.get()] { return w->Closing(); }, Patience());
    controller = std::make_unique<MainController>(problem, state, office->App(), *window);
    window->SetController(controller.get());
    ASSERT_TRUE(controller->StartUp(""));
    window->PlaceAt(state.WindowPosition);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(200);  // framed by the window manager
  }
  void TearDown() override {
    window->SetController(nullptr);
    if (window->isVisible() && controller) controller->ShutDown();
  }
  virtual milliseconds Patience() const { return kCallPatience; }

  void Open(const std::string& name, const fs::path& folder = root / "work") {
    window->chosen = MainWindow::Choice{folder.string() + "/", name};
    QTest::mouseClick(window->button(1), Qt::LeftButton);
  }
  // Another window takes the activation; Tavrix's comes back on a click.
  void LeaveTavrix() {
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    other.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return !window->isActiveWindow(); }));
    window->messages.clear();
  }
  void Click() {
    const QRect frame = window->frameGeometry();
    Output("xdotool mousemove " + std::to_string(frame.center().x()) + " " +
           std::to_string(frame.top() + 4) + " sleep 0.1 click 1");
  }
  void ComeBack() {
    Click();
    ASSERT_TRUE(WaitFor([&] { return window->isActiveWindow(); }));
    QTest::qWait(300);  // the activation handler has run
  }
  // The user opens a file in the office, in front (as from a file manager).
  static void OpenInOffice(const fs::path& file) {
    Output("/usr/lib/libreoffice/program/soffice -env:UserInstallation=" + profile + " '" +
           file.string() + "' >/dev/null 2>&1");
  }
  std::string Caption() const { return window->windowTitle().toStdString(); }
  // The desktop program as a user starts it (its settings in root/program,
  // LibreOffice's profile under `home`), closed once a window of it shows
  // `title`: by the window manager (way 0), SIGTERM (1) or SIGHUP (2). Whether it ended
  // by itself within the time, with exit code 0 and its settings written.
  static bool StartsAndQuits(const std::string& pipe, const fs::path& home,
                             const std::string& title, int way, seconds limit) {
    const fs::path settings = root / "program" / kSettingsName;
    fs::remove(settings);
    QProcess program;  // env hands its process on to the program
    program.start("env", {"TAVRIX_HOME=" + QString::fromStdString(settings.parent_path()),
                          "HOME=" + QString::fromStdString(home),
                          "XDG_CONFIG_HOME=" + QString::fromStdString(home / ".config"),
                          TAVRIX_DESKTOP, "--office-pipe", QString::fromStdString(pipe)});
    const std::string shown = "xdotool search --all --onlyvisible --pid " +
                              std::to_string(program.processId()) + " --name '" + title + "'";
    if (!WaitFor([&] { return !Output(shown).empty(); }, 20s)) return false;
    // Way 0: the window manager closes each window that shows `title`, as its
    // close button does, once the manager has framed it (a request before
    // that is dropped; a key would go to whichever window has the focus, and
    // an office that starts takes it). Once each: a refused close stands.
    std::set<std::string> asked;
    if (way == 0)
      WaitFor([&] {
        std::istringstream ids(Output(shown));
        bool any = false;
        for (std::string id; ids >> id; any = true)
          if (!asked.count(id) &&
              Output("xprop -id " + id + " _NET_FRAME_EXTENTS").find('=') != std::string::npos) {
            Output("wmctrl -i -c " + id);
            asked.insert(id);
          }
        return !any;
      });
    if (way > 0) ::kill(static_cast<pid_t>(program.processId()), way == 1 ? SIGTERM : SIGHUP);
    // (An end already seen while the requests were made makes the wait fail.)
    return (program.state() == QProcess::NotRunning ||
            program.waitForFinished(static_cast<int>(limit.count() * 1000))) &&
           program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0 &&
           fs::exists(settings);
  }

  static inline fs::path root;
  static inline std::string profile;
  static inline std::string pipe;
  ScreenMeasures measures;
  std::unique_ptr<ScriptedWindow> window;
  std::unique_ptr<WindowOffice> office;
  QWidget other;
  Problem problem;
  AppState state;
  std::unique_ptr<MainController> controller;
};

TEST_F(Desktop, StartsFramedAtTheTopRightBesideTheStartCenterWithItsCaptionWhole) {
  EXPECT_TRUE(WindowShown("LibreOffice"));  // an office started without a document shows itself
  const QRect available = window->screen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  EXPECT_NEAR(frame.right(), available.right(), 1);
  EXPECT_NEAR(frame.top(), available.top(), 1);
  EXPECT_NEAR(frame.height(), QtMainWindow::kMinSize / measures.TwipsY, 1.5);  // frame measured
  Screenshot(*window, "main-window-compact");

  // openbox's title bar (its default theme, "sans 8 bold") shows a caption
  // whole in the text's width and about six title-bar heights for the icon,
  // its three buttons and the margins, as measured on its screenshots.
  const int titleHeight = window->geometry().top() - frame.top();
  for (const QString& caption : {QString::fromUtf8("Starting LibreOffice\u2026"),
                                 QString("nacl.ods (b): nacl"), QString(400, 'x')}) {
    window->setWindowTitle(caption);
    QTest::qWait(200);
    const QRect framed = window->frameGeometry();
    const int needs =
        QFontMetrics(QFont("Sans", 8, QFont::Bold)).horizontalAdvance(caption) + 6 * titleHeight;
    EXPECT_GE(framed.width(), std::min(available.width(), needs)) << caption.toStdString();
    EXPECT_TRUE(available.contains(framed)) << caption.toStdString();
  }
}

// The box takes the activation and its OK gives it back: the pass's writes
// that the office reports late must not count as an edit of the user's.
TEST_F(Desktop, AnErrorIsShownOnceAndItsOKEndsIt) {
  Open("nacl.ods");
  ASSERT_EQ(problem.ErrCode, 0);
  LeaveTavrix();
  state.xlSheet->SetCell(17, 1, CellContent::Text("abc"));  // as the user types it in Calc
  office->App().Synchronize();
  ASSERT_TRUE(WaitFor([&] { return office->App().Changed(); }));
  window->realBoxes = true;
  ComeBack();
  QTest::qWait(3000);  // a box that came back would have come by now
  EXPECT_EQ(window->messages, std::vector<std::string>{"Invalid data format (row=17, col=1)"});
}

// The rules of two workbooks of one name, and of choosing one by its
// folder, are the controller's (app_test); here the office's workbooks tell
// their folders.
TEST_F(Desktop, TwoWorkbooksOfOneNameAreToldApartByTheirFolders) {
  Open("nacl.ods", root / "a");
  ASSERT_EQ(problem.ErrCode, 0);
  LeaveTavrix();  // the user opens b's nacl.ods in Calc, in front, and comes back
  SpreadsheetApp& calc = office->App();
  const int books = calc.WorkbookCount();
  OpenInOffice(root / "b" / "nacl.ods");
  ASSERT_TRUE(WaitFor([&] { return calc.WorkbookCount() == books + 1; }));
  ComeBack();
  EXPECT_EQ(Caption(), "nacl.ods (b): nacl");
  for (int i = 0; i < 3; ++i)
    if (!window->fitBox(i)->isChecked()) QTest::mouseClick(window->fitBox(i), Qt::LeftButton);
  QTest::mouseClick(window->button(2), Qt::LeftButton);
  Screenshot(*window, "main-window-fitted");
  QTest::keyClick(window.get(), Qt::Key_F9);  // its table (of the fit), on the screen
  EXPECT_TRUE(window->tableFits);
}

// A read-only workbook says where it could not write and what to do,
// without the office's internals; a file that is no spreadsheet is closed.
TEST_F(Desktop, AFileTheOfficeCannotUseIsReported) {
  ASSERT_EQ(std::system(("chattr +i '" + (root / "work/readonly.ods").string() + "'").c_str()), 0);
  Open("readonly.ods");
  ASSERT_EQ(window->messages.size(), 1u);
  const std::string said = window->messages[0];
  EXPECT_EQ(said.rfind("Unexpected error (row=", 0), 0u) << said;
  EXPECT_NE(said.find("(File \u203A Save As)"), std::string::npos) << said;
  EXPECT_EQ(said.find("LibreOffice:"), std::string::npos) << said;
  const int books = office->App().WorkbookCount();
  Open("notes.txt");
  EXPECT_EQ(window->messages, (std::vector<std::string>{said, "Could not open the file"}));
  EXPECT_EQ(office->App().WorkbookCount(), books);
  QTest::qWait(500);
  EXPECT_FALSE(WindowShown("notes.txt"));
}

TEST_F(Desktop, StartUpGivesUpOnAnOfficeThatCannotStart) {
  // A profile that cannot be made: the office never answers (its launch is ended: tests/office).
  const std::string broken = pipe + "-broken";
  std::vector<QString> captions;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { captions.push_back(window->windowTitle()); });
  watch.start(200);
  const auto started = Clock::now();
  EXPECT_EQ(StartOffice(*window, broken, {"file:///dev/null/profile", false}, 4s), nullptr);
  EXPECT_LT(Clock::now() - started, 8s);
  ASSERT_FALSE(captions.empty());  // the window kept handling its events
  EXPECT_EQ(captions.front(), QString::fromUtf8("Starting LibreOffice\u2026"));
  EXPECT_EQ(Caption(), "Tavrix");
}

TEST_F(Desktop, ClosedConnectionsLeaveNoThreadOfTheirBridges) {
  // The office holds listeners of the program's, and a handler of a second
  // connection for the workbook it loaded (as the command line loads one).
  Open("nacl.ods");
  auto reader = OfficeSession::AttachOrStart(pipe + "-reader", {profile, true}, true);
  reader->Open((root / "a" / "nacl.ods").string(), OfficeSession::Access::kReadOnly)
      ->Sheet("")
      .CellText(1, 1);
  ASSERT_GT(BridgeThreads(), 0);
  window->SetController(nullptr);
  controller->ShutDown();
  controller.reset();
  office.reset();
  reader.reset();
  // At once: none is left to race the UNO library's clean-up at exit.
  EXPECT_EQ(BridgeThreads(), 0);
}

// From a running office, closed by its button, SIGTERM and SIGHUP in turn
// (TAVRIX_QUIT_CYCLES runs more cycles by hand); then closed while
// LibreOffice starts, with a profile it makes then: it ends once the start
// is done (the office started for the user stays: the suite ends it).
TEST_F(Desktop, TheProgramQuitsWithItsSettingsAndWithoutACrash) {
  const int cycles = std::max(10, std::atoi(qgetenv("TAVRIX_QUIT_CYCLES").constData()));
  for (int cycle = 0; cycle < cycles; ++cycle)
    EXPECT_TRUE(StartsAndQuits(pipe, root / "work", "^Tavrix$", cycle % 3, 20s)) << cycle;
  EXPECT_TRUE(StartsAndQuits(pipe + "-start", root / "fresh", "^Starting LibreOffice", 0, 40s));
}

// While the user is in another window the office dies or stops, or the
// user closes every workbook in it; back in Tavrix, the program closes
// with its settings and says why. Closed workbooks leave the office with
// the user's other documents.
struct OfficeFault {
  const char* name;
  int signal;  // SIGKILL: it dies; SIGSTOP: it hangs; 0: the workbooks are closed
  milliseconds patience;
  bool userCloses;  // Alt+F4 two seconds after the click, while the calls wait
  std::vector<std::string> messages;
  seconds least, most;  // how long the closing takes
};
class DesktopFault : public Desktop, public testing::WithParamInterface<OfficeFault> {
  milliseconds Patience() const override { return GetParam().patience; }
};

TEST_P(DesktopFault, ClosesTavrixWithItsSettings) {
  const OfficeFault& fault = GetParam();
  const std::string process = "[U]serInstallation=" + profile;
  const std::string settings = state.HomeDir + kSettingsName;
  Open("nacl.ods");
  if (fault.signal == 0) {
    OpenInOffice(root / "work" / "notes.txt");
    ASSERT_TRUE(WaitFor([] { return WindowShown("notes.txt"); }, 20s));
  }
  LeaveTavrix();
  fs::remove(settings);
  if (fault.signal == 0) {
    for (int i = office->App().WorkbookCount(); i >= 1; --i) office->App().CloseWorkbook(i);
  } else {
    ASSERT_TRUE(SignalAll(process, fault.signal));
  }
  if (fault.signal == SIGKILL) QTest::qWait(500);
  if (fault.userCloses) std::system("(sleep 2; xdotool key alt+F4) >/dev/null 2>&1 &");
  const auto started = Clock::now();
  Click();
  EXPECT_TRUE(WaitFor([&] { return !window->isVisible(); }, 20s));
  const auto waited = Clock::now() - started;
  SignalAll(process, SIGCONT);
  EXPECT_GE(waited, fault.least);
  EXPECT_LT(waited, fault.most);
  EXPECT_EQ(window->messages, fault.messages);
  EXPECT_TRUE(fs::exists(settings));
  QTest::qWait(1000);  // a stopped office is given up, not ended
  EXPECT_EQ(Output("pgrep -f -- '" + process + "'").empty(), fault.signal == SIGKILL);
  EXPECT_EQ(WindowShown("notes.txt"), fault.signal == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Offices, DesktopFault,
    testing::ValuesIn(std::vector<OfficeFault>{
        {"Dies", SIGKILL, kCallPatience, false, {kNoWorksheet}, 0s, 20s},
        // Long before the patience is over.
        {"StopsAndTheUserCloses", SIGSTOP, kCallPatience, true, {}, 0s, 10s},
        {"StopsForLongerThanThePatience", SIGSTOP, 3s, false, {kNotAnswering}, 3s, 20s},
        {"TheUserClosesEveryWorkbook", 0, kCallPatience, false, {kNoWorksheet}, 0s, 20s}}),
    [](const testing::TestParamInfo<OfficeFault>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  tavrix::PrepareProcess();
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
