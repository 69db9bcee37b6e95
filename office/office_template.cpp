// Workbooks made from the template, and what their columns look like.
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>

#include "uno.h"

namespace tavrix {

using namespace uno;

namespace {

Reference<css::sheet::XSpreadsheet> SheetNamed(const Reference<css::lang::XComponent>& document,
                                               const std::string& name) {
  const auto sheets =
      Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY_THROW)->getSheets();
  if (!sheets->hasByName(ToOUString(name))) throw HostError("no sheet named '" + name + "'");
  return Reference<css::sheet::XSpreadsheet>(sheets->getByName(ToOUString(name)), UNO_QUERY_THROW);
}

}  // namespace

std::vector<int> OfficeWorkbook::ColumnWidths(const std::string& sheet, int columns) {
  return Guarded([&] {
    const Reference<css::table::XColumnRowRange> range(SheetNamed(impl_->document, sheet),
                                                       UNO_QUERY_THROW);
    const Reference<css::container::XIndexAccess> list(range->getColumns(), UNO_QUERY_THROW);
    std::vector<int> widths;
    for (int i = 0; i < columns; ++i) {
      sal_Int32 width = 0;
      Reference<css::beans::XPropertySet>(list->getByIndex(i), UNO_QUERY_THROW)
          ->getPropertyValue("Width") >>= width;
      widths.push_back(width);
    }
    return widths;
  });
}

void OfficeWorkbook::RenameSheet(const std::string& from, const std::string& to) {
  Guarded([&] {
    Reference<css::container::XNamed>(SheetNamed(impl_->document, from), UNO_QUERY_THROW)
        ->setName(ToOUString(to));
  });
}

}  // namespace tavrix
