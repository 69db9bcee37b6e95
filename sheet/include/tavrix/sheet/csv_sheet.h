#pragma once

#include <string>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix {

// A data sheet saved as CSV by a spreadsheet: line 1 is sheet row 1, field
// 1 is column A, ',' between fields, '.' as the decimal point. An unquoted
// field that reads as a number becomes a number, anything else a text; a
// quoted field stays text. Throws HostError when the file cannot be read.
MemoryGrid LoadCsvSheet(const std::string& path, bool decimalComma);

// Writes the grid back in the same layout (numbers with '.', texts quoted
// where they would otherwise read differently), through a temporary file
// beside it that then replaces the file, so that a failed save leaves the
// old file whole. Formats and colours are not kept. Throws HostError.
void SaveCsvSheet(const MemoryGrid& grid, const std::string& path);

}  // namespace tavrix
