#include "tavrix/app/main_controller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "support/data_sheet.h"
#include "support/headless_view.h"
#include "support/memory_app.h"
#include "support/temp_folder.h"
#include "tavrix/app/handler_guard.h"
#include "tavrix/app/settings.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;
using testing_support::BuildSheet;
using testing_support::ThreePoints;

// Workbooks in memory whose calls fail once told to (kNoWorkbook fails no
// call: its test closes every workbook) and whose active workbook may be
// read-only.
enum class Fault { kNone, kNotAnswering, kGone, kRefusing, kNoWorkbook };
class FaultyApp : public testing_support::MemoryApp {
 public:
  int WorkbookCount() override { return Fail(false), MemoryApp::WorkbookCount(); }
  std::optional<std::string> ActiveWorkbookName() override {
    return Fail(false), MemoryApp::ActiveWorkbookName();
  }
  std::string ActiveSheetName() override { return Fail(true), MemoryApp::ActiveSheetName(); }
  void WatchSheet(SheetHost* sheet) override { Fail(false), MemoryApp::WatchSheet(sheet); }
  bool ActiveWorkbookReadOnly() override { return readOnly; }
  void Fail(bool refusable) const {
    if (fault == Fault::kNotAnswering) throw HostNotAnswering("no answer");
    if (fault == Fault::kGone || (fault == Fault::kRefusing && refusable)) throw HostError("no");
  }
  Fault fault = Fault::kNone;
  bool readOnly = false;
};

class Controller : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "user" / "data");
    state.HomeDir = PathOf("home") + "/";
    state.UserHome = PathOf("user") + "/";
    Write("x", "user/data/Data.xls");
    app.AddFile(state.UserHome + "data/Data.xls", BuildSheet(ThreePoints()));
    ASSERT_TRUE(controller.StartUp(""));
  }
  void OpenData(const std::string& folder = "data/", const std::string& name = "Data.xls") {
    window.choices.push_back(MainWindow::Choice{state.UserHome + folder, name});
    controller.OpenExistingDataFile();
  }
  void Opened() {
    OpenData();
    window.messages.clear();
  }
  void ComeBack(const std::function<void()>& meanwhile = [] {}) {
    controller.Deactivated();
    meanwhile();
    controller.Activated();
  }
  void EditAndComeBack(int row, int col, double value) {
    ComeBack([&] { app.UserEdit(state.xlSheet, row, col, CellContent::Number(value)); });
  }
  std::string Message(std::size_t i = 0) const { return window.messages.at(i).text; }

  Problem problem;
  AppState state;
  FaultyApp app;
  testing_support::HeadlessView window;
  MainController controller{problem, state, app, window};
};

TEST_F(Controller, StartUpFindsTheWorkingFolderOrFallsBackToTheUsersHome) {
  const std::string data = state.UserHome + "data/";
  for (const auto& [saved, found] : std::vector<std::pair<std::string, std::string>>{
           {data, data},
           {state.UserHome + "data", state.UserHome},
           {state.UserHome + "missing/", state.UserHome}}) {
    WriteSettings(state.HomeDir + "Tavrix.ini", saved, std::nullopt);
    state.WorkDir.clear();
    ASSERT_TRUE(controller.StartUp("/ie"));
    EXPECT_EQ(fs::current_path().string() + "/", found) << saved;  // the working folder
  }
  EXPECT_TRUE(problem.NoLimits);
  EXPECT_EQ(window.credit, "Tavrix for Linux 10");
  EXPECT_FALSE(window.createEnabled);  // no template in the home folder
}

// Chosen in the dialog, the home folder is refused and the dialog asks
// again; as the user's home at start-up, it closes the program.
TEST_F(Controller, TheHomeFolderIsNoWorkingFolder) {
  window.choices.push_back(MainWindow::Choice{state.HomeDir, "x.xls"});
  OpenData();
  EXPECT_EQ(Message(), "Do not work in the home folder!  ");
  EXPECT_EQ(window.dialogs.back(), "Choose data file||");
  EXPECT_EQ(problem.ErrCode, 0);

  state.UserHome = state.HomeDir;
  state.WorkDir.clear();
  EXPECT_FALSE(controller.StartUp(""));
  EXPECT_EQ(window.messages.back().text, "Do not work in the home folder!  ");
  EXPECT_EQ(window.messages.back().icon, MessageIcon::kWarning);
  EXPECT_TRUE(window.closed);
  controller.ShutDown();
  EXPECT_EQ(Read(state.HomeDir + "Tavrix.ini"), "WorkDir=\r\n");
}

