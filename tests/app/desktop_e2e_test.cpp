// The desktop program on a real display (xvfb-run, with openbox as window
// manager) beside a real, visible LibreOffice, driven as a user would: one
// office for the whole scenario, on a pipe and with a profile of its own,
// the tests in order; the program itself for starting and quitting.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
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
#include "qt_main_window.h"
#include "table_window.h"
#include "tavrix/model/pk_table.h"

extern char** environ;

namespace tavrix {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

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

// The output of a command.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
  }
  return out;
}

// A window of the display whose title matches.
bool WindowShown(const std::string& title) {
  return !Output("xdotool search --onlyvisible --name '" + title + "' 2>/dev/null").empty();
}

bool WaitFor(const std::function<bool()>& condition, milliseconds limit = seconds(10)) {
  return QTest::qWaitFor(condition, static_cast<int>(limit.count()));
}

// The processes whose command line matches.
std::vector<pid_t> Processes(const std::string& pattern) {
  std::vector<pid_t> pids;
  std::istringstream lines(Output("pgrep -f -- '" + pattern + "'"));
  for (pid_t pid = 0; lines >> pid;) pids.push_back(pid);
  return pids;
}

// The pipe files (/tmp/OSL_PIPE_*) the processes listen on: a killed
// office leaves them behind.
std::vector<std::string> PipeFilesOf(const std::vector<pid_t>& pids) {
  std::set<std::string> sockets;
  for (const pid_t pid : pids) {
    std::error_code error;
    for (fs::directory_iterator fd("/proc/" + std::to_string(pid) + "/fd", error), end;
         !error && fd != end; fd.increment(error)) {
      const std::string target = fs::read_symlink(fd->path(), error).string();
      if (target.rfind("socket:[", 0) == 0) sockets.insert(target.substr(8, target.size() - 9));
    }
  }
  std::vector<std::string> files;
  std::ifstream table("/proc/net/unix");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string skip, inode, path;
    for (int i = 0; i < 6; ++i) fields >> skip;
    fields >> inode >> path;
    if (sockets.count(inode) && path.rfind("/tmp/OSL_PIPE_", 0) == 0) files.push_back(path);
  }
  return files;
}

// The threads of this process that carry a bridge to an office.
int BridgeThreads() {
  int threads = 0;
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    std::string name;
    std::getline(std::ifstream(task.path() / "comm"), name);
    threads += name.rfind("binaryurp", 0) == 0 ? 1 : 0;
  }
  return threads;
}

// What openbox's title bar (its default theme, "sans 8 bold") needs to show
// a caption whole: the text, and about six title-bar heights for the icon,
// its three buttons and the margins, as measured on its screenshots.
int TitleBarNeeds(const QString& caption, int titleHeight) {
  return QFontMetrics(QFont("Sans", 8, QFont::Bold)).horizontalAdvance(caption) + 6 * titleHeight;
}

