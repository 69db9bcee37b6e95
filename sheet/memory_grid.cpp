#include "tavrix/sheet/memory_grid.h"

#include <string>

#include "tavrix/numeric/number_text.h"

namespace tavrix {
namespace {

const GridCell kEmptyCell{};

void CheckPosition(int row, int col) {
  if (row < 1 || col < 1) {
    throw HostError("no cell at row " + std::to_string(row) + ", column " + std::to_string(col));
  }
}

}  // namespace

bool operator==(const GridCell& a, const GridCell& b) {
  return a.content == b.content && a.numberFormat == b.numberFormat && a.fontColor == b.fontColor;
}

const GridCell& MemoryGrid::At(int row, int col) const {
  if (row < 1 || col < 1 || row > RowCount()) return kEmptyCell;
  const auto& cells = rows_[static_cast<std::size_t>(row - 1)];
  return static_cast<std::size_t>(col) <= cells.size() ? cells[static_cast<std::size_t>(col - 1)]
                                                       : kEmptyCell;
}

int MemoryGrid::ColumnCount(int row) const {
  if (row < 1 || row > RowCount()) return 0;
  return static_cast<int>(rows_[static_cast<std::size_t>(row - 1)].size());
}

GridCell& MemoryGrid::Cell(int row, int col) {
  CheckPosition(row, col);
  if (static_cast<std::size_t>(row) > rows_.size()) rows_.resize(static_cast<std::size_t>(row));
  auto& cells = rows_[static_cast<std::size_t>(row - 1)];
  if (static_cast<std::size_t>(col) > cells.size()) cells.resize(static_cast<std::size_t>(col));
  return cells[static_cast<std::size_t>(col - 1)];
}

template <typename F>
void MemoryGrid::ForEach(const CellRange& range, F f) {
  CheckPosition(range.top, range.left);
  for (int row = range.top; row <= range.bottom; ++row) {
    for (int col = range.left; col <= range.right; ++col) f(Cell(row, col));
  }
}

std::string MemoryGrid::CellText(int row, int col) {
  CheckPosition(row, col);
  return ShownText(At(row, col).content, decimalComma_);
}

void MemoryGrid::SetCell(int row, int col, const CellContent& value) {
  const bool empties = value.IsText() && value.text().empty();
  Cell(row, col).content = empties ? CellContent() : value;
}

void MemoryGrid::SetNumberFormat(const CellRange& range, const std::string& format) {
  ForEach(range, [&](GridCell& cell) { cell.numberFormat = format; });
}

void MemoryGrid::ClearCells(const CellRange& range) {
  ForEach(range, [](GridCell& cell) { cell.content = CellContent(); });
}

void MemoryGrid::SetFontColor(const CellRange& range, int color) {
  ForEach(range, [&](GridCell& cell) { cell.fontColor = color; });
}

}  // namespace tavrix
