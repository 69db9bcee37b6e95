#include "book.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "commands.h"
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

namespace tavrix::cli {
namespace {

bool IsCsv(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".csv";
}

// A CSV file is a workbook of one sheet, named after the file.
void OpenCsv(Book& book) {
  const std::string stem = std::filesystem::path(book.path).stem().string();
  if (!book.sheetName.empty() && book.sheetName != stem) {
    throw HostError("a CSV file has one sheet, '" + stem + "'");
  }
  book.grid = LoadCsvSheet(book.path, book.settings.decComma);
  book.host = &book.grid;
  book.sheetName = stem;
}

}  // namespace

Book::Book() = default;
Book::~Book() = default;
Books::Books() = default;
Books::~Books() = default;

int Books::OpenAndPass(Book& book, bool noLimits, Access access, const Output& output) {
  std::error_code error;
  const auto status = std::filesystem::status(book.path, error);
  if (!std::filesystem::exists(status)) {
    output.err << output.prefix << "'" << book.path << "' does not exist\n";
    return kExitBadInput;
  }
  if (std::filesystem::is_directory(status)) {
    output.err << output.prefix << "'" << book.path << "' is a folder, not a data sheet\n";
    return kExitBadInput;
  }
  book.settings = {noLimits, DetectDecimalComma()};
  try {
    if (access == Access::kWrite) CheckWritable(book.path);
    if (IsCsv(book.path)) {
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
#else
      throw HostError("this build reads CSV data sheets only: " + book.path);
#endif
    }
  } catch (const HostError& e) {
    output.err << output.prefix << e.what() << "\n";
    return kExitBadInput;
  }

  book.pass = PassOverSheet(*book.host, book.settings);
  if (const auto& error = book.pass.read.error) {
    output.err << output.prefix << error->Message()
               << (error->detail.empty() ? "" : ": " + error->detail) << "\n";
    return kExitSheetError;
  }
  return kExitOk;
}

bool Books::Save(Book& book, const Output& output) {
  try {
#ifdef TAVRIX_WITH_OFFICE
    if (book.workbook) {
      book.workbook->Save();
      return true;
    }
#endif
    SaveCsvSheet(book.grid, book.path);
    return true;
  } catch (const HostError& e) {
    output.err << output.prefix << e.what() << "; the file is unchanged\n";
    return false;
  }
}

}  // namespace tavrix::cli
