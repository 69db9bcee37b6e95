#pragma once

#include <string>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/model/parameters.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

// A pass over a sheet: the read, and after a clean one the evaluation of
// its points, with the fit error of the initial values written into E12.
struct SheetPassResult {
  SheetRead read;
  Evaluation evaluation;  // after a clean read
  double initialError = kMissing;
  bool clean() const { return !read.error; }
};

SheetPassResult PassOverSheet(SheetHost& host, const ReadSettings& settings);

// The parameters the sheet marks to fit: those with an uncertainty (column
// G) and those whose initial value (E) is no number, which cannot be held.
ParameterChoice MarkedForFit(SheetHost& host, bool decComma);

// What a sheet shows of a parameter: its optimized, initial or reference
// value, the first that is a number, through its mask (with the decimal
// comma the sheet shows); else the text of the reference cell.
std::string ShownParameter(SheetHost& host, int index, bool decComma);

}  // namespace tavrix
