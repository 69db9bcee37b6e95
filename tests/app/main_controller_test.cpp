#include "tavrix/app/main_controller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "support/data_sheet.h"
#include "support/memory_app.h"
#include "support/temp_folder.h"
#include "tavrix/app/handler_guard.h"
#include "tavrix/app/settings.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;
using testing_support::BuildSheet;
using testing_support::MemoryApp;
using testing_support::SheetContents;

// A window that keeps what it is told and answers dialogs from a script.
class TestWindow : public MainWindow {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string&) override {
    messages.push_back({text, icon});
  }
  void SetWindowState(WindowState s) override { state = s; }
  WindowState GetWindowState() const override { return state; }
  void SetCaption(const std::string& c) override { caption = c; }
  bool FitParameter(int i) const override { return fit[static_cast<std::size_t>(i)]; }
  void SetFitParameter(int i, bool f) override { fit[static_cast<std::size_t>(i)] = f; }
  bool LimitsActive() const override { return false; }
  void SetOptimizeEnabled(bool e) override { optimizeEnabled = e; }
  void SetParameterLabel(int i, const std::string& t) override {
    labels[static_cast<std::size_t>(i)] = t;
  }
  std::string ParameterLabel(int i) const override { return labels[static_cast<std::size_t>(i)]; }
  void ProcessPendingMessages() override {
    if (pending) pending();
  }
  void SetCreateEnabled(bool e) override { createEnabled = e; }
  bool CreateEnabled() const override { return createEnabled; }
  void SetCredit(const std::string& t) override { credit = t; }
  std::optional<Choice> ChooseFile(const std::string& title, const std::string& folder,
                                   const std::string& name) override {
    dialogs.push_back(title + "|" + folder + "|" + name);
    if (choices.empty()) return std::nullopt;
    const auto choice = choices.front();
    choices.erase(choices.begin());
    return choice;
  }
  void ShowPkTable(const PkTableView& view) override {
    tables.push_back(view.title + "\n" + view.lines.at(4));
    plots.push_back(view.plot);
  }
  void Close() override { closed = true; }
  std::optional<WindowPos> Position() const override { return position; }

  std::vector<std::pair<std::string, MessageIcon>> messages;
  WindowState state = WindowState::kCompact;
  std::string caption = "Tavrix";
  std::array<bool, 3> fit{};
  bool optimizeEnabled = true;
  std::array<std::string, 3> labels = {"pK", "A", "B"};
  bool createEnabled = false;
  std::string credit;
  std::vector<std::optional<Choice>> choices;
  std::vector<std::string> dialogs;
  std::vector<std::string> tables;
  std::vector<PlotData> plots;
  bool closed = false;
  std::optional<WindowPos> position;
  std::function<void()> pending;  // what comes in while a pass lets events through
};

// Workbooks in memory whose calls fail once told to: an office that stopped
// answering, one that is gone, and one that refuses a request but answers.
enum class Fault { kNone, kNotAnswering, kGone, kRefusing };
class FaultyApp : public MemoryApp {
 public:
  int WorkbookCount() override { return Fail(false), MemoryApp::WorkbookCount(); }
  std::optional<std::string> ActiveWorkbookName() override {
    return Fail(false), MemoryApp::ActiveWorkbookName();
  }
  std::string ActiveSheetName() override { return Fail(true), MemoryApp::ActiveSheetName(); }
  void WatchSheet(SheetHost* sheet) override { Fail(false), MemoryApp::WatchSheet(sheet); }
  void Fail(bool refusable) const {
    if (fault == Fault::kNotAnswering) throw HostNotAnswering("no answer");
    if (fault == Fault::kGone || (fault == Fault::kRefusing && refusable)) throw HostError("no");
  }
  Fault fault = Fault::kNone;
};

