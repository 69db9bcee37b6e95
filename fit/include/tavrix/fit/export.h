#pragma once

#include <string>

#include "tavrix/datasheet/data_sheet.h"

namespace tavrix {

// The record that an export appends for a sheet's fit: complex, species,
// the parameters and the reference lines, each line ended by CR LF.
// `head` is lines 1 and 2, `body` the rest.
struct ExportRecord {
  std::string head;
  std::string body;
  std::string Text() const { return head + body; }
};

ExportRecord RecordOf(const DataSheet& sheet, const RBPar& fitted, bool decComma);

// How an append ended: the whole record written, or where it failed and
// the system's error number.
struct AppendResult {
  enum class Failure { kNone, kOpen, kWrite };
  Failure failure = Failure::kNone;
  int error = 0;
  explicit operator bool() const { return failure == Failure::kNone; }
};

// Appends the record to a file, which is made when missing.
AppendResult AppendRecord(const std::string& path, const ExportRecord& record);

// The program's home folder (for data.txt), ending in "/": TAVRIX_HOME when
// set; else the program's folder when it is writable; else
// $XDG_DATA_HOME/tavrix (default ~/.local/share/tavrix), made when missing.
// The program's folder is the executable's, or the one given ("" for none:
// the Python module gives the folder of the tavrix program it finds).
std::string HomeDir();
std::string HomeDir(const std::string& programFolder);

}  // namespace tavrix
