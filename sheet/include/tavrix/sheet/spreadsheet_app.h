#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrix/sheet/sheet_host.h"

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
  virtual void CloseWorkbook(int index) = 0;                    // unsaved changes are dropped
  virtual std::optional<std::string> ActiveWorkbookName() = 0;  // none when no workbook is open
  // Tells workbooks apart where their names do not: the full path of the
  // workbook's file, or for a new workbook that has none yet, a text of
  // its own (no path) that no other open workbook has.
  virtual std::string WorkbookId(int index) = 0;
  virtual std::optional<std::string> ActiveWorkbookId() = 0;  // none when no workbook is open
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

}  // namespace tavrix
