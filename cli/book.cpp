#include "book.h"

#include <filesystem>
#include <ostream>

#include "commands.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/csv_sheet.h"
#include "tavrix/sheet/sheet_pass.h"

namespace tavrix::cli {
namespace {

bool IsCsv(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".csv";
}

}  // namespace

int OpenAndPass(Book& book, bool noLimits, const Output& output) {
  if (!IsCsv(book.path)) {
    output.err << output.prefix << "only CSV data sheets (.csv) can be read: " << book.path << "\n";
    return kExitBadInput;
  }
  try {
    book.sheet = LoadCsvSheet(book.path, DetectDecimalComma());
  } catch (const HostError& e) {
    output.err << output.prefix << e.what() << "\n";
    return kExitBadInput;
  }

  // A CSV file is a workbook of one sheet, named after the file.
  const std::filesystem::path file(book.path);
  book.problem.NoLimits = noLimits;
  SheetPass(book.problem, book.sheet, book.view, file.filename().string(), file.stem().string());
  if (book.problem.ErrCode != kNoError) {
    output.err << output.prefix << book.view.messages.back().text << "\n";
    return kExitSheetError;
  }
  return kExitOk;
}

bool SaveBook(const Book& book, const Output& output) {
  try {
    SaveCsvSheet(book.sheet, book.path);
    return true;
  } catch (const HostError& e) {
    output.err << output.prefix << e.what() << "\n";
    return false;
  }
}

}  // namespace tavrix::cli
