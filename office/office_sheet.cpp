#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "office_cells.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"
#include "uno.h"

namespace tavrix {

using namespace uno;

namespace {

using Position = std::pair<int, int>;  // row, column (1-based)

// A rectangle of cells that share one key (a format, a colour, or the
// kind of write).
template <typename Key>
struct Block {
  int top, left, bottom, right;
  Key key;
};

// Covers the cells with as few rectangles as a row-by-row merge finds: runs
// of neighbours with equal keys in a row, stacked when the rows below
// repeat the same run.
template <typename Key>
std::vector<Block<Key>> Blocks(const std::map<Position, Key>& cells) {
  std::vector<Block<Key>> done;
  std::vector<Block<Key>> open;  // blocks that reach down to the previous row
  for (auto it = cells.begin(); it != cells.end();) {
    const int row = it->first.first;
    std::vector<Block<Key>> runs;
    while (it != cells.end() && it->first.first == row) {
      Block<Key> run{row, it->first.second, row, it->first.second, it->second};
      for (++it; it != cells.end() && it->first.first == row && it->first.second == run.right + 1 &&
                 it->second == run.key;
           ++it) {
        ++run.right;
      }
      runs.push_back(run);
    }
    std::vector<Block<Key>> next;
    std::vector<bool> extended(open.size(), false);
    for (const Block<Key>& run : runs) {
      bool merged = false;
      for (std::size_t o = 0; o < open.size() && !merged; ++o) {
        Block<Key>& block = open[o];
        if (!extended[o] && block.bottom == row - 1 && block.left == run.left &&
            block.right == run.right && block.key == run.key) {
          block.bottom = row;
          extended[o] = merged = true;
          next.push_back(block);
        }
      }
      if (!merged) next.push_back(run);
    }
    for (std::size_t o = 0; o < open.size(); ++o) {
      if (!extended[o]) done.push_back(open[o]);
    }
    open = std::move(next);
  }
  done.insert(done.end(), open.begin(), open.end());
  return done;
}

CellContent ContentOf(const css::uno::Any& value) {
  double number = 0;
  if (value >>= number) return CellContent::Number(number);
  OUString text;
  if ((value >>= text) && !text.isEmpty()) return CellContent::Text(ToStd(text));
  return CellContent();
}

}  // namespace

struct OfficeSheet::Impl::State {
  bool loaded = false;
  int rows = 0;  // of the block read
  int cols = 0;
  int usedRows = 0;  // of the used area
  int usedCols = 0;
  std::vector<CellContent> block;            // the used area, row by row
  std::map<Position, CellContent> written;   // the program's writes since the block read
  std::map<Position, CellContent> contents;  // pending contents
  std::map<Position, std::string> formats;   // pending number formats
  std::map<Position, int> colors;            // pending font colours
  std::map<std::string, sal_Int32> formatKeys;
};

OfficeSheet::Impl::Impl() : state(std::make_unique<State>()) {}
OfficeSheet::Impl::~Impl() = default;

namespace {

Reference<css::table::XCellRange> Range(const OfficeSheet::Impl& impl, int top, int left,
                                        int bottom, int right) {
  return SheetRange(impl.sheet, top, left, bottom, right);
}

// The cells of the range whose formula gives an error value ("#N/A",
// "#VALUE!", ...): what they show, which is what a reader of the sheet sees.
void ReadErrorCells(OfficeSheet::Impl& impl, const Reference<css::table::XCellRange>& range,
                    const std::function<void(int row, int col, CellContent)>& put) {
  const Reference<css::sheet::XSheetCellRanges> errors =
      Reference<css::sheet::XCellRangesQuery>(range, UNO_QUERY_THROW)
          ->queryFormulaCells(css::sheet::FormulaResult::ERROR);
  for (const auto& address : errors->getRangeAddresses()) {
    for (sal_Int32 r = address.StartRow; r <= address.EndRow; ++r) {
      for (sal_Int32 c = address.StartColumn; c <= address.EndColumn; ++c) {
        const Reference<css::text::XText> cell(impl.sheet->getCellByPosition(c, r),
                                               UNO_QUERY_THROW);
        put(r + 1, c + 1, CellContent::Text(ToStd(cell->getString())));
      }
    }
  }
}

// Reads the used area in one block, but no further than a data sheet can
// use (the rows of the most points there may be, the columns to H): a
// worksheet holding more is never read whole.
void LoadBlock(OfficeSheet::Impl& impl) {
  auto& s = *impl.state;
  const Reference<css::sheet::XSheetCellCursor> cursor = impl.sheet->createCursor();
  const Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
  used->gotoEndOfUsedArea(false);
  const auto end =
      Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
  s.usedRows = end.EndRow + 1;
  s.usedCols = end.EndColumn + 1;
  s.rows = std::min(s.usedRows, layout::kLastUsableRow);
  s.cols = std::min(s.usedCols, layout::kColH);
  const auto range = Range(impl, 1, 1, s.rows, s.cols);
  const auto array = Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();
  s.block.assign(static_cast<std::size_t>(s.rows) * static_cast<std::size_t>(s.cols),
                 CellContent());
  const auto put = [&](int row, int col, CellContent content) {
    s.block[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(s.cols) +
            static_cast<std::size_t>(col - 1)] = std::move(content);
  };
  for (sal_Int32 r = 0; r < array.getLength() && r < s.rows; ++r) {
    const auto& row = array[r];
    for (sal_Int32 c = 0; c < row.getLength() && c < s.cols; ++c)
      put(r + 1, c + 1, ContentOf(row[c]));
  }
  ReadErrorCells(impl, range, put);
  s.written.clear();
  s.loaded = true;
}

// One cell outside the block read, as the block would hold it.
CellContent ReadOneCell(OfficeSheet::Impl& impl, int row, int col) {
  const auto range = Range(impl, row, col, row, col);
  const auto array = Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->getDataArray();
  CellContent content = ContentOf(array[0][0]);
  ReadErrorCells(impl, range, [&](int, int, CellContent error) { content = std::move(error); });
  return content;
}

void FlushContents(OfficeSheet::Impl& impl) {
  auto& pending = impl.state->contents;
  std::map<Position, bool> kinds;  // true: empties the cell
  for (const auto& [position, content] : pending) kinds[position] = content.IsEmpty();
  for (const Block<bool>& b : Blocks(kinds)) {
    const auto range = Range(impl, b.top, b.left, b.bottom, b.right);
    if (b.key) {
      ClearContents(range);
      continue;
    }
    css::uno::Sequence<css::uno::Sequence<css::uno::Any>> array(b.bottom - b.top + 1);
    for (int r = b.top; r <= b.bottom; ++r) {
      css::uno::Sequence<css::uno::Any> row(b.right - b.left + 1);
      for (int c = b.left; c <= b.right; ++c) {
        const CellContent& content = pending.at({r, c});
        row.getArray()[c - b.left] = content.IsNumber() ? css::uno::Any(content.number())
                                                        : css::uno::Any(ToOUString(content.text()));
      }
      array.getArray()[r - b.top] = row;
    }
    Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->setDataArray(array);
  }
  pending.clear();
}

void FlushFormats(OfficeSheet::Impl& impl) {
  for (const auto& b : Blocks(impl.state->formats)) {
    SetRangeProperty(Range(impl, b.top, b.left, b.bottom, b.right), "NumberFormat",
                     css::uno::Any(NumberFormatKey(impl.document, b.key, impl.state->formatKeys)));
  }
  impl.state->formats.clear();
}

void FlushColors(OfficeSheet::Impl& impl) {
  for (const auto& b : Blocks(impl.state->colors)) {
    SetRangeProperty(Range(impl, b.top, b.left, b.bottom, b.right), "CharColor",
                     css::uno::Any(SwapRedBlue(b.key)));
  }
  impl.state->colors.clear();
}

template <typename F>
void ForEachCell(const CellRange& range, F f) {
  if (range.top < 1 || range.left < 1) throw HostError("no cell before A1");
  for (int row = range.top; row <= range.bottom; ++row) {
    for (int col = range.left; col <= range.right; ++col) f(Position{row, col});
  }
}

}  // namespace

std::unique_ptr<OfficeSheet> MakeOfficeSheet(Reference<css::sheet::XSpreadsheet> sheet,
                                             Reference<css::sheet::XSpreadsheetDocument> document,
                                             std::string name) {
  auto impl = std::make_unique<OfficeSheet::Impl>();
  impl->sheet = std::move(sheet);
  impl->document = std::move(document);
  impl->name = std::move(name);
  impl->decimalComma = DetectDecimalComma();
  return std::make_unique<OfficeSheet>(std::move(impl));
}

OfficeSheet::OfficeSheet(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
OfficeSheet::~OfficeSheet() = default;

const std::string& OfficeSheet::name() const {
  return impl_->name;
}

std::string OfficeSheet::CellText(int row, int col) {
  if (row < 1 || col < 1) throw HostError("no cell before A1");
  auto& s = *impl_->state;
  if (!s.loaded) {
    Flush();  // the block read then holds the program's own writes too
    Guarded([&] { LoadBlock(*impl_); });
  }
  const auto written = s.written.find({row, col});
  const CellContent* content = nullptr;
  CellContent outside;
  if (written != s.written.end()) {
    content = &written->second;
  } else if (row <= s.rows && col <= s.cols) {
    content = &s.block[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(s.cols) +
                       static_cast<std::size_t>(col - 1)];
  } else if (row <= s.usedRows && col <= s.usedCols) {
    outside = Guarded([&] { return ReadOneCell(*impl_, row, col); });
    content = &outside;
  }
  if (content == nullptr || content->IsEmpty()) return "";
  return content->IsNumber() ? GeneralText(content->number(), impl_->decimalComma)
                             : content->text();
}

void OfficeSheet::SetCell(int row, int col, const CellContent& value) {
  ForEachCell(CellRange::Cell(row, col), [&](Position p) {
    const bool empties = value.IsEmpty() || (value.IsText() && value.text().empty());
    impl_->state->contents[p] = impl_->state->written[p] = empties ? CellContent() : value;
  });
}

void OfficeSheet::SetNumberFormat(const CellRange& range, const std::string& format) {
  ForEachCell(range, [&](Position p) { impl_->state->formats[p] = format; });
}

void OfficeSheet::ClearCells(const CellRange& range) {
  ForEachCell(range, [&](Position p) {
    impl_->state->contents[p] = impl_->state->written[p] = CellContent();
  });
}

void OfficeSheet::SetFontColor(const CellRange& range, int color) {
  ForEachCell(range, [&](Position p) { impl_->state->colors[p] = color; });
}

void OfficeSheet::Flush() {
  Guarded([&] {
    FlushContents(*impl_);
    FlushFormats(*impl_);
    FlushColors(*impl_);
  });
}

std::string OfficeSheet::NumberFormatAt(int row, int col) {
  Flush();
  return Guarded([&] {
    sal_Int32 key = 0;
    Reference<css::beans::XPropertySet>(Range(*impl_, row, col, row, col), UNO_QUERY_THROW)
        ->getPropertyValue("NumberFormat") >>= key;
    const Reference<css::util::XNumberFormatsSupplier> supplier(impl_->document, UNO_QUERY_THROW);
    OUString code;
    supplier->getNumberFormats()->getByKey(key)->getPropertyValue("FormatString") >>= code;
    return ToStd(code);
  });
}

int OfficeSheet::FontColorAt(int row, int col) {
  Flush();
  return Guarded([&] {
    sal_Int32 rgb = 0;
    Reference<css::beans::XPropertySet>(Range(*impl_, row, col, row, col), UNO_QUERY_THROW)
        ->getPropertyValue("CharColor") >>= rgb;
    return SwapRedBlue(rgb);
  });
}

void OfficeSheet::Refresh() {
  Flush();
  impl_->state->loaded = false;
}

}  // namespace tavrix
