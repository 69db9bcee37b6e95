// A worksheet host that makes one office call (or a few) per operation:
// the plain way, kept to compare the block reads and batched writes with.
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include "office_cells.h"
#include "tavrix/numeric/number_text.h"
#include "uno.h"

namespace tavrix {

using namespace uno;

namespace {

class UnbatchedSheet : public SheetHost {
 public:
  UnbatchedSheet(Reference<css::sheet::XSpreadsheet> sheet,
                 Reference<css::sheet::XSpreadsheetDocument> document)
      : sheet_(std::move(sheet)),
        document_(std::move(document)),
        decimalComma_(DetectDecimalComma()) {}

  std::string CellText(int row, int col) override {
    return Guarded([&] {
      const auto cell = Cell(row, col);
      css::table::CellContentType type = cell->getType();
      if (type == css::table::CellContentType_FORMULA) {
        sal_Int32 result = 0;
        Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)
            ->getPropertyValue("FormulaResultType2") >>= result;
        type = result == css::sheet::FormulaResult::VALUE ? css::table::CellContentType_VALUE
                                                          : css::table::CellContentType_TEXT;
      }
      if (type == css::table::CellContentType_EMPTY) return std::string();
      if (type == css::table::CellContentType_VALUE)
        return GeneralText(cell->getValue(), decimalComma_);
      return ToStd(Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->getString());
    });
  }

  void SetCell(int row, int col, const CellContent& value) override {
    Guarded([&] {
      if (value.IsNumber()) {
        Cell(row, col)->setValue(value.number());
      } else if (value.IsEmpty() || value.text().empty()) {
        ClearContents(SheetRange(sheet_, row, col, row, col));
      } else {
        Reference<css::text::XTextRange>(Cell(row, col), UNO_QUERY_THROW)
            ->setString(ToOUString(value.text()));
      }
    });
  }

  void SetNumberFormat(const CellRange& r, const std::string& format) override {
    Guarded([&] {
      SetRangeProperty(SheetRange(sheet_, r.top, r.left, r.bottom, r.right), "NumberFormat",
                       css::uno::Any(NumberFormatKey(document_, format, keys_)));
    });
  }

  void ClearCells(const CellRange& r) override {
    Guarded([&] { ClearContents(SheetRange(sheet_, r.top, r.left, r.bottom, r.right)); });
  }

  void SetFontColor(const CellRange& r, int color) override {
    Guarded([&] {
      SetRangeProperty(SheetRange(sheet_, r.top, r.left, r.bottom, r.right), "CharColor",
                       css::uno::Any(SwapRedBlue(color)));
    });
  }

 private:
  Reference<css::table::XCell> Cell(int row, int col) {
    if (row < 1 || col < 1) throw HostError("no cell before A1");
    return Reference<css::table::XCellRange>(sheet_, UNO_QUERY_THROW)
        ->getCellByPosition(col - 1, row - 1);
  }

  Reference<css::sheet::XSpreadsheet> sheet_;
  Reference<css::sheet::XSpreadsheetDocument> document_;
  bool decimalComma_;
  std::map<std::string, sal_Int32> keys_;
};

}  // namespace

std::unique_ptr<SheetHost> OfficeWorkbook::UnbatchedSheet(const std::string& name) {
  OfficeSheet& batched = Sheet(name);
  batched.Flush();
  return std::make_unique<tavrix::UnbatchedSheet>(batched.impl().sheet, batched.impl().document);
}

}  // namespace tavrix
