#include "tavrix/books/books.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "tavrix/books/office_lock.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/csv_sheet.h"
#include "tavrix/sheet/file_replace.h"
#ifdef TAVRIX_WITH_OFFICE
#include "tavrix/office/office_session.h"
#else
namespace tavrix {
// A build without the office host never makes these.
class OfficeSession {};
class OfficeWorkbook {};
}  // namespace tavrix
#endif

namespace tavrix {
namespace {

// A CSV file is a workbook of one sheet, named after the file.
void OpenCsv(Book& book) {
  const std::string stem = std::filesystem::path(book.path).stem().string();
  if (!book.sheetName.empty() && book.sheetName != stem) {
    throw HostError("a CSV file has one sheet, '" + stem + "'");
  }
  book.grid = LoadCsvSheet(book.path, book.settings.decComma, book.separator);
  book.host = &book.grid;
  book.sheetName = stem;
}

}  // namespace

bool IsCsvFile(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".csv" || extension == ".txt" || extension == ".tsv";
}

std::vector<std::string> SheetNamesOf(Book& book) {
#ifdef TAVRIX_WITH_OFFICE
  if (book.workbook) return book.workbook->SheetNames();
#endif
  return {book.sheetName};
}

void SelectSheet(Book& book, const std::string& name) {
#ifdef TAVRIX_WITH_OFFICE
  if (book.workbook) {
    book.host = &book.workbook->Sheet(name);
    book.sheetName = name;
    return;
  }
#endif
  if (name != book.sheetName) throw HostError("a CSV file has one sheet, '" + book.sheetName + "'");
}

Book::Book() = default;
Book::~Book() = default;
Books::Books(std::string ignoreLock) : ignoreLock_(std::move(ignoreLock)) {}
Books::~Books() = default;

void Books::Open(Book& book, bool noLimits, Access access) {
  std::error_code error;
  const auto status = std::filesystem::status(book.path, error);
  if (!std::filesystem::exists(status)) {
    throw NoSuchFile("'" + book.path + "' does not exist", false);
  }
  if (std::filesystem::is_directory(status)) {
    throw NoSuchFile("'" + book.path + "' is a folder, not a data sheet", true);
  }
  book.settings = {noLimits, DetectDecimalComma()};
  if (access == Access::kWrite) CheckWritable(book.path);
  if (access == Access::kWrite && !book.ignoreLock) RefuseIfOpenElsewhere(book.path, ignoreLock_);
  if (IsCsvFile(book.path)) {
    OpenCsv(book);
  } else {
#ifdef TAVRIX_WITH_OFFICE
    if (!office_) office_ = OfficeSession::StartPrivate();
    book.workbook =
        office_->Open(book.path, access == Access::kWrite ? OfficeSession::Access::kEdit
                                                          : OfficeSession::Access::kReadOnly);
    OfficeSheet& sheet = book.workbook->Sheet(book.sheetName);
    book.host = &sheet;
    book.sheetName = sheet.name();
    book.sheetCount = static_cast<int>(book.workbook->SheetNames().size());
#else
    throw HostError("this build reads CSV data sheets only: " + book.path);
#endif
  }
}

void Books::Save(Book& book) {
#ifdef TAVRIX_WITH_OFFICE
  if (book.workbook) {
    book.workbook->Save();
    return;
  }
#endif
  SaveCsvSheet(book.grid, book.path);
}

}  // namespace tavrix
