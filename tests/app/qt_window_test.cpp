// The Qt windows on the offscreen platform, with the in-memory workbooks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <filesystem>

#include "qt_main_window.h"
#include "support/data_sheet.h"
#include "support/temp_folder.h"
#include "table_window.h"
#include "tavrix/model/pk_table.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;

class QtWindow : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    std::filesystem::create_directories(dir_ / "home");
    std::filesystem::create_directories(dir_ / "user");
    Write("x", "user/Data.xls");
    state.HomeDir = PathOf("home") + "/";
    state.UserHome = PathOf("user") + "/";
    SheetContents contents;
    contents.reference[2] = "0";
    contents.uncertainty[0] = "1";
    contents.uncertainty[1] = "1";
    contents.points = {{"25", "1", "", "1", "1"}, {"100", "1000", "", "1", "0.8"}, {"250", "1000", "", "<", "0.5"}};
    std::vector<std::pair<std::string, MemoryGrid>> sheets;
    sheets.emplace_back("Sheet1", BuildSheet(contents));
    app.AddFile(state.UserHome + "Data.xls", std::move(sheets));
    window.SetController(&controller);
    window.RecordMessagesIn(&messages);
    ASSERT_TRUE(controller.StartUp(""));
  }
  void OpenData() {
    // The file dialog is the platform's; here the workbook is opened directly.
    ASSERT_TRUE(app.OpenWorkbook(state.UserHome + "Data.xls", false));
    state.xlSheet = app.ActiveSheet();
    problem.BookName = "Data.xls";
    controller.Activated();
  }

  ScreenMeasures measures;
  std::vector<std::string> messages;
  Problem problem;
  AppState state;
  MemoryApp app;
  QtMainWindow window{measures};
  MainController controller{problem, state, app, window};
};

TEST_F(QtWindow, StatesSetTheHeightAndTheSeparator) {
  EXPECT_EQ(window.OuterHeightTwips(), 1455);
  EXPECT_EQ(window.height(), 97);  // 15 twips per pixel, no frame offscreen
  EXPECT_FALSE(window.SeparatorVisible());
  window.SetWindowState(WindowState::kStandard);
  EXPECT_EQ(window.OuterHeightTwips(), 3105);
  EXPECT_TRUE(window.SeparatorVisible());
  window.SetWindowState(WindowState::kWithRestrictions);
  EXPECT_EQ(window.OuterHeightTwips(), 3900);
  EXPECT_EQ(window.width(), 208);
}

TEST_F(QtWindow, ThePassSetsCaptionStateAndLabels) {
  OpenData();
  EXPECT_EQ(window.windowTitle(), "Data: Sheet1");
  EXPECT_EQ(window.GetWindowState(), WindowState::kWithRestrictions);  // a "<" point
  EXPECT_TRUE(window.fitBox(0)->isChecked());
  EXPECT_FALSE(window.fitBox(2)->isChecked());
  EXPECT_EQ(window.ParameterLabel(2), "    0.00");
  EXPECT_TRUE(window.button(2)->isEnabled());
}

TEST_F(QtWindow, ClicksWhileBusyAreIgnored) {
  OpenData();
  state.Busy = true;
  QTest::mouseClick(window.button(2), Qt::LeftButton);
  EXPECT_EQ(state.xlSheet->CellText(9, 6), "");
  state.Busy = false;
  QTest::mouseClick(window.button(2), Qt::LeftButton);
  EXPECT_NE(state.xlSheet->CellText(9, 6), "");
}

TEST_F(QtWindow, FunctionKeysWithoutModifiersOnly) {
  OpenData();
  QTest::mouseClick(window.button(2), Qt::LeftButton);
  QTest::keyClick(&window, Qt::Key_F2, Qt::ShiftModifier);
  EXPECT_FALSE(std::filesystem::exists(state.HomeDir + "data.txt"));
  QTest::keyClick(&window, Qt::Key_F2);
  EXPECT_TRUE(std::filesystem::exists(state.HomeDir + "data.txt"));
}

TEST(TableWindow, CopiesTheTableInBothForms) {
  ScreenMeasures measures;
  TableWindow table(measures, nullptr);
  PkTableInput input;
  input.title = PkTableTitle("NaCl");
  input.par = {-1.2, 0.5f, -100.0f};
  const std::vector<std::string> lines = PkTableLines(input);
  table.Fill(input.title, lines);
  EXPECT_EQ(table.windowTitle().toStdString(), input.title);
  EXPECT_EQ(table.TableText(true), TableText(lines, true));
  EXPECT_EQ(table.TableText(false), TableText(lines, false));

  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), TableText(lines, false));
  QTest::keyClick(&table, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), TableText(lines, true));
  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);  // does nothing
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), TableText(lines, true));
  EXPECT_EQ(TableWindow::SetClipboardText("x"), 0);
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