class Controller : public testing_support::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "user" / "data");
    state.HomeDir = PathOf("home") + "/";
    state.UserHome = PathOf("user") + "/";
    Write("x", "user/notes.txt");
    Write("x", "user/data/Data.xls");
    std::vector<std::pair<std::string, MemoryGrid>> sheets;
    sheets.emplace_back("Sheet1", BuildSheet(Fittable()));
    app.AddFile(state.UserHome + "data/Data.xls", std::move(sheets));
  }
  static SheetContents Fittable() {
    SheetContents contents;
    contents.reference[2] = "0";
    contents.uncertainty[0] = "1";
    contents.uncertainty[1] = "1";
    contents.points = {{"25", "1", "", "1", "1"},
                       {"100", "1000", "", "1", "0.8"},
                       {"250", "1000", "", "1", "0.5"}};
    return contents;
  }
  bool Start(const std::string& commandLine = "") { return controller.StartUp(commandLine); }
  void OpenData() {
    window.choices.push_back(MainWindow::Choice{state.UserHome + "data/", "Data.xls"});
    controller.OpenExistingDataFile();
  }

  Problem problem;
  AppState state;
  FaultyApp app;
  TestWindow window;
  MainController controller{problem, state, app, window};
};

TEST_F(Controller, StartUpFindsTheWorkingFolderOrFallsBackToTheUsersHome) {
  const std::string data = state.UserHome + "data/";
  for (const auto& [saved, found] : std::vector<std::pair<std::string, std::string>>{
           {data, data},
           {state.UserHome + "data", state.UserHome},
           {state.UserHome + "missing/", state.UserHome},
           {"", state.UserHome}}) {
    WriteSettings(state.HomeDir + "Tavrix.ini", saved, std::nullopt);
    state.WorkDir.clear();
    ASSERT_TRUE(Start("/ie"));
    EXPECT_EQ(state.WorkDir, found) << saved;
    EXPECT_EQ(fs::current_path().string() + "/", found) << saved;
  }
  EXPECT_TRUE(problem.NoLimits);
  EXPECT_EQ(window.credit, "Tavrix for Linux 10");
  EXPECT_FALSE(window.createEnabled);  // no template in the home folder
  EXPECT_EQ(window.state, WindowState::kCompact);
}

TEST_F(Controller, TheHomeFolderIsNoWorkingFolder) {
  Write("x", "home/Tavrix.xls");
  state.UserHome = state.HomeDir;
  EXPECT_FALSE(Start());
  EXPECT_EQ(window.messages.back().first, "Do not work in the home folder!  ");
  EXPECT_EQ(window.messages.back().second, MessageIcon::kWarning);
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(state.WorkDir, "");
  controller.ShutDown();
  EXPECT_EQ(Read(state.HomeDir + "Tavrix.ini"), "WorkDir=\r\n");
}

TEST_F(Controller, OpeningAFileRunsThePass) {
  ASSERT_TRUE(Start());
  controller.OpenExistingDataFile();  // cancelled, and no file before
  EXPECT_EQ(window.state, WindowState::kCompact);
  EXPECT_EQ(window.caption, "Tavrix");
  EXPECT_TRUE(window.messages.empty());
  OpenData();
  EXPECT_EQ(window.dialogs.back(), "Choose data file|" + state.UserHome + "|");
  EXPECT_EQ(problem.ErrCode, 0);
  EXPECT_EQ(window.caption, "Data: Sheet1");
  EXPECT_EQ(window.state, WindowState::kStandard);
  EXPECT_EQ(state.WorkDir, state.UserHome + "data/");

  // Choosing it again activates the open workbook.
  OpenData();
  EXPECT_EQ(app.WorkbookCount(), 1);
  // A cancelled dialog looks the name of the last pass up again.
  controller.OpenExistingDataFile();
  EXPECT_EQ(window.dialogs.back(), "Choose data file|" + state.UserHome + "data/|Data.xls");
  EXPECT_EQ(window.state, WindowState::kStandard);
}