// The desktop program itself, started as a user starts it (with a settings
// folder and an office pipe of the scenario's), its output dropped.
class Program {
 public:
  Program(const std::vector<std::string>& args, const std::string& settingsFolder,
          const std::string& home) {
    std::vector<std::string> words{TAVRIX_DESKTOP};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<std::string> environment{"TAVRIX_HOME=" + settingsFolder, "HOME=" + home,
                                         "XDG_CONFIG_HOME=" + home + "/.config"};
    for (char** entry = environ; *entry; ++entry) {
      const std::string variable = *entry;
      const std::string name = variable.substr(0, variable.find('=') + 1);
      if (name != "TAVRIX_HOME=" && name != "HOME=" && name != "XDG_CONFIG_HOME=")
        environment.push_back(variable);
    }
    std::vector<char*> argv, envp;
    for (std::string& word : words) argv.push_back(word.data());
    for (std::string& variable : environment) envp.push_back(variable.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    if (::posix_spawn(&pid_, TAVRIX_DESKTOP, &quiet, nullptr, argv.data(), envp.data()) != 0)
      pid_ = 0;
    posix_spawn_file_actions_destroy(&quiet);
  }
  ~Program() {
    if (pid_ != 0 && Wait(milliseconds(0)) == -1) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  // Its visible window whose title matches, "" when none came in time.
  std::string Window(const std::string& title, seconds limit = seconds(20)) const {
    std::string id;
    WaitFor(
        [&] {
          id = Output("xdotool search --all --onlyvisible --pid " + std::to_string(pid_) +
                      " --name '" + title + "' 2>/dev/null | head -1");
          return !id.empty();
        },
        limit);
    return id.substr(0, id.find('\n'));
  }
  // Alt+F4 on a window of it: the window manager closes it.
  static void Close(const std::string& window) {
    Output("xdotool windowactivate " + window + " sleep 0.3 key alt+F4 2>/dev/null");
  }
  void Signal(int signal) const { ::kill(pid_, signal); }
  // Its exit code, 128 + the signal that ended it, or -1 while it runs.
  int Wait(milliseconds limit) {
    if (status_ >= 0 || pid_ == 0) return pid_ == 0 ? 127 : status_;
    int status = 0;
    if (!WaitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, limit)) return -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }

 private:
  pid_t pid_ = 0;
  int status_ = -1;
};

// The main window with its modal parts answered by the test: the file
// dialog picks `chosen`; the table is shown, its plot saved and clicked,
// the table copied, and the window closed; message boxes are recorded, and
// with `realBoxes` also shown and answered with OK.
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
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) box->accept();
      }
    });
    answer.start(400);
    QtMainWindow::ShowMessage(text, icon, title);
  }
  void ShowPkTable(const PkTableView& view) override {
    TableWindow table(measures, guard(), this);
    table.Show(view);
    table.show();
    (void)QTest::qWaitForWindowExposed(&table);
    tableFits = screen()->availableGeometry().contains(table.frameGeometry());
    Screenshot(table, "table-window");
    plotSaved = table.SavePlot(plotFile);
    // The plot stays on screen after it was saved, and takes clicks.
    QTest::mouseClick(table.plotView(), Qt::LeftButton);
    plotShown = table.plotView()->isVisible() && !table.plotView()->plot().curves.empty();
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    copied = QGuiApplication::clipboard()->text().toStdString();
    expected = TableText(view.lines, false);
    table.close();
  }
  ScreenMeasures& measures;
  std::optional<Choice> chosen;
  std::vector<std::string> messages;
  bool realBoxes = false;
  std::string plotFile;
  bool plotSaved = false;
  bool plotShown = false;
  bool tableFits = false;
  std::string copied;
  std::string expected;
};

