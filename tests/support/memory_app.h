#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/sheet/memory_grid.h"
#include "tavrix/sheet/spreadsheet_app.h"

namespace tavrix::testing_support {

// Workbooks held in memory: the office of the controller's tests.
class MemoryApp : public SpreadsheetApp {
 public:
  struct Sheet {
    std::string name;
    std::unique_ptr<MemoryGrid> grid;  // none for a chart sheet
  };
  struct Workbook {
    std::string name;
    std::string id;  // the file's path; for a new workbook, one of its own
    std::vector<Sheet> sheets;
    int activeSheet = 0;
  };

  // A file that OpenWorkbook can open: a copy of `grid` opens each time.
  void AddFile(const std::string& path, MemoryGrid grid, const std::string& sheet = "Sheet1") {
    files_.insert_or_assign(path, std::make_pair(sheet, std::move(grid)));
  }
  // A user's edit of a cell: raises the change flag as the application would.
  void UserEdit(SheetHost* sheet, int row, int col, const CellContent& value);

  bool OpenWorkbook(const std::string& path, bool asTemplate) override;
  int WorkbookCount() override { return static_cast<int>(books_.size()); }
  std::string WorkbookName(int index) override { return Book(index).name; }
  void ActivateWorkbook(int index) override;
  void CloseWorkbook(int index) override;
  std::optional<std::string> ActiveWorkbookName() override {
    return active_ ? std::optional(Active().name) : std::nullopt;
  }
  std::string WorkbookId(int index) override { return Book(index).id; }
  std::optional<std::string> ActiveWorkbookId() override {
    return active_ ? std::optional(Active().id) : std::nullopt;
  }
  SheetHost* ActiveSheet() override { return active_ ? ActiveSheetOf().grid.get() : nullptr; }
  std::string ActiveSheetName() override { return ActiveSheetOf().name; }
  SheetHost* FirstWorksheet() override;
  void SetEventDelivery(bool on) override { events_ = on; }
  void WatchSheet(SheetHost* sheet) override { watched_ = sheet; }
  bool Changed() const override { return changed_; }
  void ClearChanged() override { changed_ = false; }
  void Quit() override { quitRequested = true; }

  bool quitRequested = false;
  std::vector<Workbook>& books() { return books_; }

 private:
  Workbook& Book(int index);
  Workbook& Active() { return Book(active_); }
  Sheet& ActiveSheetOf();  // of the active workbook; it has one

  std::map<std::string, std::pair<std::string, MemoryGrid>> files_;
  std::vector<Workbook> books_;
  int active_ = 0;  // 1-based; 0 when none
  int untitled_ = 0;
  bool events_ = true;
  bool changed_ = false;
  SheetHost* watched_ = nullptr;
};

}  // namespace tavrix::testing_support
