#include "tavrix/app/main_controller.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "tavrix/app/settings.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/fit/optimize.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"
#include "tavrix/sheet/sheet_pass.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

// The credit line, as stored.
const std::string kCredit = Scramble("Tavrix for Linux ");

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The folder holds at least one ordinary file (and the name ends in "/").
bool HoldsFiles(const std::string& folder) {
  if (folder.empty() || folder.back() != '/') return false;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error)) return true;
  }
  return false;
}

// Runs a handler unless another one is running.
class BusyGuard {
 public:
  explicit BusyGuard(bool& busy) : busy_(busy), entered_(!busy) {
    if (entered_) busy_ = true;
  }
  ~BusyGuard() {
    if (entered_) busy_ = false;
  }
  bool entered() const { return entered_; }

 private:
  bool& busy_;
  bool entered_;
};

}  // namespace

MainController::MainController(Problem& problem, AppState& state, SpreadsheetApp& app,
                               MainWindow& window)
    : problem_(problem), state_(state), app_(app), window_(window) {}

bool MainController::StartUp(const std::string& commandLine) {
  state_.TemplateExists = fs::is_regular_file(state_.HomeDir + kTemplateName);
  window_.SetCreateEnabled(state_.TemplateExists);
  window_.SetWindowState(WindowState::kCompact);

  if (const auto saved = ReadWorkDirSetting(state_.HomeDir + kSettingsName)) state_.WorkDir = *saved;
  if (state_.WorkDir.empty()) state_.WorkDir = state_.UserHome;
  if (!HoldsFiles(state_.WorkDir)) state_.WorkDir = state_.UserHome;
  if (CheckWorkDir()) {
    window_.Close();
    return false;
  }
  std::error_code ignored;
  fs::current_path(state_.WorkDir, ignored);

  window_.SetCredit(Unscramble(kCredit) + "10");
  problem_.NoLimits = NoLimitsFromCommandLine(commandLine);
  problem_.ParFmt = {"####.###", "####.###", "#####.##"};
  return true;
}

void MainController::ShutDown() {
  app_.WatchSheet(nullptr);
  WriteWorkDirSetting(state_.HomeDir + kSettingsName, state_.WorkDir);
}

bool MainController::CheckWorkDir() {
  if (Lower(state_.WorkDir) != Lower(state_.HomeDir)) return false;
  window_.ShowMessage("Do not work in the home folder!  ", MessageIcon::kWarning);
  state_.WorkDir.clear();
  return true;
}

void MainController::RunSheetPass() {
  try {
    app_.Synchronize();  // the user's edits in, before the pass reads
    SheetPassOnActive(problem_, app_, *state_.xlSheet, window_);
    app_.Synchronize();  // the pass's writes out
  } catch (const HostError& e) {
    problem_.ErrCode = kUnexpectedError;
    Collapse();
    window_.ShowMessage(e.what(), MessageIcon::kNone);
  }
}

void MainController::Collapse() {
  window_.SetCaption(kProgramName);
  window_.SetWindowState(WindowState::kCompact);
}

void MainController::CreateNewDataFile() {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered()) return;
  problem_.BookName = kTemplateName;
  if (!app_.OpenWorkbook(state_.HomeDir + kTemplateName, true) || !(state_.xlSheet = app_.ActiveSheet())) {
    window_.ShowMessage("Could not open the file", MessageIcon::kCritical);
    Collapse();
    return;
  }
  window_.SetCreateEnabled(false);
  RunSheetPass();
}

