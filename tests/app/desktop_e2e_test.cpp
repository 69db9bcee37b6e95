// One end-to-end scenario of the desktop program on a real display (run
// under xvfb-run) beside a real, visible LibreOffice: open the example
// workbook, edit a pK in Calc while Tavrix is inactive, come back, see E12
// change, optimize, show the table and copy it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <thread>

#include "qt_main_window.h"
#include "table_window.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/office/office_session.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

// With TAVRIX_SCREENSHOTS set to a folder, the scenario leaves pictures of
// the windows there (scripts/screenshots.sh).
void Screenshot(QWidget& widget, const char* name) {
  const QByteArray folder = qgetenv("TAVRIX_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QApplication::processEvents();
  widget.grab().save(QString::fromUtf8(folder) + "/" + name + ".png", "PNG");
}

// The main window with its two modal parts answered by the test: the file
// dialog picks the example, the table is shown, copied and closed.
class ScriptedWindow : public QtMainWindow {
 public:
  explicit ScriptedWindow(ScreenMeasures& measures) : QtMainWindow(measures), measures(measures) {}
  std::optional<Choice> ChooseFile(const std::string&, const std::string&, const std::string&) override {
    return chosen;
  }
  void ShowPkTable(const std::string& title, const std::vector<std::string>& lines,
                   const PlotData& plot) override {
    TableWindow table(measures, guard(), this);
    table.Fill(title, lines);
    table.SetPlot(plot);
    table.show();
    (void)QTest::qWaitForWindowExposed(&table);
    Screenshot(table, "table-window");
    const QByteArray folder = qgetenv("TAVRIX_SCREENSHOTS");
    if (!folder.isEmpty()) table.SavePlot(folder.toStdString() + "/plot.svg");
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    copied = QGuiApplication::clipboard()->text().toStdString();
    expected = TableText(lines, false);
    table.close();
  }
  ScreenMeasures& measures;
  std::optional<Choice> chosen;
  std::string copied;
  std::string expected;
};

// Waits, handling events, until the condition holds or the time is up.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::seconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

TEST(Desktop, EditComeBackOptimizeAndCopyTheTable) {
  std::string folder = (fs::temp_directory_path() / "tavrix-e2e-XXXXXX").string();
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  const fs::path root(folder);
  fs::create_directories(root / "home");
  fs::create_directories(root / "work");
  fs::copy_file(TAVRIX_EXAMPLE, root / "work" / "nacl.ods");
  const std::string profile = "file://" + (root / "profile").string();
  const std::string pipe = "tavrix-e2e-" + std::to_string(::getpid());

  // The user's office, visible, and a second client to edit as the user would.
  auto office = OfficeSession::AttachOrStart(pipe, {profile, false}, false);
  auto user = OfficeSession::AttachOrStart(pipe + "-user", {profile, true}, true);

  ScreenMeasures measures;
  ScriptedWindow window(measures);
  std::vector<std::string> messages;
  window.RecordMessagesIn(&messages);
  Problem problem;
  AppState state;
  state.HomeDir = (root / "home").string() + "/";
  state.UserHome = (root / "work").string() + "/";
  MainController controller(problem, state, office->App(), window);
  window.SetController(&controller);
  ASSERT_TRUE(controller.StartUp(""));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Screenshot(window, "main-window-compact");

  window.chosen = MainWindow::Choice{state.UserHome, "nacl.ods"};
  QTest::mouseClick(window.button(1), Qt::LeftButton);
  ASSERT_EQ(problem.ErrCode, 0);
  EXPECT_EQ(window.windowTitle().toStdString(), "nacl.ods: nacl");

  // Tavrix loses the focus to another window; the user edits a pK in Calc.
  QWidget other;
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  other.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return !window.isActiveWindow(); }));
  SpreadsheetApp& calc = user->App();
  for (int i = 1; i <= calc.WorkbookCount(); ++i) {
    if (calc.WorkbookName(i) == "nacl.ods") calc.ActivateWorkbook(i);
  }
  SheetHost* userSheet = calc.ActiveSheet();
  ASSERT_NE(userSheet, nullptr);
  calc.Synchronize();
  const std::string e12 = userSheet->CellText(12, 5);
  // Initial values for the three parameters (so that E12 has a value) and an outlier.
  userSheet->SetCell(9, 5, CellContent::Number(-1.2));
  userSheet->SetCell(10, 5, CellContent::Number(0.5));
  userSheet->SetCell(11, 5, CellContent::Number(-100));
  userSheet->SetCell(15, 5, CellContent::Number(5.0));
  calc.Synchronize();
  ASSERT_TRUE(WaitFor([&] { return office->App().Changed(); }));

  // Back in Tavrix: the pass runs and E12 changes in the sheet.
  window.activateWindow();
  ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }));
  ASSERT_TRUE(WaitFor([&] {
    calc.Synchronize();
    return userSheet->CellText(12, 5) != e12;
  }));
  EXPECT_EQ(problem.PtPK[1], 5.0f);

  // Fit all three, then F9: the table is shown and Ctrl+C copies it.
  for (int i = 0; i < 3; ++i) {
    if (!window.fitBox(i)->isChecked()) QTest::mouseClick(window.fitBox(i), Qt::LeftButton);
  }
  ASSERT_TRUE(window.button(2)->isEnabled());
  QTest::mouseClick(window.button(2), Qt::LeftButton);
  Screenshot(window, "main-window-fitted");
  calc.Synchronize();
  EXPECT_NE(userSheet->CellText(9, 6), "");
  QTest::keyClick(&window, Qt::Key_F9);
  EXPECT_EQ(window.copied, window.expected);
  EXPECT_NE(window.copied.find("pK of dissociation of \"NaCl\""), std::string::npos);

  window.SetController(nullptr);
  controller.ShutDown();
  user.reset();
  office.reset();
  // A visible office with unsaved changes would ask before quitting: end it.
  const std::string end = "pkill -9 -f '" + (root / "profile").string() + "'";
  EXPECT_EQ(std::system(end.c_str()) >= 0, true);
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
