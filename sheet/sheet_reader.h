#pragma once

#include <string>

#include "tavrix/sheet/problem.h"
#include "tavrix/sheet/sheet_host.h"
#include "tavrix/sheet/view.h"

namespace tavrix {

// Where the reader stopped: the error code and the cell read last.
struct ReadOutcome {
  int code;
  int row;
  int col;
  std::string detail;  // what the code alone does not say, or ""
};

// Reads the head and the point table into the problem (everything of the
// pass up to the end of the point table). Never throws: a failing host
// call, a conversion that fails or an overflow is kUnexpectedError.
ReadOutcome ReadSheet(Problem& problem, SheetHost& sheet, View& view);

}  // namespace tavrix