// One visible office for the scenario and a second client of it that edits
// as the user would; for each test the program's window and logic,
// attached to the office as the program attaches.
class Desktop : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string folder = (fs::temp_directory_path() / "tavrix-e2e-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    root = folder;
    for (const char* sub : {"home", "work", "a", "b", "program"})
      fs::create_directories(root / sub);
    for (const char* name :
         {"work/nacl.ods", "work/mynew.ods", "work/readonly.ods", "a/nacl.ods", "b/nacl.ods"})
      fs::copy_file(TAVRIX_EXAMPLE, root / name);
    std::ofstream(root / "work" / "notes.txt") << "Field notes, not a data sheet.\n";
    profile = "file://" + (root / "profile").string();
    pipe = "tavrix-e2e-" + std::to_string(::getpid());
  }
  static void TearDownTestSuite() {
    user.reset();
    KillOffice();  // a visible office with unsaved changes would ask before quitting
    // The pipe files of the scenario's pipe names that an office left.
    const std::string prefix = "OSL_PIPE_" + std::to_string(::getuid()) + "_" + pipe;
    std::error_code error;
    for (fs::directory_iterator it("/tmp", error), end; !error && it != end; it.increment(error)) {
      if (it->path().filename().string().rfind(prefix, 0) == 0) fs::remove(it->path(), error);
    }
    std::system(("chattr -i '" + (root / "work/readonly.ods").string() + "' 2>/dev/null").c_str());
    fs::remove_all(root, error);
  }

  void SetUp() override {
    window = std::make_unique<ScriptedWindow>(measures);
    state.HomeDir = (root / "home").string() + "/";
    state.UserHome = (root / "work").string() + "/";
    Attach(kCallPatience);
    if (HasFatalFailure()) return;
    window->PlaceAt(state.WindowPosition);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(200);  // framed by the window manager
  }
  void TearDown() override {
    window->SetController(nullptr);
    if (window->isVisible() && controller) controller->ShutDown();
    controller.reset();
    office.reset();
    window.reset();
  }
  // The program's connection to the office, with its patience for calls.
  void Attach(milliseconds patience) {
    window->SetController(nullptr);
    controller.reset();
    office.reset();
    auto session = StartOffice(*window, pipe, {profile, false});
    ASSERT_NE(session, nullptr);
    office = std::make_unique<WindowOffice>(
        std::move(session), [w = window.get()] { return w->Closing(); }, patience);
    if (!user) user = AttachUser();
    controller = std::make_unique<MainController>(problem, state, office->App(), *window);
    window->SetController(controller.get());
    ASSERT_TRUE(controller->StartUp(""));
  }

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
  }
  // The user clicks the Tavrix window's title bar.
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
  // The user's own client of the visible office, for the edits a user
  // makes. It connects through a second launcher that hands over to the
  // office; an office still busy with its start can refuse that, and the
  // client tries again.
  static std::unique_ptr<OfficeSession> AttachUser() {
    for (int attempt = 1;; ++attempt) {
      try {
        return OfficeSession::AttachOrStart(pipe + "-user", {profile, true}, true);
      } catch (const HostError&) {
        if (attempt == 3) throw;
        QTest::qWait(1000);
      }
    }
  }
  // A signal to every process of the office: SIGSTOP as a hung office,
  // SIGCONT to go on.
  static bool SignalOffice(int signal) {
    const std::vector<pid_t> pids = Processes("[U]serInstallation=" + profile);
    for (const pid_t pid : pids) ::kill(pid, signal);
    return !pids.empty();
  }
  // Kills the processes as a crash would, and removes the pipe files they
  // leave (those of the scenario's pipe names and the office's own).
  static bool Kill(const std::vector<pid_t>& pids) {
    const std::vector<std::string> files = PipeFilesOf(pids);
    for (const pid_t pid : pids) ::kill(pid, SIGKILL);
    QTest::qWait(300);
    for (const std::string& file : files) ::unlink(file.c_str());
    return !pids.empty();
  }
  static bool KillOffice() { return Kill(Processes("[U]serInstallation=" + profile)); }
  // The user opens a file in the office, in front (as from a file manager).
  static void OpenInOffice(const fs::path& file) {
    std::system(("/usr/lib/libreoffice/program/soffice -env:UserInstallation=" + profile + " '" +
                 file.string() + "' >/dev/null 2>&1")
                    .c_str());
  }
  // The user's view of a workbook open in the office, by name or path.
  SheetHost* UserSheet(const std::string& book) {
    SpreadsheetApp& calc = user->App();
    for (int i = 1; i <= calc.WorkbookCount(); ++i) {
      if (calc.WorkbookName(i) == book || calc.WorkbookId(i) == book) calc.ActivateWorkbook(i);
    }
    calc.Synchronize();
    return calc.ActiveSheet();
  }
  void CloseForTheUser(const std::string& book) {
    SpreadsheetApp& calc = user->App();
    for (int i = calc.WorkbookCount(); i >= 1; --i) {
      if (calc.WorkbookName(i) == book) calc.CloseWorkbook(i);
    }
  }
  std::string Caption() const { return window->windowTitle().toStdString(); }
  std::string SettingsFile() const { return state.HomeDir + kSettingsName; }

  static inline fs::path root;
  static inline std::string profile;
  static inline std::string pipe;
  static inline std::unique_ptr<OfficeSession> user;
  ScreenMeasures measures;
  std::unique_ptr<ScriptedWindow> window;
  std::unique_ptr<WindowOffice> office;
  QWidget other;
  Problem problem;
  AppState state;
  std::unique_ptr<MainController> controller;
};

TEST_F(Desktop, StartsBesideTheOfficesStartCenterCompactAtTheTopRight) {
  EXPECT_TRUE(WindowShown("LibreOffice"));  // an office started without a document shows itself
  const QRect available = window->screen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  EXPECT_NEAR(frame.right(), available.right(), 1);
  EXPECT_NEAR(frame.top(), available.top(), 1);
  // Compact: the frame is the window manager's, the height as designed,
  // and nothing but the two file buttons.
  EXPECT_GT(measures.FrameDY, 0);
  EXPECT_NEAR(frame.height(), QtMainWindow::kMinSize / measures.TwipsY, 1.5);
  EXPECT_FALSE(window->fitBox(0)->isVisible());
  EXPECT_FALSE(window->button(2)->isVisible());
  Screenshot(*window, "main-window-compact");
}