TEST_F(Controller, ChoosingTheHomeFolderAsksAgain) {
  ASSERT_TRUE(Start());
  window.choices.push_back(MainWindow::Choice{state.HomeDir, "x.xls"});
  window.choices.push_back(MainWindow::Choice{state.UserHome + "data/", "Data.xls"});
  controller.OpenExistingDataFile();
  EXPECT_EQ(window.messages.front().first, "Do not work in the home folder!  ");
  EXPECT_EQ(window.dialogs.size(), 2u);
  EXPECT_EQ(window.dialogs.back(), "Choose data file||");
  EXPECT_EQ(problem.ErrCode, 0);
}

TEST_F(Controller, ActivationRunsThePassOnlyAfterAChange) {
  ASSERT_TRUE(Start());
  OpenData();
  const std::size_t shown = window.messages.size();
  controller.Deactivated();
  controller.Activated();
  controller.Activated();
  EXPECT_EQ(window.messages.size(), shown);  // nothing changed: no pass

  controller.Deactivated();
  app.UserEdit(state.xlSheet, 17, 5, CellContent::Number(0.4));
  controller.Activated();
  EXPECT_EQ(problem.Sheet.points[2].pK, 0.4f);
  // While the window is active the program's own writes raise nothing.
  app.UserEdit(state.xlSheet, 17, 5, CellContent::Number(0.3));
  EXPECT_FALSE(app.Changed());

  // While busy, neither an activation nor a click does anything.
  controller.Deactivated();
  app.UserEdit(state.xlSheet, 17, 5, CellContent::Number(0.2));
  state.Busy = true;
  controller.Activated();
  EXPECT_EQ(problem.Sheet.points[2].pK, 0.4f);
  controller.OptimizeClicked();
  EXPECT_EQ(state.xlSheet->CellText(9, 6), "");
}

TEST_F(Controller, NoWorkbookLeftClosesTheProgram) {
  ASSERT_TRUE(Start());
  OpenData();
  app.CloseWorkbook(1);
  controller.Activated();
  EXPECT_EQ(window.messages.back().first, "Tavrix closed: could not find an open worksheet ");
  EXPECT_TRUE(app.quitRequested);
  EXPECT_TRUE(window.closed);
}

TEST_F(Controller, AParameterWithoutAnInitialNumberCannotBeHeldFixed) {
  SheetContents contents = Fittable();
  contents.reference[0] = "?";  // the label shows "?"
  contents.initial[1] = "?";    // the label shows the optimized value, E holds none
  contents.optimized[1] = "0.5";
  std::vector<std::pair<std::string, MemoryGrid>> sheets;
  sheets.emplace_back("Sheet1", BuildSheet(contents));
  app.AddFile(state.UserHome + "data/Data.xls", std::move(sheets));
  ASSERT_TRUE(Start());
  OpenData();
  ASSERT_EQ(window.labels[0], "?");
  ASSERT_EQ(window.labels[1], "   0.500");
  for (int i = 0; i < 3; ++i) {
    window.fit[static_cast<std::size_t>(i)] = false;  // the box toggles before its handler runs
    controller.FitBoxClicked(i);
  }
  EXPECT_EQ(window.fit,
            (std::array<bool, 3>{true, true, false}));  // B's E is a number: it may be held
}

TEST_F(Controller, AFailedPassLeavesNothingToOptimize) {
  ASSERT_TRUE(Start());
  OpenData();
  controller.Deactivated();
  app.UserEdit(state.xlSheet, 18, 1, CellContent::Number(20));  // a fourth point, without its pK
  controller.Activated();
  ASSERT_NE(problem.ErrCode, 0);
  EXPECT_EQ(window.state, WindowState::kCompact);
  controller.OptimizeClicked();  // the points of the pass before are not the sheet's
  controller.KeyDown(kKeyF9, 0);
  EXPECT_EQ(state.xlSheet->CellText(9, 6), "");
  EXPECT_TRUE(window.tables.empty());
}

