#pragma once

#include <iosfwd>
#include <string>

#include "tavrix/books/books.h"

namespace tavrix::cli {

// Exit codes of the workbook commands (besides kExitOk and kExitBadInput).
inline constexpr int kExitSheetError = 2;
inline constexpr int kExitNoSolution = 3;
inline constexpr int kExitNoResultShown = 4;

// Where a command writes: stdout and stderr, and the book's name in front
// of every line when a call handles several books.
struct Output {
  std::ostream& out;
  std::ostream& err;
  std::string prefix;
};

// Opens the book and runs the pass over it. On failure
// says why on err and returns the exit code; kExitOk when the pass was
// clean. Once a workbook of several sheets is open, every line names the
// sheet it read ("nacl.ods [Sheet2]: ").
int OpenAndPass(Books& books, Book& book, bool noLimits, Books::Access access, Output& output);

// The two halves of it: opening the book, and the pass over the sheet it
// is turned to, which sets the prefix that names the sheet.
int OpenBook(Books& books, Book& book, bool noLimits, Books::Access access, Output& output);
int PassSheet(Book& book, Output& output);
// Sets the prefix that names the sheet the book is turned to, in a
// workbook of several sheets.
void NameSheet(const Book& book, Output& output);

// Saves the book over its file. False, with a message, on failure; the
// file is then as it was.
bool Save(Books& books, Book& book, const Output& output);

}  // namespace tavrix::cli
