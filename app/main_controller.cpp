#include "tavrix/app/main_controller.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "command_view.h"
#include "tavrix/app/presenter.h"
#include "tavrix/app/settings.h"
#include "tavrix/fit/export.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

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

// The two paths name the same file (through links too).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return a == b || (fs::equivalent(a, b, error) && !error);
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
    if (entered_ && !kept_) busy_ = false;
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  bool entered() const { return entered_; }
  // The program is closing: Busy stays set, so that nothing runs any more.
  void Keep() { kept_ = true; }

 private:
  bool& busy_;
  bool entered_;
  bool kept_ = false;
};

constexpr char kNoWorksheet[] = "Tavrix closed: could not find an open worksheet ";
constexpr char kNotAnswering[] = "LibreOffice does not answer; Tavrix is closing";
constexpr char kReadOnlyNote[] =
    "The workbook is open read-only, so Tavrix cannot write into it. Save an editable copy in "
    "LibreOffice Calc (File \u203A Save As) and open that copy.";

}  // namespace

MainController::MainController(Problem& problem, AppState& state, SpreadsheetApp& app,
                               MainWindow& window)
    : problem_(problem), state_(state), app_(app), window_(window) {}

bool MainController::StartUp(const std::string& commandLine) {
  state_.TemplatePath = FindTemplate(state_.ProgramDir, state_.HomeDir);
  state_.TemplateExists = !state_.TemplatePath.empty();
  window_.SetCreateEnabled(state_.TemplateExists);
  window_.SetWindowState(WindowState::kCompact);

  const Settings saved = ReadSettings(state_.HomeDir + kSettingsName);
  if (saved.workDir) state_.WorkDir = *saved.workDir;
  state_.WindowPosition = saved.position;
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
  return true;
}

void MainController::ShutDown() {
  // The settings first: the office may be gone, and its calls may fail.
  if (const auto position = window_.Position()) state_.WindowPosition = position;
  WriteSettings(state_.HomeDir + kSettingsName, state_.WorkDir, state_.WindowPosition);
  try {
    app_.WatchSheet(nullptr);
  } catch (const HostError&) {  // nothing left to stop watching
  }
}

bool MainController::CheckWorkDir() {
  if (Lower(state_.WorkDir) != Lower(state_.HomeDir)) return false;
  window_.ShowMessage("Do not work in the home folder!  ", MessageIcon::kWarning);
  state_.WorkDir.clear();
  return true;
}

void MainController::FlushOwnWrites() {
  app_.SetEventDelivery(false);
  app_.Synchronize();
  app_.SetEventDelivery(!active_);
}

void MainController::RunSheetPass() {
  app_.SetEventDelivery(false);
  app_.Synchronize();  // the user's edits in, before the pass reads
  const bool readOnly = app_.ActiveWorkbookReadOnly();
  CommandView view(
      window_, [this] { FlushOwnWrites(); }, readOnly ? kReadOnlyNote : "");
  SheetPassOnActive(problem_, app_, *state_.xlSheet, view);
  FlushOwnWrites();  // the pass's writes out
}

void MainController::PassOnActiveSheet() {
  state_.xlSheet = app_.ActiveSheet();
  if (state_.xlSheet) {
    RunSheetPass();
    return;
  }
  // Said once: the names are those of this sheet until another one is active.
  problem_.ErrCode = kUnexpectedError;
  problem_.BookName = app_.ActiveWorkbookName().value_or("");
  problem_.BookId = app_.ActiveWorkbookId().value_or("");
  problem_.SheetName = app_.ActiveSheetName();
  app_.WatchSheet(nullptr);
  Collapse();
  window_.ShowMessage("Not a worksheet", MessageIcon::kCritical);
}

void MainController::Collapse() {
  window_.SetCaption(kProgramName);
  window_.SetWindowState(WindowState::kCompact);
}

void MainController::CloseForNoWorksheet() {
  window_.ShowMessage(kNoWorksheet, MessageIcon::kWarning);
  try {
    app_.Quit();  // only an office left without any document ends
  } catch (const HostError&) {
  }
  window_.Close();
}

void MainController::OfficeFailed() {
  bool answers = false;
  try {
    app_.WorkbookCount();
    answers = true;
  } catch (const HostNotAnswering&) {
    state_.Busy = true;  // nothing runs any more: the window is going away
    window_.ShowMessage(kNotAnswering, MessageIcon::kWarning);
    window_.Close();
    return;
  } catch (const HostError&) {
  }
  if (!answers) {
    state_.Busy = true;  // nothing runs any more: the window is going away
    CloseForNoWorksheet();
    return;
  }
  problem_.ErrCode = kUnexpectedError;
  problem_.SheetName.clear();  // read the sheet again at the next activation
  Collapse();
  const std::string book =
      problem_.BookName.empty() ? "the workbook" : "'" + problem_.BookName + "'";
  window_.ShowMessage(
      "LibreOffice Calc did not carry out Tavrix's request on " + book +
          ". Check the workbook in Calc, then click this window to read the sheet again.",
      MessageIcon::kCritical);
}