TEST_F(Controller, AFileThatIsNoWorkbookIsReportedAndNothingElseIsRead) {
  ASSERT_TRUE(Start());
  OpenData();
  window.messages.clear();
  window.choices.push_back(MainWindow::Choice{state.UserHome, "notes.txt"});
  controller.OpenExistingDataFile();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].first, "Could not open the file");
  EXPECT_EQ(window.state, WindowState::kCompact);
  EXPECT_EQ(window.caption, "Tavrix");
  controller.OptimizeClicked();
  EXPECT_EQ(state.xlSheet, nullptr);
}

TEST_F(Controller, ASheetThatIsNoWorksheetIsSaidOnceAndAWorksheetIsReadAgain) {
  ASSERT_TRUE(Start());
  OpenData();
  window.messages.clear();
  controller.Deactivated();
  app.books()[0].sheets.push_back({"Chart1", nullptr});
  app.books()[0].activeSheet = 1;
  controller.Activated();
  controller.Deactivated();
  controller.Activated();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].first, "Not a worksheet");
  EXPECT_EQ(window.state, WindowState::kCompact);
  controller.Deactivated();
  app.books()[0].activeSheet = 0;
  controller.Activated();
  EXPECT_EQ(window.state, WindowState::kStandard);
  EXPECT_EQ(window.caption, "Data: Sheet1");
}

TEST_F(Controller, FunctionKeysNeedAShownFitAndNoModifier) {
  ASSERT_TRUE(Start());
  OpenData();
  controller.KeyDown(kKeyF9, 0);
  EXPECT_TRUE(window.tables.empty());  // no fit shown yet
  controller.OptimizeClicked();
  controller.KeyDown(kKeyF9, 1);
  controller.KeyDown(kKeyF2, 2);
  EXPECT_TRUE(window.tables.empty());
  EXPECT_FALSE(fs::exists(state.HomeDir + "data.txt"));

  controller.KeyDown(kKeyF9, 0);
  ASSERT_EQ(window.tables.size(), 1u);
  EXPECT_EQ(window.plots[0].points.size(), 3u);
  controller.KeyDown(kKeyF2, 0);
  EXPECT_EQ(Read(state.HomeDir + "data.txt").substr(0, 15), "Complex: NaCl\r\n");

  window.state = WindowState::kCompact;
  controller.KeyDown(kKeyF9, 0);
  EXPECT_EQ(window.tables.size(), 1u);
}

TEST_F(Controller, TheTemplateMakesANewWorkbookAndDisablesItsButtonMeanwhile) {
  Write("x", "home/Tavrix.xls");
  std::vector<std::pair<std::string, MemoryGrid>> sheets;
  sheets.emplace_back("Data", BuildSheet(Fittable()));
  app.AddFile(state.HomeDir + "Tavrix.xls", std::move(sheets));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(window.createEnabled);
  controller.CreateNewDataFile();
  EXPECT_FALSE(window.createEnabled);
  EXPECT_EQ(problem.ErrCode, 0);
  EXPECT_EQ(window.caption, "Untitled 1: Data");
  controller.Activated();  // no workbook named Tavrix.xls is open
  EXPECT_TRUE(window.createEnabled);
}

