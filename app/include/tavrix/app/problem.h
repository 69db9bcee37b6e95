#pragma once

#include <string>

#include "tavrix/datasheet/evaluation.h"

namespace tavrix {

// The one problem the window works on: the settings it is read with and
// what the last pass over the data sheet found. The desktop program keeps
// it for its whole run and passes it to the presenter.
struct Problem {
  bool NoLimits = false;  // "/ie": lifts some range limits
  std::string BookName;   // the workbook and sheet the last pass read
  std::string BookId;     // which workbook that is (SpreadsheetApp::WorkbookId)
  std::string SheetName;
  bool DecComma = false;   // the system writes a decimal comma
  int ErrCode = kNoError;  // of the last pass
  DataSheet Sheet;         // of the last clean pass
  Evaluation Eval;         // of the last clean pass
  RBPar OptPar;            // the fit the sheet shows (F9:F11)
  int LastNPoints = 0;     // point count of the previous clean pass
};

}  // namespace tavrix
