#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrix/app/presenter.h"
#include "tavrix/app/problem.h"
#include "tavrix/app/settings.h"
#include "tavrix/app/view.h"
#include "tavrix/plot/plot_data.h"
#include "tavrix/sheet/spreadsheet_app.h"

namespace tavrix {

// What the main window offers the application logic beyond the engine's view.
class MainWindow : public View {
 public:
  virtual void SetCreateEnabled(bool enabled) = 0;  // "Create new data file"
  virtual bool CreateEnabled() const = 0;
  virtual void SetCredit(const std::string& text) = 0;
  virtual std::string ParameterLabel(int index) const = 0;
  // The platform's file dialog: the chosen folder (ending in "/") and file
  // name, or nothing when cancelled.
  struct Choice {
    std::string folder;
    std::string name;
  };
  virtual std::optional<Choice> ChooseFile(const std::string& title, const std::string& folder,
                                           const std::string& name) = 0;
  // Shows the pK table and the plot of the fit modally.
  virtual void ShowPkTable(const PkTableView& table) = 0;
  virtual void Close() = 0;
  // Where the window stands now, to be found there at the next start.
  virtual std::optional<WindowPos> Position() const = 0;
};

// The program's settings and flags.
struct AppState {
  std::string HomeDir;       // ends in "/"
  std::string WorkDir;       // ends in "/" or is empty
  std::string UserHome;      // the fall-back working folder, ends in "/"
  std::string ProgramDir;    // the program's folder, where the template is looked for first
  std::string TemplatePath;  // the template found at start-up, "" when none
  bool TemplateExists = false;
  bool Busy = false;
  bool DataFile = false;         // a data file was created or opened: activations read its sheet
  SheetHost* xlSheet = nullptr;  // the data sheet; none when the active sheet is no worksheet
  std::optional<WindowPos> WindowPosition;  // remembered in the settings file
};

inline constexpr char kTemplateName[] = "Tavrix.xls";
inline constexpr char kSettingsName[] = "Tavrix.ini";

// Key codes and shift states of the key handler.
inline constexpr int kKeyF2 = 113;
inline constexpr int kKeyF9 = 120;

// The main window's logic: start-up and shut-down, the commands, the keys
// and the activation handlers, on a spreadsheet application and a window.
class MainController {
 public:
  MainController(Problem& problem, AppState& state, SpreadsheetApp& app, MainWindow& window);

  // Start-up once the spreadsheet is reached: settings, working folder,
  // command line, credit. False when the program must close.
  bool StartUp(const std::string& commandLine);
  // Shut-down: the settings file is written.
  void ShutDown();

  void CreateNewDataFile();     // Button 0
  void OpenExistingDataFile();  // Button 1
  void OptimizeClicked();       // Button 2
  void FitBoxClicked(int index);
  // A key with its shift state (1 Shift, 2 Ctrl, 4 Alt).
  void KeyDown(int key, int shift);

  void Activated();
  void Deactivated();

  // A call to the spreadsheet application failed inside a handler: when the
  // application no longer answers, the program says so and closes; else
  // the failure is reported and the sheet is read again at the next
  // activation.
  void OfficeFailed();

  // The working folder is the home folder: warns and forgets it.
  bool CheckWorkDir();

 private:
  void PassOnActiveSheet();
  void RunSheetPass();
  void Collapse();
  void CloseForNoWorksheet();
  // Sends the program's pending writes to the sheet while event delivery is
  // off, so that they never count as the user's edits; then delivery
  // follows the window again (on while it is inactive).
  void FlushOwnWrites();
  bool ResultReady() const;

  Problem& problem_;
  AppState& state_;
  SpreadsheetApp& app_;
  MainWindow& window_;
  bool active_ = false;  // the window is the active one
};

}  // namespace tavrix
