#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/sheet/csv_sheet.h"

namespace tavrix {
class OfficeSession;
class OfficeWorkbook;
}  // namespace tavrix

namespace tavrix::cli {

// Exit codes of the workbook commands (besides kExitOk and kExitBadInput).
inline constexpr int kExitSheetError = 2;
inline constexpr int kExitNoSolution = 3;
inline constexpr int kExitNoResultShown = 4;

// One data sheet opened from the command line, and what its pass found: a
// CSV file held in memory, or a worksheet of a workbook in LibreOffice.
struct Book {
  Book();
  ~Book();
  std::string path;
  std::string sheetName;  // the worksheet asked for; "" for the active one
  CsvSheet grid;
  std::unique_ptr<OfficeWorkbook> workbook;
  SheetHost* host = nullptr;
  ReadSettings settings;
  SheetPassResult pass;
  const DataSheet& data() const { return pass.read.sheet; }
};

// Where a command writes: stdout and stderr, and the book's name in front
// of every line when a call handles several books.
struct Output {
  std::ostream& out;
  std::ostream& err;
  std::string prefix;
};

// Opens books, all workbooks of one call in one LibreOffice session
// (started when the first one needs it, ended with this).
class Books {
 public:
  Books();
  ~Books();

  // Opens the book and runs the pass over it: read-only, unless the
  // command will save it, and then only when the user may write the file.
  // On failure says why on err and returns the exit code; kExitOk when the
  // pass was clean.
  enum class Access { kRead, kWrite };
  int OpenAndPass(Book& book, bool noLimits, Access access, const Output& output);

  // Saves the book over its file, atomically, in its own format. False,
  // with a message, on failure; the file is then as it was.
  bool Save(Book& book, const Output& output);

 private:
  std::unique_ptr<OfficeSession> office_;
};

}  // namespace tavrix::cli