TEST_F(Desktop, TheCaptionFitsTheTitleBarWithinTheScreen) {
  const QRect available = window->screen()->availableGeometry();
  const int titleHeight = window->geometry().top() - window->frameGeometry().top();
  for (const QString& caption : {QString::fromUtf8("Starting LibreOffice\u2026"),
                                 QString("nacl.ods (b): nacl"), QString(400, 'x')}) {
    window->setWindowTitle(caption);
    QTest::qWait(200);
    const QRect frame = window->frameGeometry();
    EXPECT_GE(frame.width(), std::min(available.width(), TitleBarNeeds(caption, titleHeight)))
        << caption.toStdString();
    EXPECT_TRUE(available.contains(frame)) << caption.toStdString();
  }
}

TEST_F(Desktop, EditComeBackOptimizeTableAndExport) {
  Open("nacl.ods");
  ASSERT_EQ(problem.ErrCode, 0);
  EXPECT_EQ(Caption(), "nacl.ods: nacl");

  // Tavrix inactive, the user edits in Calc: initial values for the three
  // parameters (so that E12 has a value) and an outlier.
  LeaveTavrix();
  SheetHost* sheet = UserSheet("nacl.ods");
  ASSERT_NE(sheet, nullptr);
  const std::string e12 = sheet->CellText(12, 5);
  sheet->SetCell(9, 5, CellContent::Number(-1.2));
  sheet->SetCell(10, 5, CellContent::Number(0.5));
  sheet->SetCell(11, 5, CellContent::Number(-100));
  sheet->SetCell(15, 5, CellContent::Number(5.0));
  user->App().Synchronize();
  ASSERT_TRUE(WaitFor([&] { return office->App().Changed(); }));

  // Back in Tavrix: the pass runs and E12 changes in the sheet.
  ComeBack();
  ASSERT_TRUE(WaitFor([&] {
    user->App().Synchronize();
    return sheet->CellText(12, 5) != e12;
  }));
  EXPECT_EQ(problem.Sheet.points[0].pK, 5.0f);

  // Fit all three, then F9: the table and the plot, which is saved and
  // stays; Ctrl+C copies the table.
  for (int i = 0; i < 3; ++i) {
    if (!window->fitBox(i)->isChecked()) QTest::mouseClick(window->fitBox(i), Qt::LeftButton);
  }
  ASSERT_TRUE(window->button(2)->isEnabled());
  QTest::mouseClick(window->button(2), Qt::LeftButton);
  Screenshot(*window, "main-window-fitted");
  user->App().Synchronize();
  EXPECT_NE(sheet->CellText(9, 6), "");
  window->plotFile = (root / "work" / "fitplot.png").string();
  QTest::keyClick(window.get(), Qt::Key_F9);
  EXPECT_EQ(window->copied, window->expected);
  EXPECT_NE(window->copied.find("pK of dissociation of \"NaCl\""), std::string::npos);
  EXPECT_TRUE(window->plotSaved);
  EXPECT_TRUE(window->plotShown);
  EXPECT_TRUE(window->tableFits);
  EXPECT_TRUE(fs::exists(window->plotFile));

  // F2: the export names the file with its folder.
  QTest::keyClick(window.get(), Qt::Key_F2);
  ASSERT_FALSE(window->messages.empty());
  EXPECT_EQ(window->messages.back(), "Added to the file '" + state.HomeDir + "data.txt' ");
}

TEST_F(Desktop, AnErrorIsShownOnceAndItsOKEndsIt) {
  Open("nacl.ods");
  ASSERT_EQ(problem.ErrCode, 0);
  LeaveTavrix();
  SheetHost* sheet = UserSheet("nacl.ods");
  sheet->SetCell(17, 1, CellContent::Text("abc"));
  user->App().Synchronize();
  ASSERT_TRUE(WaitFor([&] { return office->App().Changed(); }));
  window->messages.clear();
  window->realBoxes = true;
  ComeBack();
  QTest::qWait(3000);  // a box that came back would have come by now
  EXPECT_EQ(window->messages, std::vector<std::string>{"Invalid data format (row=17, col=1)"});
  window->realBoxes = false;
  sheet->SetCell(17, 1, CellContent::Number(100));
  user->App().Synchronize();
}

