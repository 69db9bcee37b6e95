#pragma once

#include <stdexcept>
#include <string>

#include "tavrix/numeric/cell_content.h"

namespace tavrix {

// A rectangle of cells, 1-based rows and columns (column 1 is A), corners
// included.
struct CellRange {
  int top;
  int left;
  int bottom;
  int right;
  static CellRange Cell(int row, int col) { return {row, col, row, col}; }
  static CellRange Row(int row, int firstCol, int lastCol) { return {row, firstCol, row, lastCol}; }
};

// Font colours as the program names them: blue-green-red values.
inline constexpr int kBlack = 0;
inline constexpr int kRed = 255;

// A failing host operation (the spreadsheet went away, a file could not be
// read). The data-sheet pass turns it into "Unexpected error".
class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The spreadsheet application gave no answer within the program's patience:
// the call was given up, and so is every later one.
class HostNotAnswering : public HostError {
 public:
  using HostError::HostError;
};

// The five operations through which the program reads and writes one
// worksheet, the data sheet.
class SheetHost {
 public:
  virtual ~SheetHost() = default;

  // The cell's value as text: "" for an empty cell, a text as it stands, a
  // number rendered from its stored value (GeneralText) with the system
  // decimal separator.
  virtual std::string CellText(int row, int col) = 0;

  // Stores a number or a text; an empty text empties the cell.
  virtual void SetCell(int row, int col, const CellContent& value) = 0;

  // Display format ("0.000", "0.00") of every cell in the range.
  virtual void SetNumberFormat(const CellRange& range, const std::string& format) = 0;

  // Empties the contents; formats stay.
  virtual void ClearCells(const CellRange& range) = 0;

  // Text colour of the cells: kBlack or kRed.
  virtual void SetFontColor(const CellRange& range, int color) = 0;
};

}  // namespace tavrix
