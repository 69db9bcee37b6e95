// The Qt windows on the offscreen platform, with the in-memory workbooks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <filesystem>

#include "qt_main_window.h"
#include "support/data_sheet.h"
#include "support/memory_app.h"
#include "support/temp_folder.h"
#include "table_window.h"
#include "tavrix/app/settings.h"
#include "tavrix/model/pk_table.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
namespace fs = std::filesystem;

class QtWindow : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    fs::create_directories(dir_ / "home");
    state.HomeDir = PathOf("home") + "/";
    state.UserHome = PathOf("user") + "/";
    app.AddFile(state.UserHome + "Data.xls", BuildSheet(testing_support::ThreePoints()));
    window.SetController(&controller);
    window.RecordMessagesIn(&messages);
    ASSERT_TRUE(controller.StartUp(""));
  }

  ScreenMeasures measures;
  std::vector<std::string> messages;
  Problem problem;
  AppState state;
  testing_support::MemoryApp app;
  QtMainWindow window{measures};
  MainController controller{problem, state, app, window};
};

TEST_F(QtWindow, StatesSetTheHeightTheSeparatorAndWhatTabReaches) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  const int compact = window.height();
  EXPECT_FALSE(window.SeparatorVisible());
  window.SetWindowState(WindowState::kStandard);
  const int standard = window.height();
  EXPECT_TRUE(window.SeparatorVisible());
  window.SetWindowState(WindowState::kWithRestrictions);
  EXPECT_LT(compact, standard);
  EXPECT_LT(standard, window.height());
  window.SetWindowState(WindowState::kCompact);
  for (QWidget* hidden : std::vector<QWidget*>{window.fitBox(0), window.valueLabel(0),
                                               window.button(2), window.limitsFrame()})
    EXPECT_FALSE(hidden->isVisible());
  window.button(0)->setEnabled(true);
  window.button(0)->setFocus();
  for (int i = 0; i < 6; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == window.button(0) || focus == window.button(1)) << i;
  }
}

TEST_F(QtWindow, AFixedWindowWithoutMaximizeWhoseCaptionsFit) {
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  for (const double points : {9.0, 16.0}) {
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    window.setFont(font);
    window.SetWindowState(WindowState::kWithRestrictions);
    for (QWidget* widget : window.findChildren<QAbstractButton*>()) {  // 3 buttons, 4 boxes
      EXPECT_GE(widget->width(), widget->sizeHint().width()) << points;
      EXPECT_LE(widget->mapTo(&window, QPoint(widget->width(), 0)).x(), window.width()) << points;
    }
    EXPECT_LE(window.fitBox(0)->geometry().right(), window.valueLabel(0)->geometry().left())
        << points;
  }
}

TEST_F(QtWindow, PlacedTopRightOrWhereItWasLeft) {
  window.show();
  const QRect available = window.screen()->availableGeometry();
  window.PlaceAt(WindowPos{40, 50});
  EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(40, 50));
  EXPECT_EQ(window.Position(), (WindowPos{40, 50}));
  window.PlaceAt(WindowPos{available.right() + 500, 50});  // a screen that is gone
  EXPECT_EQ(window.frameGeometry().topRight(), available.topRight());
}

// A parameter without an initial number cannot be held fixed; the
// function keys work without modifiers only.
TEST_F(QtWindow, ThePassFillsTheWindowAndItsBoxesAndKeysReachTheController) {
  // The file dialog is the platform's: the workbook is opened as in the office.
  ASSERT_TRUE(app.OpenWorkbook(state.UserHome + "Data.xls", false));
  state.DataFile = true;
  controller.Activated();
  EXPECT_EQ(window.windowTitle(), "Data: Sheet1");
  EXPECT_EQ(window.ParameterLabel(2), "    0.00");
  state.xlSheet->SetCell(10, 5, CellContent::Text("?"));  // E10: no value to hold A at
  ASSERT_TRUE(window.fitBox(1)->isChecked());
  QTest::mouseClick(window.fitBox(1), Qt::LeftButton);
  EXPECT_TRUE(window.fitBox(1)->isChecked());
  QTest::mouseClick(window.fitBox(0), Qt::LeftButton);  // one with its number toggles
  EXPECT_FALSE(window.fitBox(0)->isChecked());

  QTest::mouseClick(window.button(2), Qt::LeftButton);
  QTest::keyClick(&window, Qt::Key_F2, Qt::ShiftModifier);
  EXPECT_FALSE(fs::exists(state.HomeDir + "data.txt"));
  QTest::keyClick(&window, Qt::Key_F2);
  EXPECT_TRUE(fs::exists(state.HomeDir + "data.txt"));
}

class QuietTableWindow : public TableWindow {
 public:
  using TableWindow::TableWindow;
  std::vector<std::string> boxes;
  std::string reportFile;  // what the user chooses for the report
  std::string suggested;
  std::vector<TextTable> comparisons;

 protected:
  void ShowBox(QMessageBox::Icon, const QString& text) override {
    boxes.push_back(text.toStdString());
  }
  std::string AskReportFile(const std::string& offered) override {
    suggested = offered;
    return reportFile;
  }
  void ShowComparison(const TextTable& table) override { comparisons.push_back(table); }
};