TEST_F(Desktop, OpeningAnOpenWorkbookSwitchesToItAndClosingOneKeepsTheOther) {
  Open("nacl.ods");
  Open("mynew.ods");
  EXPECT_EQ(Caption(), "mynew.ods: nacl");
  Open("nacl.ods");  // open already, and not the active one
  EXPECT_EQ(Caption(), "nacl.ods: nacl");
  EXPECT_NE(Output("xdotool getactivewindow getwindowname").find("nacl.ods"), std::string::npos);
  Open("mynew.ods");
  EXPECT_EQ(Caption(), "mynew.ods: nacl");

  // The user closes the workbook Tavrix works on: the other one is read.
  LeaveTavrix();
  CloseForTheUser("mynew.ods");
  window->messages.clear();
  ComeBack();
  EXPECT_EQ(Caption(), "nacl.ods: nacl");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(problem.ErrCode, 0);
  EXPECT_EQ(window->messages, std::vector<std::string>{});
}

TEST_F(Desktop, TwoWorkbooksOfOneNameAreToldApartByTheirFolders) {
  const std::string a = (root / "a" / "nacl.ods").string();
  const std::string b = (root / "b" / "nacl.ods").string();
  Open("nacl.ods", root / "a");
  ASSERT_EQ(problem.ErrCode, 0);
  // The user opens b's nacl.ods in Calc, in front, and comes back.
  LeaveTavrix();
  const int books = user->App().WorkbookCount();
  OpenInOffice(b);
  ASSERT_TRUE(WaitFor([&] { return user->App().WorkbookCount() == books + 1; }));
  ComeBack();
  EXPECT_EQ(Caption(), "nacl.ods (b): nacl");
  for (int i = 0; i < 3; ++i) {
    if (!window->fitBox(i)->isChecked()) QTest::mouseClick(window->fitBox(i), Qt::LeftButton);
  }
  QTest::mouseClick(window->button(2), Qt::LeftButton);
  EXPECT_NE(UserSheet(b)->CellText(9, 6), "");  // the fit went into b
  EXPECT_EQ(UserSheet(a)->CellText(9, 6), "");

  // Opening each by its folder brings that one.
  Open("nacl.ods", root / "a");
  EXPECT_EQ(Caption(), "nacl.ods (a): nacl");
  Open("nacl.ods", root / "b");
  EXPECT_EQ(Caption(), "nacl.ods (b): nacl");
  EXPECT_EQ(user->App().WorkbookCount(), books + 1);
}

TEST_F(Desktop, AReadOnlyWorkbookSaysWhereItCouldNotWriteAndWhatToDo) {
  const std::string path = (root / "work" / "readonly.ods").string();
  ASSERT_EQ(std::system(("chattr +i '" + path + "'").c_str()), 0);
  window->messages.clear();
  Open("readonly.ods");
  ASSERT_EQ(window->messages.size(), 1u);
  EXPECT_EQ(window->messages[0].rfind("Unexpected error (row=", 0), 0u) << window->messages[0];
  EXPECT_NE(window->messages[0].find("read-only"), std::string::npos);
  EXPECT_NE(window->messages[0].find("Save As"), std::string::npos);
  EXPECT_EQ(window->messages[0].find("LibreOffice:"), std::string::npos);
  EXPECT_EQ(window->GetWindowState(), WindowState::kCompact);
  CloseForTheUser("readonly.ods");
  std::system(("chattr -i '" + path + "'").c_str());
}

TEST_F(Desktop, AFileThatIsNoSpreadsheetIsReportedAndClosed) {
  Open("nacl.ods");
  const int books = user->App().WorkbookCount();
  window->messages.clear();
  Open("notes.txt");
  EXPECT_EQ(window->messages, std::vector<std::string>{"Could not open the file"});
  EXPECT_EQ(Caption(), "Tavrix");
  EXPECT_EQ(user->App().WorkbookCount(), books);
  QTest::qWait(500);
  EXPECT_FALSE(WindowShown("notes.txt"));
}