TEST_F(Controller, OpeningAFileRunsThePass) {
  controller.OpenExistingDataFile();  // cancelled, and no file before
  EXPECT_TRUE(window.messages.empty());
  OpenData();
  EXPECT_EQ(window.dialogs.back(), "Choose data file|" + state.UserHome + "|");
  EXPECT_EQ(window.caption, "Data: Sheet1");
  // A cancelled dialog looks the name of the last pass up again.
  controller.OpenExistingDataFile();
  EXPECT_EQ(window.dialogs.back(), "Choose data file|" + state.UserHome + "data/|Data.xls");
  EXPECT_EQ(window.state, WindowState::kStandard);
}

// Without a change and on the same sheet no pass runs: a chart sheet is
// said once.
TEST_F(Controller, ActivationRunsThePassAfterAnEditOrOnAnotherSheet) {
  Opened();
  EditAndComeBack(17, 5, 0.4);
  EXPECT_EQ(problem.Sheet.points[2].pK, 0.4f);
  // While the window is active the program's own writes raise nothing.
  app.UserEdit(state.xlSheet, 17, 5, CellContent::Number(0.3));
  EXPECT_FALSE(app.Changed());

  ComeBack([&] {
    app.books()[0].sheets.push_back({"Chart1", nullptr});
    app.books()[0].activeSheet = 1;
  });
  ComeBack();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(Message(), "Not a worksheet");
  EXPECT_EQ(window.state, WindowState::kCompact);
  ComeBack([&] { app.books()[0].activeSheet = 0; });
  EXPECT_EQ(window.caption, "Data: Sheet1");

  // While busy, neither an activation nor a click does anything.
  state.Busy = true;
  EditAndComeBack(17, 5, 0.2);
  EXPECT_EQ(problem.Sheet.points[2].pK, 0.3f);  // read back from the chart sheet
  controller.OptimizeClicked();
  EXPECT_EQ(state.xlSheet->CellText(9, 6), "");
}

// A file that is no workbook is said, and a failed pass says what to do in
// a read-only workbook; after either, or in the compact window, there is
// nothing to optimize.
TEST_F(Controller, AFailedPassOrFileLeavesNothingToOptimize) {
  Opened();
  OpenData("", "notes.txt");
  EXPECT_EQ(Message(), "Could not open the file");
  EXPECT_EQ(window.state, WindowState::kCompact);
  EXPECT_EQ(window.caption, "Tavrix");
  controller.OptimizeClicked();
  EXPECT_EQ(state.xlSheet, nullptr);

  Opened();
  window.state = WindowState::kCompact;  // as a template that did not open leaves it
  controller.OptimizeClicked();
  EXPECT_EQ(state.xlSheet->CellText(9, 6), "");
  app.readOnly = true;
  EditAndComeBack(18, 1, 20);  // a fourth point, without its pK
  ASSERT_NE(problem.ErrCode, 0);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_NE(Message().find("\nThe workbook is open read-only"), std::string::npos) << Message();
  controller.OptimizeClicked();  // the points of the pass before are not the sheet's
  controller.KeyDown(kKeyF9, 0);
  EXPECT_EQ(state.xlSheet->CellText(9, 6), "");
  EXPECT_TRUE(window.tables.empty());
}

TEST_F(Controller, FunctionKeysNeedAShownFitAndNoPass) {
  Opened();
  controller.KeyDown(kKeyF9, 0);
  EXPECT_TRUE(window.tables.empty());  // no fit shown yet
  controller.OptimizeClicked();
  window.pending = [&] { controller.KeyDown(kKeyF9, 0); };  // a key that comes during a pass
  EditAndComeBack(17, 5, 0.4);
  window.pending = nullptr;
  EXPECT_TRUE(window.tables.empty());

  controller.KeyDown(kKeyF9, 0);
  EXPECT_EQ(window.tables.size(), 1u);
}