class TableWindowTest : public testing_support::TempFolderTest {
 protected:
  TableWindowTest() {
    PkTableInput input;
    input.title = view.title = PkTableTitle("NaCl");
    input.par = {-1.2, 0.5f, -100.0f};
    view.lines = PkTableLines(input);
    DataSheet sheet;
    sheet.points = {{25, 1000, 0.9f, PointKind::kWeighted, 1, 0.5f}};
    view.plot = BuildPlotData(sheet, {-1.2, 0.55f, -120.0f}, false);
    table.Show(view);
    table.show();
  }
  void Trigger(const QString& text) {
    for (QAction* action : table.menu()->actions())
      if (action->text() == text) action->trigger();
  }
  std::string Clipboard() const { return QGuiApplication::clipboard()->text().toStdString(); }

  ScreenMeasures measures;
  HandlerGuard guard{[] {}, [](const std::string&) {}};
  QuietTableWindow table{measures, guard, nullptr};
  PkTableView view;
};

TEST_F(TableWindowTest, FitsTheScreenAndThePlotTakesTheRestAndIsSavedFromTheScreen) {
  for (const QRect& screen :
       {QRect(0, 0, 640, 500), QRect(0, 0, 500, 300), QRect(0, 0, 1280, 1000)}) {
    table.FitInto(screen);
    EXPECT_TRUE(screen.contains(table.frameGeometry())) << screen.width() << "x" << screen.height();
    EXPECT_EQ(table.tableArea()->height() + table.plotView()->height(), table.height());
    EXPECT_GE(table.plotView()->height(), 150);
  }
  const int before = table.plotView()->height();
  table.resize(table.width() + 100, table.height() + 200);
  EXPECT_EQ(table.plotView()->height(), before + 200);
  EXPECT_EQ(table.plotView()->width(), table.width());
  ASSERT_TRUE(table.SavePlot(PathOf("plot.png")));
  EXPECT_GT(fs::file_size(PathOf("plot.png")), 1000u);
  EXPECT_TRUE(table.plotView()->isVisible());
  QTest::mouseClick(table.plotView(), Qt::LeftButton);  // once ended the program
}

TEST_F(TableWindowTest, CopiesTheTableAndTheExportsAndShowsTheCellsTips) {
  EXPECT_EQ(table.windowTitle().toStdString(), view.title);
  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), TableText(view.lines, false));
  QTest::keyClick(&table, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(Clipboard(), TableText(view.lines, true));
  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);  // does nothing
  EXPECT_EQ(Clipboard(), TableText(view.lines, true));

  for (int i = 1; i <= kTableRows; ++i)
    for (int j = 1; j <= kTableColumns; ++j)
      view.cellTips.push_back("tip " + std::to_string(i) + "," + std::to_string(j));
  view.thermoFun = {"{ \"symbol\": \"NaCl@\" }\n"};
  view.phreeqc = {"", "the complex 'NaCl+' (C2) has the charge 1"};
  view.grid = {"t_C\tP_bar\n", "", "a note"};
  table.Show(view);

  // Halfway into the second pressure column of the third temperature's line.
  const QLabel* line = table.row(3 + 3);
  const double advance = QFontMetricsF(table.font()).horizontalAdvance(' ');
  const QPoint middle(line->x() + static_cast<int>(advance * (8 + 12 + 6)),
                      line->geometry().center().y());
  // As the toolkit delivers it: to the line's label under the pointer.
  QWidget* under = table.table()->childAt(middle);
  ASSERT_EQ(under, line);
  QHelpEvent help(QEvent::ToolTip, under->mapFrom(table.table(), middle),
                  table.table()->mapToGlobal(middle));
  QApplication::sendEvent(under, &help);
  EXPECT_EQ(QToolTip::text().toStdString(), "tip 3,2");
  EXPECT_EQ(table.CellTipAt(QPoint(line->x() + 2, middle.y())), "");  // the temperature
  EXPECT_EQ(table.CellTipAt(QPoint(middle.x(), table.row(2)->geometry().center().y())), "");

  Trigger("Copy as ThermoFun record");
  EXPECT_EQ(Clipboard(), view.thermoFun.text);
  EXPECT_TRUE(table.boxes.empty());
  Trigger("Copy as PHREEQC block");
  EXPECT_EQ(table.boxes, std::vector<std::string>{"Could not copy the fit: " + view.phreeqc.error});
  EXPECT_EQ(Clipboard(), view.thermoFun.text);
  Trigger("Copy as logK grid");
  EXPECT_EQ(Clipboard(), view.grid.text);
  EXPECT_EQ(table.boxes.back(), "Copied. Note: a note.");
}

TEST_F(TableWindowTest, TheMenuSavesTheReportOrSaysWhyNotAndComparesTheModels) {
  view.reportName = PathOf("nacl.html");
  std::string page = "<html>fit</html>";
  view.report = [&page] { return page.empty() ? ExportResult{"", "why"} : ExportResult{page}; };
  view.comparison = [] { return TextTable{{"model"}, {{"rb"}, {"density3"}}}; };
  table.Show(view);
  table.reportFile = view.reportName;
  Trigger("Save report\u2026");
  EXPECT_EQ(table.suggested, view.reportName);
  EXPECT_EQ(Read(view.reportName), page);
  table.reportFile = PathOf("none/nacl.html");  // no such folder
  Trigger("Save report\u2026");
  ASSERT_EQ(table.boxes.size(), 1u);
  EXPECT_EQ(table.boxes[0].rfind("Could not save the report\n", 0), 0u) << table.boxes[0];
  page.clear();
  Trigger("Save report\u2026");
  EXPECT_EQ(table.boxes.back(), "Could not make the report: why");
  Trigger("Compare models\u2026");
  EXPECT_EQ(table.comparisons.size(), 1u);
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
