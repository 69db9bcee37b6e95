#pragma once

#include <iosfwd>
#include <string>

#include "tavrix/sheet/memory_grid.h"
#include "tavrix/sheet/problem.h"
#include "tavrix/sheet/view.h"

namespace tavrix::cli {

// Exit codes of the workbook commands (besides kExitOk and kExitBadInput).
inline constexpr int kExitSheetError = 2;
inline constexpr int kExitNoSolution = 3;
inline constexpr int kExitNoResultShown = 4;

// One data sheet opened from the command line, with its problem and a
// window-less view, after one sheet pass.
struct Book {
  std::string path;
  MemoryGrid sheet;
  Problem problem;
  HeadlessView view;
};

// Where a command writes: stdout and stderr, and the book's name in front
// of every line when a call handles several books.
struct Output {
  std::ostream& out;
  std::ostream& err;
  std::string prefix;
};

// Opens the book and runs the sheet pass. On failure says why on err and
// returns the exit code; kExitOk when the pass was clean.
int OpenAndPass(Book& book, bool noLimits, const Output& output);

// Saves the book over its file (atomically). False, with a message, on failure.
bool SaveBook(const Book& book, const Output& output);

}  // namespace tavrix::cli
