#pragma once

#include <string>

namespace tavrix {

// How a CSV file writes its text. It is found when the file is read and
// kept with the sheet, so that a save writes the file as it was written:
// the same separator, decimal mark, encoding, byte-order mark and line
// ends.
struct CsvDialect {
  enum class Encoding { kUtf8, kUtf16Le, kUtf16Be, kWindows1252 };

  char separator = ',';       // ',', ';' or '\t'
  bool decimalComma = false;  // numbers are written "23,1"
  Encoding encoding = Encoding::kUtf8;
  bool byteOrderMark = false;  // the file begins with one (always with UTF-16)
  std::string newline = "\n";  // ends the rows the file did not have

  friend bool operator==(const CsvDialect&, const CsvDialect&) = default;
};

// The separators a data sheet may use, in the order they are tried.
inline constexpr char kCsvSeparators[] = {',', ';', '\t'};

// A separator as messages name it: "','", "';'", "tab".
std::string SeparatorName(char separator);

}  // namespace tavrix