TEST_F(Desktop, StartUpGivesUpOnAnOfficeThatCannotStart) {
  // A profile that cannot be made: the office never answers.
  const std::string broken = pipe + "-broken";
  std::vector<QString> captions;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { captions.push_back(window->windowTitle()); });
  watch.start(200);
  const auto started = std::chrono::steady_clock::now();
  const auto session =
      StartOffice(*window, broken, {"file:///dev/null/profile", false}, seconds(4));
  const auto waited = std::chrono::steady_clock::now() - started;
  watch.stop();
  EXPECT_EQ(session, nullptr);
  EXPECT_LT(waited, seconds(8));
  ASSERT_FALSE(captions.empty());  // the window kept handling its events
  EXPECT_EQ(captions.front(), QString::fromUtf8("Starting LibreOffice\u2026"));
  EXPECT_EQ(Caption(), "Tavrix");
  QTest::qWait(300);
  EXPECT_EQ(Output("pgrep -f '[n]ame=" + broken + "'"), "");  // nothing of it stays
}

TEST_F(Desktop, APipeWhoseOfficeDoesNotAnswerIsLeftForAnotherOne) {
  // Something holds the pipe and never answers, as a stopped office does.
  const std::string held = pipe + "-held";
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string file = "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_" + held;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", file.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  const auto started = std::chrono::steady_clock::now();
  auto session = StartOffice(*window, held, {profile, false}, seconds(20));
  const auto waited = std::chrono::steady_clock::now() - started;
  ::close(listener);
  fs::remove(file);
  ASSERT_NE(session, nullptr);  // the scenario's office, on a pipe of the program's
  EXPECT_LT(waited, seconds(10));
  EXPECT_GE(session->App().WorkbookCount(), 0);
}

TEST_F(Desktop, ClosedConnectionsLeaveNoThreadOfTheirBridges) {
  // The office holds listeners of the program's, and had a handler of the
  // user's for the workbook it loaded (as the command line loads one).
  Open("nacl.ods");
  user->Open((root / "work" / "mynew.ods").string(), OfficeSession::Access::kReadOnly)
      ->Sheet("")
      .CellText(1, 1);
  ASSERT_GT(BridgeThreads(), 0);
  window->SetController(nullptr);
  controller->ShutDown();
  controller.reset();
  office.reset();
  user.reset();
  // At once: none is left to race the UNO library's clean-up at exit.
  EXPECT_EQ(BridgeThreads(), 0);
  Attach(kCallPatience);
}

TEST_F(Desktop, TheProgramQuitsFromARunningOfficeWithItsSettingsAndWithoutACrash) {
  // Closed by its button, by SIGTERM and by SIGHUP in turn; TAVRIX_QUIT_CYCLES
  // runs more cycles by hand.
  const int cycles = std::max(10, std::atoi(qgetenv("TAVRIX_QUIT_CYCLES").constData()));
  const std::string settings = (root / "program" / kSettingsName).string();
  for (int cycle = 0; cycle < cycles; ++cycle) {
    fs::remove(settings);
    Program program({"--office-pipe", pipe}, (root / "program").string(), (root / "work").string());
    const std::string shown = program.Window("^Tavrix$");  // attached: no longer starting
    ASSERT_FALSE(shown.empty()) << cycle;
    const int way = cycle % 3;
    if (way == 0) Program::Close(shown);
    if (way > 0) program.Signal(way == 1 ? SIGTERM : SIGHUP);
    EXPECT_EQ(program.Wait(seconds(20)), 0) << "cycle " << cycle << ", way " << way;
    EXPECT_TRUE(fs::exists(settings)) << "cycle " << cycle << ", way " << way;
  }
}

TEST_F(Desktop, ClosingWhileLibreOfficeStartsEndsTheProgramWithItsSettings) {
  // No office on this pipe, and a profile LibreOffice makes at its start.
  const std::string starting = pipe + "-start";
  const std::string settings = (root / "program" / kSettingsName).string();
  fs::remove(settings);
  Program program({"--office-pipe", starting}, (root / "program").string(),
                  (root / "fresh").string());
  const std::string shown = program.Window("^Starting LibreOffice");
  ASSERT_FALSE(shown.empty());
  Program::Close(shown);
  EXPECT_EQ(program.Wait(seconds(40)), 0);  // once the start is done
  EXPECT_TRUE(fs::exists(settings));
  Kill(Processes("[n]ame=" + starting));  // the office started for the user stays
}