TEST_F(Controller, TheTemplateMakesANewWorkbookOrIsNamedWhenItDoesNotOpen) {
  Write("x", "home/Tavrix.xls");
  ASSERT_TRUE(controller.StartUp(""));  // again, with the template
  EXPECT_TRUE(window.createEnabled);
  controller.CreateNewDataFile();  // found, but not a workbook the application opens
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(Message().rfind("Could not open the file\n", 0), 0u);
  EXPECT_NE(Message().find("'" + state.HomeDir + "Tavrix.xls'"), std::string::npos) << Message();

  app.AddFile(state.HomeDir + "Tavrix.xls", BuildSheet(ThreePoints()), "Data");
  controller.CreateNewDataFile();
  EXPECT_FALSE(window.createEnabled);
  EXPECT_EQ(window.caption, "Untitled 1: Data");
  controller.Activated();  // no workbook named Tavrix.xls is open
  EXPECT_TRUE(window.createEnabled);
}

TEST_F(Controller, TwoWorkbooksOfOneNameAreToldApartByTheirFolders) {
  auto other = ThreePoints();
  other.points[1].pK = "0.7";
  app.AddFile(state.UserHome + "other/Data.xls", BuildSheet(other));

  // Opened in the office, the other one comes in front: the pass and the
  // fit are its own.
  OpenData();
  ASSERT_TRUE(app.OpenWorkbook(state.UserHome + "other/Data.xls", false));
  ComeBack();
  EXPECT_EQ(window.caption, "Data (other): Sheet1");
  controller.OptimizeClicked();
  EXPECT_EQ(app.books()[0].sheets[0].grid->CellText(9, 6), "");
  EXPECT_NE(app.books()[1].sheets[0].grid->CellText(9, 6), "");

  // Choosing each by its folder brings that one, the other one open or not.
  OpenData();
  EXPECT_EQ(window.caption, "Data (data): Sheet1");
  app.CloseWorkbook(2);
  OpenData("other/");
  EXPECT_EQ(window.caption, "Data (other): Sheet1");

  // The user closes the one Tavrix works on: the other one is read.
  ComeBack([&] { app.CloseWorkbook(2); });
  EXPECT_EQ(window.caption, "Data: Sheet1");
  EXPECT_EQ(problem.Sheet.points[1].pK, 0.8f);
}

struct FaultCase {
  const char* name;
  Fault fault;
  std::string message;  // its beginning
  bool closes;
};
class ControllerFault : public Controller, public testing::WithParamInterface<FaultCase> {};

TEST_P(ControllerFault, IsSaidAndClosesTheProgramWithItsSettingsUnlessTheOfficeAnswers) {
  HandlerGuard handlers([&] { controller.OfficeFailed(); }, [](const std::string&) {});
  Opened();
  app.fault = GetParam().fault;
  if (app.fault == Fault::kNoWorkbook) app.CloseWorkbook(1);
  handlers.Run([&] { controller.Activated(); });
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(Message().rfind(GetParam().message, 0), 0u) << Message();
  EXPECT_EQ(window.closed, GetParam().closes);
  // One that hangs is not asked to quit.
  EXPECT_EQ(app.quitRequested, GetParam().closes && app.fault != Fault::kNotAnswering);
  controller.ShutDown();
  EXPECT_TRUE(fs::exists(state.HomeDir + "Tavrix.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Offices, ControllerFault,
    testing::Values(
        FaultCase{"NotAnswering", Fault::kNotAnswering,
                  "LibreOffice does not answer; Tavrix is closing", true},
        FaultCase{"Gone", Fault::kGone, "Tavrix closed: could not find an open worksheet ", true},
        FaultCase{"NoWorkbookLeft", Fault::kNoWorkbook,
                  "Tavrix closed: could not find an open worksheet ", true},
        FaultCase{"Refusing", Fault::kRefusing,
                  "LibreOffice Calc did not carry out Tavrix's request on 'Data.xls'", false}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavrix
