#include "book.h"

#include <ostream>

#include "commands.h"

namespace tavrix::cli {

int OpenAndPass(Books& books, Book& book, bool noLimits, Books::Access access, Output& output) {
  const int code = OpenBook(books, book, noLimits, access, output);
  return code == kExitOk ? PassSheet(book, output) : code;
}

int OpenBook(Books& books, Book& book, bool noLimits, Books::Access access, Output& output) {
  try {
    books.Open(book, noLimits, access);
  } catch (const HostError& e) {
    output.err << output.prefix << e.what() << "\n";
    return kExitBadInput;
  }
  return kExitOk;
}

void NameSheet(const Book& book, Output& output) {
  if (book.sheetCount > 1) output.prefix = book.path + " [" + book.sheetName + "]: ";
}

int PassSheet(Book& book, Output& output) {
  NameSheet(book, output);
  book.Pass();
  if (const auto& error = book.pass.read.error) {
    output.err << output.prefix << error->Message()
               << (error->detail.empty() ? "" : ": " + error->detail) << "\n";
    return kExitSheetError;
  }
  return kExitOk;
}

bool Save(Books& books, Book& book, const Output& output) {
  try {
    books.Save(book);
    return true;
  } catch (const HostError& e) {
    output.err << output.prefix << e.what() << "; the file is unchanged\n";
    return false;
  }
}

}  // namespace tavrix::cli