TEST_F(Controller, TwoWorkbooksOfOneNameAreToldApartByTheirFolders) {
  // data/Data.xls, and other/Data.xls whose second point has another pK.
  SheetContents other = Fittable();
  other.points[1].pK = "0.7";
  std::vector<std::pair<std::string, MemoryGrid>> sheets;
  sheets.emplace_back("Sheet1", BuildSheet(other));
  app.AddFile(state.UserHome + "other/Data.xls", std::move(sheets));
  ASSERT_TRUE(Start());
  const auto openIn = [&](const std::string& folder) {
    window.choices.push_back(MainWindow::Choice{state.UserHome + folder, "Data.xls"});
    controller.OpenExistingDataFile();
  };
  const auto fitted = [&](int book) {
    return app.books()[static_cast<std::size_t>(book)].sheets[0].grid->CellText(9, 6) != "";
  };

  // Opened in the office, the other one comes in front: the pass and the
  // fit are its own.
  openIn("data/");
  ASSERT_TRUE(app.OpenWorkbook(state.UserHome + "other/Data.xls", false));
  controller.Deactivated();
  controller.Activated();
  EXPECT_EQ(window.caption, "Data (other): Sheet1");
  EXPECT_EQ(problem.Sheet.points[1].pK, 0.7f);
  controller.OptimizeClicked();
  EXPECT_FALSE(fitted(0));
  EXPECT_TRUE(fitted(1));

  // Choosing each by its folder brings that one, the other one open or not.
  openIn("data/");
  EXPECT_EQ(window.caption, "Data (data): Sheet1");
  EXPECT_EQ(problem.Sheet.points[1].pK, 0.8f);
  app.CloseWorkbook(2);
  openIn("other/");
  EXPECT_EQ(app.WorkbookCount(), 2);
  EXPECT_EQ(window.caption, "Data (other): Sheet1");
  EXPECT_EQ(problem.Sheet.points[1].pK, 0.7f);

  // The user closes the one Tavrix works on: the other one is read.
  controller.Deactivated();
  window.messages.clear();
  app.CloseWorkbook(2);
  controller.Activated();
  EXPECT_EQ(window.caption, "Data: Sheet1");
  EXPECT_EQ(problem.Sheet.points[1].pK, 0.8f);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(Controller, KeysThatComeDuringAPassAreIgnored) {
  ASSERT_TRUE(Start());
  OpenData();
  controller.OptimizeClicked();
  controller.Deactivated();
  app.UserEdit(state.xlSheet, 17, 5, CellContent::Number(0.4));
  window.pending = [&] {
    controller.KeyDown(kKeyF9, 0);
    controller.KeyDown(kKeyF2, 0);
  };
  controller.Activated();
  EXPECT_TRUE(window.tables.empty());
  EXPECT_FALSE(fs::exists(state.HomeDir + "data.txt"));
  window.pending = nullptr;
  controller.KeyDown(kKeyF9, 0);  // after the pass, as usual
  EXPECT_EQ(window.tables.size(), 1u);
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
  ASSERT_TRUE(Start());
  OpenData();
  window.messages.clear();
  app.fault = GetParam().fault;
  handlers.Run([&] { controller.Activated(); });
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].first.rfind(GetParam().message, 0), 0u) << window.messages[0].first;
  EXPECT_EQ(window.closed, GetParam().closes);
  EXPECT_EQ(app.quitRequested, GetParam().fault == Fault::kGone);  // one that hangs is not asked
  controller.ShutDown();
  EXPECT_TRUE(fs::exists(state.HomeDir + "Tavrix.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Offices, ControllerFault,
    testing::Values(
        FaultCase{"NotAnswering", Fault::kNotAnswering,
                  "LibreOffice does not answer; Tavrix is closing", true},
        FaultCase{"Gone", Fault::kGone, "Tavrix closed: could not find an open worksheet ", true},
        FaultCase{"Refusing", Fault::kRefusing,
                  "LibreOffice Calc did not carry out Tavrix's request on 'Data.xls'", false}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(Controller, ATemplateThatDoesNotOpenIsNamed) {
  Write("x", "home/Tavrix.xls");  // found, but not a workbook the application opens
  ASSERT_TRUE(Start());
  controller.CreateNewDataFile();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].first.rfind("Could not open the file\n", 0), 0u);
  EXPECT_NE(window.messages[0].first.find("'" + state.HomeDir + "Tavrix.xls'"), std::string::npos)
      << window.messages[0].first;
  EXPECT_EQ(window.state, WindowState::kCompact);
}

}  // namespace
}  // namespace tavrix
