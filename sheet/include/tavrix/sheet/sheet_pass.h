#pragma once

#include <string>

#include "tavrix/sheet/problem.h"
#include "tavrix/sheet/sheet_host.h"
#include "tavrix/sheet/view.h"

namespace tavrix {

// The data-sheet pass. Reads the whole sheet in a fixed order into the
// problem, checking every keyword, empty cell and number, and rewrites the
// parameter cells in their canonical form. The first violation stops it:
// ErrCode and ErrText are set, the window collapses and a message names
// the cell. After a clean read it evaluates every point, forms the normal
// sums, writes the fit error of the initial values into E12 and refreshes
// the window (state, caption, fit boxes, optimize button, labels).
// bookName and sheetName identify the sheet in the caption.
void SheetPass(Problem& problem, SheetHost& sheet, View& view, const std::string& bookName,
               const std::string& sheetName);

// Ticks the fit box of every parameter whose initial value is no number.
void DefaultFitFlags(SheetHost& sheet, View& view, bool decComma);

// The optimize button is enabled when 0 < ticked boxes <= points.
void UpdateOptimizeButton(const Problem& problem, View& view);

// Shows each parameter's optimized, initial or reference value, the first
// that is a number, through its mask; else the reference cell's text.
void ShowParams(const Problem& problem, SheetHost& sheet, View& view);

// "Book: Sheet", without a trailing ".xls" (lower case only) on the book.
std::string WindowCaption(const std::string& bookName, const std::string& sheetName);

}  // namespace tavrix
