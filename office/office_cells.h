#pragma once

#include <com/sun/star/table/XCellRange.hpp>

#include <map>
#include <string>

#include "uno.h"

namespace tavrix {

// A range of a worksheet by 1-based corners.
uno::Reference<uno::css::table::XCellRange> SheetRange(
    const uno::Reference<uno::css::sheet::XSpreadsheet>& sheet, int top, int left, int bottom,
    int right);

// The document's number format key for a format code (en-US notation),
// added when missing; remembered in `keys`.
sal_Int32 NumberFormatKey(const uno::Reference<uno::css::sheet::XSpreadsheetDocument>& document,
                          const std::string& format, std::map<std::string, sal_Int32>& keys);

// The program's colours are blue-green-red values, the office's 0xRRGGBB;
// swapping red and blue converts either way.
sal_Int32 SwapRedBlue(sal_Int32 color);

// Empties contents and keeps formats and colours.
void ClearContents(const uno::Reference<uno::css::table::XCellRange>& range);

void SetRangeProperty(const uno::Reference<uno::css::table::XCellRange>& range, const char* name,
                      const uno::css::uno::Any& value);

}  // namespace tavrix
