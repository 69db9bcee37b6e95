#include "office_cells.h"

#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

namespace tavrix {

using namespace uno;

Reference<css::table::XCellRange> SheetRange(const Reference<css::sheet::XSpreadsheet>& sheet,
                                             int top, int left, int bottom, int right) {
  const Reference<css::table::XCellRange> cells(sheet, UNO_QUERY_THROW);
  return cells->getCellRangeByPosition(left - 1, top - 1, right - 1, bottom - 1);
}

sal_Int32 NumberFormatKey(const Reference<css::sheet::XSpreadsheetDocument>& document,
                          const std::string& format, std::map<std::string, sal_Int32>& keys) {
  const auto known = keys.find(format);
  if (known != keys.end()) return known->second;
  const Reference<css::util::XNumberFormatsSupplier> supplier(document, UNO_QUERY_THROW);
  const Reference<css::util::XNumberFormats> formats = supplier->getNumberFormats();
  const css::lang::Locale english("en", "US", "");
  sal_Int32 key = formats->queryKey(ToOUString(format), english, false);
  if (key == -1) key = formats->addNew(ToOUString(format), english);
  keys[format] = key;
  return key;
}

sal_Int32 SwapRedBlue(sal_Int32 color) {
  const sal_Int32 red = color & 0xFF;
  const sal_Int32 green = (color >> 8) & 0xFF;
  const sal_Int32 blue = (color >> 16) & 0xFF;
  return (red << 16) | (green << 8) | blue;
}

void ClearContents(const Reference<css::table::XCellRange>& range) {
  using namespace css::sheet::CellFlags;
  Reference<css::sheet::XSheetOperation>(range, UNO_QUERY_THROW)
      ->clearContents(VALUE | DATETIME | STRING | FORMULA);
}

void SetRangeProperty(const Reference<css::table::XCellRange>& range, const char* name,
                      const css::uno::Any& value) {
  Reference<css::beans::XPropertySet>(range, UNO_QUERY_THROW)
      ->setPropertyValue(OUString::createFromAscii(name), value);
}

}  // namespace tavrix
