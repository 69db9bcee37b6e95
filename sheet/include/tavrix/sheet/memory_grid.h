#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

// One cell of the in-memory grid, with what the program may set on it.
struct GridCell {
  CellContent content;
  std::string numberFormat;      // "" until set
  std::optional<int> fontColor;  // unset until set
};

// A worksheet held in memory: cells with contents, number format and font
// colour. Numbers read back through CellText as a spreadsheet shows them.
class MemoryGrid : public SheetHost {
 public:
  explicit MemoryGrid(bool decimalComma = false) : decimalComma_(decimalComma) {}

  std::string CellText(int row, int col) override;
  void SetCell(int row, int col, const CellContent& value) override;
  void SetNumberFormat(const CellRange& range, const std::string& format) override;
  void ClearCells(const CellRange& range) override;
  void SetFontColor(const CellRange& range, int color) override;

  // Direct access, for loading, saving and inspection.
  const GridCell& At(int row, int col) const;
  void Put(int row, int col, CellContent value) { Cell(row, col).content = std::move(value); }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount(int row) const;  // up to the row's last cell ever touched

  bool decimalComma() const { return decimalComma_; }

 private:
  GridCell& Cell(int row, int col);
  template <typename F>
  void ForEach(const CellRange& range, F f);

  bool decimalComma_;
  std::vector<std::vector<GridCell>> rows_;  // rows_[row - 1][col - 1]
};

bool operator==(const GridCell& a, const GridCell& b);

}  // namespace tavrix
