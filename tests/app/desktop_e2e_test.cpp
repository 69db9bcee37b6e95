// The desktop program on a real display (xvfb-run, with openbox as window
// manager) beside a real, visible LibreOffice, driven as a user would: one
// office for the whole scenario, the tests in order.
#include <gtest/gtest.h>
#include <stdlib.h>
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
#include <thread>

#include "desktop_start.h"
#include "qt_main_window.h"
#include "table_window.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/office/office_session.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

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

// A window of the display whose title contains the text.
bool WindowShown(const std::string& title) {
  return !Output("xdotool search --onlyvisible --name '" + title + "' 2>/dev/null").empty();
}

// Waits, handling events, until the condition holds or the time is up.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

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

// One visible office for the scenario, a second client of it that edits as
// the user would, and the program's window and logic.
class Desktop : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string folder = (fs::temp_directory_path() / "tavrix-e2e-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    root = folder;
    fs::create_directories(root / "home");
    fs::create_directories(root / "work");
    for (const char* name : {"nacl.ods", "mynew.ods", "readonly.ods"})
      fs::copy_file(TAVRIX_EXAMPLE, root / "work" / name);
    std::FILE* text = std::fopen((root / "work" / "notes.txt").c_str(), "w");
    std::fputs("Field notes, not a data sheet.\n", text);
    std::fclose(text);
    profile = "file://" + (root / "profile").string();
    pipe = "tavrix-e2e-" + std::to_string(::getpid());
  }
  static void TearDownTestSuite() {
    user.reset();
    office.reset();
    KillOffice();  // a visible office with unsaved changes would ask before quitting
    // The killed office's pipe files: those of the scenario's pipe names.
    const std::string prefix = "OSL_PIPE_" + std::to_string(::getuid()) + "_" + pipe;
    std::error_code error;
    for (fs::directory_iterator it("/tmp", error), end; !error && it != end; it.increment(error)) {
      if (it->path().filename().string().rfind(prefix, 0) == 0) fs::remove(it->path(), error);
    }
    std::system(
        ("chattr -i '" + (root / "work" / "readonly.ods").string() + "' 2>/dev/null").c_str());
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  void SetUp() override {
    window = std::make_unique<ScriptedWindow>(measures);
    state.HomeDir = (root / "home").string() + "/";
    state.UserHome = (root / "work").string() + "/";
    if (!office) {
      office = StartOffice(*window, pipe, {profile, false});
      ASSERT_NE(office, nullptr);
    }
    if (!user) user = AttachUser();
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
    if (window->isVisible()) controller->ShutDown();
    window.reset();
  }

  void Open(const std::string& name) {
    window->chosen = MainWindow::Choice{state.UserHome, name};
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
  // Kills the office as a crash would.
  static int KillOffice() {
    return std::system(("pkill -9 -f '[U]serInstallation=" + profile + "'").c_str());
  }
  // The user's view of a workbook open in the office.
  SheetHost* UserSheet(const std::string& book) {
    SpreadsheetApp& calc = user->App();
    for (int i = 1; i <= calc.WorkbookCount(); ++i) {
      if (calc.WorkbookName(i) == book) calc.ActivateWorkbook(i);
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

  static inline fs::path root;
  static inline std::string profile;
  static inline std::string pipe;
  static inline std::unique_ptr<OfficeSession> office;
  static inline std::unique_ptr<OfficeSession> user;
  ScreenMeasures measures;
  std::unique_ptr<ScriptedWindow> window;
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
  const std::string broken = "tavrix-e2e-broken-" + std::to_string(::getpid());
  std::vector<QString> captions;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { captions.push_back(window->windowTitle()); });
  watch.start(200);
  const auto started = std::chrono::steady_clock::now();
  const auto session =
      StartOffice(*window, broken, {"file:///dev/null/profile", false}, std::chrono::seconds(4));
  const auto waited = std::chrono::steady_clock::now() - started;
  watch.stop();
  EXPECT_EQ(session, nullptr);
  EXPECT_LT(waited, std::chrono::seconds(8));
  ASSERT_FALSE(captions.empty());  // the window kept handling its events
  EXPECT_EQ(captions.front(), QString::fromUtf8("Starting LibreOffice\u2026"));
  EXPECT_EQ(Caption(), "Tavrix");
  QTest::qWait(300);
  EXPECT_EQ(Output("pgrep -f '[n]ame=" + broken + "'"), "");  // nothing of it stays
}

TEST_F(Desktop, NoSpreadsheetLeftClosesTavrixButNotTheUsersOtherDocuments) {
  Open("nacl.ods");
  // A text document of the user's, opened in the same office.
  std::system(("/usr/lib/libreoffice/program/soffice -env:UserInstallation=" + profile + " '" +
               (root / "work" / "notes.txt").string() + "' >/dev/null 2>&1")
                  .c_str());
  ASSERT_TRUE(WaitFor([] { return WindowShown("notes.txt"); }, std::chrono::seconds(20)));
  LeaveTavrix();
  for (const char* book : {"nacl.ods", "mynew.ods", "readonly.ods"}) CloseForTheUser(book);
  ASSERT_EQ(user->App().WorkbookCount(), 0);
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
  fs::remove(state.HomeDir + "Tavrix.ini");
  ASSERT_EQ(KillOffice(), 0);
  QTest::qWait(500);
  window->messages.clear();
  Click();
  ASSERT_TRUE(WaitFor([&] { return !window->isVisible(); }));
  EXPECT_EQ(window->messages,
            std::vector<std::string>{"Tavrix closed: could not find an open worksheet "});
  EXPECT_TRUE(fs::exists(state.HomeDir + "Tavrix.ini"));
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  tavrix::PrepareProcess();
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