TEST_F(Desktop, AStoppedOfficeLeavesTheWindowClosable) {
  Open("nacl.ods");
  ASSERT_EQ(problem.ErrCode, 0);
  LeaveTavrix();
  fs::remove(SettingsFile());
  window->messages.clear();
  ASSERT_TRUE(SignalOffice(SIGSTOP));
  // Back in Tavrix, whose calls now wait; the user closes it two seconds later.
  std::system("(sleep 2; xdotool key alt+F4) >/dev/null 2>&1 &");
  const auto started = std::chrono::steady_clock::now();
  Click();
  const bool closed = WaitFor([&] { return !window->isVisible(); }, seconds(20));
  const auto waited = std::chrono::steady_clock::now() - started;
  SignalOffice(SIGCONT);
  user.reset();  // its connection was given up with the program's
  EXPECT_TRUE(closed);
  EXPECT_LT(waited, seconds(10));  // long before the patience is over
  EXPECT_TRUE(window->messages.empty());
  EXPECT_TRUE(fs::exists(SettingsFile()));
}

TEST_F(Desktop, AStoppedOfficeIsGivenUpAfterThePatienceWithTheSettingsWritten) {
  Attach(seconds(3));
  Open("nacl.ods");
  ASSERT_EQ(problem.ErrCode, 0);
  LeaveTavrix();
  fs::remove(SettingsFile());
  window->messages.clear();
  ASSERT_TRUE(SignalOffice(SIGSTOP));
  const auto started = std::chrono::steady_clock::now();
  Click();
  const bool closed = WaitFor([&] { return !window->isVisible(); }, seconds(20));
  const auto waited = std::chrono::steady_clock::now() - started;
  SignalOffice(SIGCONT);
  EXPECT_TRUE(closed);
  EXPECT_GE(waited, seconds(3));
  EXPECT_EQ(window->messages,
            std::vector<std::string>{"LibreOffice does not answer; Tavrix is closing"});
  EXPECT_TRUE(fs::exists(SettingsFile()));

  // The office goes on: the workbook the program watched closes, and the
  // office stays.
  window->SetController(nullptr);
  controller.reset();
  office.reset();
  user.reset();  // given up with the program's connection
  user = AttachUser();
  CloseForTheUser("nacl.ods");
  QTest::qWait(1000);
  EXPECT_FALSE(Processes("[U]serInstallation=" + profile).empty());
  Attach(kCallPatience);
}

TEST_F(Desktop, NoSpreadsheetLeftClosesTavrixButNotTheUsersOtherDocuments) {
  Open("nacl.ods");
  // A text document of the user's, opened in the same office.
  OpenInOffice(root / "work" / "notes.txt");
  ASSERT_TRUE(WaitFor([] { return WindowShown("notes.txt"); }, seconds(20)));
  LeaveTavrix();
  for (int i = user->App().WorkbookCount(); i >= 1; --i) user->App().CloseWorkbook(i);
  window->messages.clear();
  Click();
  ASSERT_TRUE(WaitFor([&] { return !window->isVisible(); }));
  EXPECT_EQ(window->messages,
            std::vector<std::string>{"Tavrix closed: could not find an open worksheet "});
  QTest::qWait(1000);
  EXPECT_TRUE(WindowShown("notes.txt"));  // the office and the text stay
  EXPECT_EQ(user->App().WorkbookCount(), 0);
}

TEST_F(Desktop, AnOfficeThatDiesClosesTavrixWithItsSettings) {
  Open("nacl.ods");
  ASSERT_EQ(problem.ErrCode, 0);
  LeaveTavrix();
  fs::remove(SettingsFile());
  ASSERT_TRUE(KillOffice());
  QTest::qWait(500);
  window->messages.clear();
  Click();
  ASSERT_TRUE(WaitFor([&] { return !window->isVisible(); }));
  EXPECT_EQ(window->messages,
            std::vector<std::string>{"Tavrix closed: could not find an open worksheet "});
  EXPECT_TRUE(fs::exists(SettingsFile()));
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  tavrix::PrepareProcess();
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
