#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrix/sheet/csv_dialect.h"
#include "tavrix/sheet/memory_grid.h"

namespace tavrix {

// A data sheet kept in a CSV file: line 1 is sheet row 1, field 1 column
// A, fields apart as the file's dialect says. An unquoted field that reads
// as a number in the file's notation becomes a number, anything else a
// text; a quoted field stays text (except in a file that must quote its
// numbers: ',' between fields and a decimal comma). The sheet also keeps the file's own
// text, so that a save rewrites only the fields whose cells changed, in
// the file's dialect: every other byte (the notation of numbers, quotes,
// line ends, a byte-order mark, the rows below the point table) stays as
// it was.
class CsvSheet : public MemoryGrid {
 public:
  CsvSheet() = default;
  // A sheet with no file text behind it: every row is written anew, in the
  // dialect given.
  CsvSheet(const MemoryGrid& grid, CsvDialect dialect = {});  // NOLINT: a grid saves as CSV

  // The text of the file with the changed cells written in, as UTF-8 (the
  // save encodes it in the file's own encoding).
  std::string Text() const;
  const CsvDialect& dialect() const { return dialect_; }

 private:
  friend CsvSheet LoadCsvSheet(const std::string& path, bool decimalComma,
                               std::optional<char> separator);

  struct Line {
    std::vector<std::string> fields;  // as they stand in the file, quotes included
    std::vector<CellContent> read;    // what each field was read as
    std::string end;                  // "\n", "\r\n", "\r", or "" at the end of the file
  };
  std::string RenderLine(int row, const Line* line) const;

  CsvDialect dialect_;
  std::vector<Line> lines_;  // rows 1 .. lines_.size(), as read
  std::string rest_;         // the text below the last row read, never read
};

// Reads a CSV data sheet, up to the row that ends its point table (or the
// last row a data sheet can use); the rest of the file is kept unread.
// CellText shows numbers with a decimal comma exactly when `decimalComma`
// (the process's notation), whatever the file's.
//
// The dialect is found in the file. Its encoding: UTF-16 (little or big
// endian) after that byte-order mark, UTF-8 (with or without its mark)
// when the bytes are valid UTF-8, else Windows-1252. Its separator: the
// one among ',' ';' and tab that puts the data sheet's keyword "Complex:"
// in B2, unless `separator` gives it. Its decimal mark: the one most
// numbers of the point table carry, or when they do not tell, those of
// the parameter rows (unquoted numbers first, as a quoted one may be a
// text); else a comma exactly when `decimalComma`.
//
// Throws HostError when the file cannot be read, when no separator puts
// "Complex:" in B2, and when its text is no CSV, naming the line ("x.csv:
// line 23: unterminated quoted field").
CsvSheet LoadCsvSheet(const std::string& path, bool decimalComma,
                      std::optional<char> separator = std::nullopt);

// Saves the sheet over the file in one step (ReplaceFile), in its dialect.
// Throws HostError, also when its text holds a character the file's
// encoding cannot write; the file is then as it was.
void SaveCsvSheet(const CsvSheet& sheet, const std::string& path);

}  // namespace tavrix
