#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <algorithm>
#include <filesystem>

#include "office_app.h"
#include "tavrix/sheet/file_replace.h"
#include "uno.h"

namespace tavrix {

using namespace uno;
namespace fs = std::filesystem;

namespace {

// The export filter that writes a file of this extension.
std::string FilterFor(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".ods") return "calc8";
  if (extension == ".xlsx") return "Calc MS Excel 2007 XML";
  if (extension == ".xls") return "MS Excel 97";
  if (extension == ".fods") return "OpenDocument Spreadsheet Flat XML";
  if (extension == ".csv") return "Text - txt - csv (StarCalc)";
  throw HostError("no known spreadsheet format for " + path);
}

}  // namespace

OfficeWorkbook::OfficeWorkbook(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

OfficeWorkbook::~OfficeWorkbook() {
  impl_->sheets.clear();
  try {
    Reference<css::util::XCloseable>(impl_->document, UNO_QUERY_THROW)->close(true);
  } catch (...) {  // a document of an office that is gone is closed as well
  }
}

std::string OfficeWorkbook::Name() const {
  return fs::path(impl_->path).filename().string();
}

std::vector<std::string> OfficeWorkbook::SheetNames() {
  return Guarded([&] {
    std::vector<std::string> names;
    const auto sheets =
        Reference<css::sheet::XSpreadsheetDocument>(impl_->document, UNO_QUERY_THROW)->getSheets();
    for (const OUString& name : sheets->getElementNames()) names.push_back(ToStd(name));
    return names;
  });
}

std::string OfficeWorkbook::ActiveSheetName() {
  return Guarded([&] {
    const Reference<css::container::XNamed> sheet(ActiveSheetOf(impl_->document), UNO_QUERY_THROW);
    return ToStd(sheet->getName());
  });
}

OfficeSheet& OfficeWorkbook::Sheet(const std::string& name) {
  const std::string wanted = name.empty() ? ActiveSheetName() : name;
  for (const auto& sheet : impl_->sheets) {
    if (sheet->name() == wanted) return *sheet;
  }
  return Guarded([&]() -> OfficeSheet& {
    const Reference<css::sheet::XSpreadsheetDocument> document(impl_->document, UNO_QUERY_THROW);
    const auto sheets = document->getSheets();
    if (!sheets->hasByName(ToOUString(wanted))) throw HostError("no sheet named '" + wanted + "'");
    Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(ToOUString(wanted)), UNO_QUERY);
    if (!sheet.is()) throw HostError("'" + wanted + "' is no worksheet");
    impl_->sheets.push_back(MakeOfficeSheet(sheet, document, wanted));
    return *impl_->sheets.back();
  });
}

void OfficeWorkbook::Save() {
  if (impl_->readOnly) throw HostError("'" + impl_->path + "' was opened read-only");
  const std::string filter = FilterFor(impl_->path);
  const auto whileSaving = [&](const auto& step) {
    try {
      step();
    } catch (const HostError& e) {
      throw HostError(e.what() + std::string(" while saving '") + impl_->path + "'");
    }
  };
  whileSaving([&] {
    for (const auto& sheet : impl_->sheets) sheet->Flush();
  });
  ReplaceFile(impl_->path, [&](const std::string& temporary) {
    whileSaving([&] {
      Guarded([&] {
        const Reference<css::frame::XStorable> storable(impl_->document, UNO_QUERY_THROW);
        storable->storeToURL(FileUrl(temporary),
                             Properties({{"FilterName", css::uno::Any(ToOUString(filter))},
                                         {"Overwrite", css::uno::Any(true)}}));
      });
    });
  });
}

}  // namespace tavrix
