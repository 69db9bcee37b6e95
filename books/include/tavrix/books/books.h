#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/sheet/csv_sheet.h"

namespace tavrix {

class OfficeSession;
class OfficeWorkbook;

// One data sheet opened from its file, and what its pass found: a CSV file
// held in memory, or a worksheet of a workbook in LibreOffice.
struct Book {
  Book();
  ~Book();
  std::string path;
  std::string sheetName;          // the worksheet asked for; "" for the active one
  int sheetCount = 1;             // the worksheets of its file, once opened
  std::optional<char> separator;  // of a CSV file, when not found in the file
  bool ignoreLock = false;        // save even while another office has the file open
  CsvSheet grid;
  std::unique_ptr<OfficeWorkbook> workbook;
  SheetHost* host = nullptr;
  ReadSettings settings;
  SheetPassResult pass;
  const DataSheet& data() const { return pass.read.sheet; }
  // Runs the pass over the opened sheet into `pass`.
  void Pass() { pass = PassOverSheet(*host, settings); }
};

// The worksheets of an opened book, in their order: a CSV file's one.
std::vector<std::string> SheetNamesOf(Book& book);
// Turns an opened book to another of its worksheets (its pass is then
// still to be run). Throws HostError when there is no such worksheet.
void SelectSheet(Book& book, const std::string& name);

// True for a path whose extension is .csv, .tsv or .txt (in any case): a
// CSV file, read without the office.
bool IsCsvFile(const std::string& path);

// A path that names no file to read: nothing is there, or a folder.
class NoSuchFile : public HostError {
 public:
  NoSuchFile(const std::string& message, bool folder) : HostError(message), folder_(folder) {}
  bool folder() const { return folder_; }

 private:
  bool folder_;
};

// Opens books, all workbooks in one private LibreOffice (started when the
// first one needs it, ended with this). Not for use from several threads
// at once.
class Books {
 public:
  // `ignoreLock` names how the user lets a command save a file that
  // another office has open (a lock file beside it).
  explicit Books(std::string ignoreLock = "--ignore-lock");
  ~Books();
  Books(const Books&) = delete;
  Books& operator=(const Books&) = delete;

  // Opens the book's file and sets its host and settings (the decimal
  // separator is the process's, DetectDecimalComma; a CSV file keeps its
  // own notation, LoadCsvSheet). Read-only, unless the
  // caller will save the book, and then only when the user may write the
  // file and no other office has it open (unless the book says to ignore
  // that office's lock). Throws NoSuchFile, or HostError when the file
  // cannot be opened ("'x.csv' is read-only", "'x.ods' is open in
  // LibreOffice ...", a workbook in a build without the office, the
  // office's own failures).
  enum class Access { kRead, kWrite };
  void Open(Book& book, bool noLimits, Access access);

  // Saves the book over its file, atomically, in its own format. Throws
  // HostError; the file is then as it was.
  void Save(Book& book);

 private:
  std::string ignoreLock_;
  std::unique_ptr<OfficeSession> office_;
};

}  // namespace tavrix