void MainController::OpenExistingDataFile() {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered()) return;
  for (;;) {
    if (const auto choice = window_.ChooseFile("Choose data file", state_.WorkDir, problem_.BookName)) {
      state_.WorkDir = choice->folder;
      problem_.BookName = choice->name;
    }
    window_.ProcessPendingMessages();
    if (!CheckWorkDir()) break;
    problem_.BookName.clear();
  }

  if (!problem_.BookName.empty()) {
    bool found = false;
    const std::string wanted = Lower(problem_.BookName);
    for (int i = 1; i <= app_.WorkbookCount() && !found; ++i) {
      if (Lower(app_.WorkbookName(i)) == wanted) {
        app_.ActivateWorkbook(i);
        found = true;
      }
    }
    if (!found) app_.OpenWorkbook(state_.WorkDir + problem_.BookName, false);
    state_.xlSheet = app_.ActiveSheet();
    if (!state_.xlSheet) state_.xlSheet = app_.FirstWorksheet();
    if (!state_.xlSheet) {
      window_.ShowMessage("Could not open the file", MessageIcon::kCritical);
      problem_.BookName.clear();
    }
  }
  if (problem_.BookName.empty()) {
    problem_.SheetName.clear();
    Collapse();
    return;
  }
  RunSheetPass();
}

void MainController::OptimizeClicked() {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered() || !state_.xlSheet) return;
  try {
    Optimize(problem_, *state_.xlSheet, window_);
    ShowParams(problem_, *state_.xlSheet, window_);
    app_.Synchronize();
  } catch (const HostError& e) {
    window_.ShowMessage(e.what(), MessageIcon::kNone);
  }
}

void MainController::FitBoxClicked(int index) {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered()) return;
  if (state_.xlSheet && window_.ParameterLabel(index) == "?") {
    const std::string initial = state_.xlSheet->CellText(layout::ParamRow(index), layout::kColE);
    const bool number = initial.empty() || TextToDouble(initial, problem_.DecComma).has_value();
    if (!number) window_.SetFitParameter(index, true);  // no value to hold it at
  }
  UpdateOptimizeButton(problem_, window_);
}

void MainController::KeyDown(int key, int shift) {
  if (shift != 0 || !state_.xlSheet || (key != kKeyF2 && key != kKeyF9)) return;
  try {
    app_.Synchronize();  // what the sheet shows now
    if (!ResultIsShown(problem_, *state_.xlSheet, window_)) return;
  } catch (const HostError& e) {
    window_.ShowMessage(e.what(), MessageIcon::kNone);
    return;
  }
  if (key == kKeyF2) {
    ExportToDataTxt(problem_, *state_.xlSheet, window_, state_.HomeDir + "data.txt");
  } else {
    const std::vector<std::string> lines = BuildPkTable(problem_, *state_.xlSheet);
    window_.ShowPkTable(PkTableTitle(state_.xlSheet->CellText(layout::kComplexRow, layout::kColC)), lines,
                        BuildPlotData(problem_));
  }
}

void MainController::Activated() {
  if (state_.Busy) return;
  state_.Busy = true;
  app_.SetEventDelivery(false);
  if (state_.xlSheet) {
    std::optional<std::string> book;
    try {
      book = app_.ActiveWorkbookName();
    } catch (const HostError&) {
    }
    if (!book) {
      window_.ShowMessage("Tavrix closed: could not find an open worksheet ", MessageIcon::kWarning);
      try {
        app_.Quit();
      } catch (const HostError&) {
      }
      window_.Close();
      return;  // Busy stays set: the window is going away
    }
    const bool bookChanged = *book != problem_.BookName;
    bool sheetChanged = false;
    try {
      sheetChanged = app_.ActiveSheetName() != problem_.SheetName;
    } catch (const HostError& e) {
      window_.ShowMessage(e.what(), MessageIcon::kNone);
    }
    if (bookChanged || sheetChanged || app_.Changed()) {
      state_.xlSheet = app_.ActiveSheet();
      if (state_.xlSheet) {
        RunSheetPass();
      } else {
        Collapse();
      }
    }
  }
  if (!window_.CreateEnabled() && state_.TemplateExists) {
    bool templateOpen = false;
    for (int i = app_.WorkbookCount(); i >= 1 && !templateOpen; --i) {
      templateOpen = Lower(app_.WorkbookName(i)) == Lower(kTemplateName);
    }
    if (!templateOpen) window_.SetCreateEnabled(true);
  }
  state_.Busy = false;
}

void MainController::Deactivated() {
  app_.SetEventDelivery(true);
  app_.ClearChanged();
}

}  // namespace tavrix
