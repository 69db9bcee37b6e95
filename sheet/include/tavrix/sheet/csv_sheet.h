#pragma once

#include <string>
#include <vector>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix {

// A data sheet kept in a CSV file: line 1 is sheet row 1, field 1 column
// A, ',' between fields, '.' as the decimal point. An unquoted field that
// reads as a number becomes a number, anything else a text; a quoted field
// stays text. The sheet also keeps the file's own text, so that a save
// rewrites only the fields whose cells changed: every other byte (the
// notation of numbers, quotes, line ends, a byte-order mark, the rows
// below the point table) stays as it was.
class CsvSheet : public MemoryGrid {
 public:
  CsvSheet() = default;
  // A sheet with no file text behind it: every row is written anew.
  CsvSheet(const MemoryGrid& grid);  // NOLINT: a grid saves as a CSV sheet

  // The text of the file with the changed cells written in.
  std::string Text() const;

 private:
  friend CsvSheet LoadCsvSheet(const std::string& path, bool decimalComma);

  struct Line {
    std::vector<std::string> fields;  // as they stand in the file, quotes included
    std::vector<CellContent> read;    // what each field was read as
    std::string end;                  // "\n", "\r\n", "\r", or "" at the end of the file
  };
  std::string RenderLine(int row, const Line* line) const;

  std::string bom_;
  std::vector<Line> lines_;  // rows 1 .. lines_.size(), as read
  std::string rest_;         // the text below the last row read, never read
  std::string newline_ = "\n";
};

// Reads a CSV data sheet, up to the row that ends its point table (or the
// last row a data sheet can use); the rest of the file is kept unread.
// Throws HostError when the file cannot be read, and when its text is no
// CSV, naming the line ("x.csv: line 23: unterminated quoted field").
CsvSheet LoadCsvSheet(const std::string& path, bool decimalComma);

// Saves the sheet over the file in one step (ReplaceFile). Throws HostError.
void SaveCsvSheet(const CsvSheet& sheet, const std::string& path);

}  // namespace tavrix
