#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/sheet/memory_grid.h"
#include "tavrix/sheet/problem.h"
#include "tavrix/sheet/sheet_host.h"
#include "tavrix/sheet/view.h"

namespace tavrix {

// The spreadsheet application around the data sheet: its workbooks, the
// active one, event delivery and the change notification of the watched
// sheet. Failing calls throw HostError.
class SpreadsheetApp {
 public:
  virtual ~SpreadsheetApp() = default;

  // Opens a workbook file; it becomes the active workbook. As a template, a
  // new unsaved workbook is made from the file, which stays untouched.
  // False when the application cannot open it.
  virtual bool OpenWorkbook(const std::string& path, bool asTemplate) = 0;

  virtual int WorkbookCount() = 0;
  virtual std::string WorkbookName(
      int index) = 0;  // 1-based: a file name or a new document's title
  virtual void ActivateWorkbook(int index) = 0;
  virtual void CloseWorkbook(int index) = 0;  // unsaved changes are dropped
  virtual std::optional<std::string> ActiveWorkbookName() = 0;  // none when no workbook is open
  // The active workbook cannot be written (opened read-only).
  virtual bool ActiveWorkbookReadOnly() { return false; }

  // The active sheet of the active workbook, when it is a worksheet.
  virtual SheetHost* ActiveSheet() = 0;
  virtual std::string ActiveSheetName() = 0;
  virtual SheetHost* FirstWorksheet() = 0;

  virtual void SetEventDelivery(bool on) = 0;
  // The sheet whose edits, while events are delivered, set the change flag.
  virtual void WatchSheet(SheetHost* sheet) = 0;
  virtual bool Changed() const = 0;
  virtual void ClearChanged() = 0;

  // Ends the application, unless it still holds a document of any kind.
  virtual void Quit() = 0;

  // Brings the program's view of the sheets in line with the application:
  // sends writes that wait and forgets cached reads. A host that neither
  // caches nor batches has nothing to do.
  virtual void Synchronize() {}
};

// The pass on the active sheet: records the workbook and sheet names,
// watches the sheet with a cleared change flag, then runs SheetPass.
// Failures of the application here are not the pass's: they throw.
void SheetPassOnActive(Problem& problem, SpreadsheetApp& app, SheetHost& sheet, View& view);

// Workbooks held in memory, for tests and for running the main window's
// logic without an office suite.
class MemoryApp : public SpreadsheetApp {
 public:
  struct Sheet {
    std::string name;
    std::unique_ptr<MemoryGrid> grid;  // none for a chart sheet
  };
  struct Workbook {
    std::string name;
    std::vector<Sheet> sheets;
    int activeSheet = 0;
  };

  // A file that OpenWorkbook can open: a copy of `content` opens each time.
  void AddFile(const std::string& path, std::vector<std::pair<std::string, MemoryGrid>> sheets);
  // A user's edit of a cell: raises the change flag as the application would.
  void UserEdit(SheetHost* sheet, int row, int col, const CellContent& value);

  bool OpenWorkbook(const std::string& path, bool asTemplate) override;
  int WorkbookCount() override { return static_cast<int>(books_.size()); }
  std::string WorkbookName(int index) override { return Book(index).name; }
  void ActivateWorkbook(int index) override;
  void CloseWorkbook(int index) override;
  std::optional<std::string> ActiveWorkbookName() override;
  SheetHost* ActiveSheet() override;
  std::string ActiveSheetName() override;
  SheetHost* FirstWorksheet() override;
  void SetEventDelivery(bool on) override { events_ = on; }
  void WatchSheet(SheetHost* sheet) override { watched_ = sheet; }
  bool Changed() const override { return changed_; }
  void ClearChanged() override { changed_ = false; }
  void Quit() override { quitRequested = true; }

  bool eventsDelivered() const { return events_; }
  bool quitRequested = false;
  std::vector<Workbook>& books() { return books_; }

 private:
  Workbook& Book(int index);
  Workbook& Active();

  std::map<std::string, std::vector<std::pair<std::string, MemoryGrid>>> files_;
  std::vector<Workbook> books_;
  int active_ = 0;  // 1-based; 0 when none
  int untitled_ = 0;
  bool events_ = true;
  bool changed_ = false;
  SheetHost* watched_ = nullptr;
};

}  // namespace tavrix