void MainController::CreateNewDataFile() {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered()) return;
  problem_.BookName = kTemplateName;
  if (!app_.OpenWorkbook(state_.TemplatePath, true) || !(state_.xlSheet = app_.ActiveSheet())) {
    window_.ShowMessage("Could not open the file\nLibreOffice Calc could not open the template '" +
                            state_.TemplatePath +
                            "'. Put a Tavrix.xls that Calc opens in its place, or install "
                            "Tavrix again.",
                        MessageIcon::kCritical);
    Collapse();
    return;
  }
  state_.DataFile = true;
  window_.SetCreateEnabled(false);
  RunSheetPass();
}

void MainController::OpenExistingDataFile() {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered()) return;
  FlushOwnWrites();  // the dialog takes the activation away
  bool chosen = false;
  for (;;) {
    if (const auto choice =
            window_.ChooseFile("Choose data file", state_.WorkDir, problem_.BookName)) {
      state_.WorkDir = choice->folder;
      problem_.BookName = choice->name;
      chosen = true;
    }
    window_.ProcessPendingMessages();
    if (!CheckWorkDir()) break;
    problem_.BookName.clear();
  }

  if (!problem_.BookName.empty()) {
    // The chosen file, or (cancelled) the workbook of the last pass, when open.
    const std::string path = state_.WorkDir + problem_.BookName;
    const bool known = !chosen && !problem_.BookId.empty();
    bool found = false;
    for (int i = 1; i <= app_.WorkbookCount() && !found; ++i) {
      const std::string id = app_.WorkbookId(i);
      if (known ? id == problem_.BookId : SameFile(id, path)) {
        app_.ActivateWorkbook(i);
        found = true;
      }
    }
    state_.xlSheet = nullptr;
    if (found || app_.OpenWorkbook(state_.WorkDir + problem_.BookName, false)) {
      state_.xlSheet = app_.ActiveSheet();
      if (!state_.xlSheet) state_.xlSheet = app_.FirstWorksheet();
    }
    if (!state_.xlSheet) {
      window_.ShowMessage("Could not open the file", MessageIcon::kCritical);
      problem_.BookName.clear();
    }
  }
  if (problem_.BookName.empty()) {
    problem_.SheetName.clear();
    problem_.ErrCode = kUnexpectedError;
    state_.DataFile = false;
    Collapse();
    return;
  }
  state_.DataFile = true;
  RunSheetPass();
}

bool MainController::ResultReady() const {
  // The points of the last pass, and only when it succeeded.
  return state_.xlSheet && problem_.ErrCode == kNoError &&
         window_.GetWindowState() != WindowState::kCompact;
}

void MainController::OptimizeClicked() {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered() || !ResultReady()) return;
  app_.SetEventDelivery(false);
  CommandView view(window_, [this] { FlushOwnWrites(); });
  Optimize(problem_, *state_.xlSheet, view);
  ShowParams(problem_, *state_.xlSheet, view);
  FlushOwnWrites();
}

void MainController::FitBoxClicked(int index) {
  const BusyGuard guard(state_.Busy);
  if (!guard.entered()) return;
  if (state_.xlSheet) {
    // A parameter without a number to hold it at cannot be held fixed.
    const std::string initial = state_.xlSheet->CellText(layout::ParamRow(index), layout::kColE);
    if (!TextToDouble(initial, problem_.DecComma)) window_.SetFitParameter(index, true);
  }
  UpdateOptimizeButton(problem_, window_);
}

void MainController::KeyDown(int key, int shift) {
  const BusyGuard guard(state_.Busy);  // a key that comes during a pass is ignored
  if (!guard.entered() || shift != 0 || (key != kKeyF2 && key != kKeyF9) || !ResultReady()) return;
  app_.Synchronize();  // what the sheet shows now
  CommandView view(window_, [this] { FlushOwnWrites(); });
  if (!ResultIsShown(problem_, *state_.xlSheet, view)) return;
  FlushOwnWrites();
  if (key == kKeyF2) {
    ExportToDataTxt(problem_, window_, state_.HomeDir + "data.txt");
  } else {
    window_.ShowPkTable(BuildPkTableView(problem_, *state_.xlSheet));
  }
}

void MainController::Activated() {
  active_ = true;
  app_.SetEventDelivery(false);
  BusyGuard guard(state_.Busy);
  if (!guard.entered()) return;
  if (state_.DataFile) {
    std::optional<std::string> book;
    try {
      book = app_.ActiveWorkbookName();
    } catch (const HostNotAnswering&) {
      throw;  // not gone: it does not answer (OfficeFailed)
    } catch (const HostError&) {
    }
    if (!book) {
      guard.Keep();  // the window is going away
      CloseForNoWorksheet();
      return;
    }
    const bool bookChanged = app_.ActiveWorkbookId() != problem_.BookId;
    const bool sheetChanged = app_.ActiveSheetName() != problem_.SheetName;
    if (bookChanged || sheetChanged || app_.Changed()) PassOnActiveSheet();
  }
  if (!window_.CreateEnabled() && state_.TemplateExists) {
    bool templateOpen = false;
    for (int i = app_.WorkbookCount(); i >= 1 && !templateOpen; --i) {
      templateOpen = Lower(app_.WorkbookName(i)) == Lower(kTemplateName);
    }
    if (!templateOpen) window_.SetCreateEnabled(true);
  }
}

void MainController::Deactivated() {
  active_ = false;
  app_.SetEventDelivery(true);
  app_.ClearChanged();
}

}  // namespace tavrix
