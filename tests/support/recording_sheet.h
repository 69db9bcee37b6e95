#pragma once

#include <set>
#include <utility>

#include "tavrix/sheet/sheet_host.h"

namespace tavrix::testing_support {

// A sheet host that passes every operation on to another and remembers
// the cells whose contents the program wrote.
class RecordingSheet : public SheetHost {
 public:
  explicit RecordingSheet(SheetHost& inner) : inner_(inner) {}

  std::string CellText(int row, int col) override { return inner_.CellText(row, col); }
  void SetCell(int row, int col, const CellContent& value) override {
    written_.insert({row, col});
    inner_.SetCell(row, col, value);
  }
  void SetNumberFormat(const CellRange& range, const std::string& format) override {
    inner_.SetNumberFormat(range, format);
  }
  void ClearCells(const CellRange& range) override {
    for (int row = range.top; row <= range.bottom; ++row) {
      for (int col = range.left; col <= range.right; ++col) written_.insert({row, col});
    }
    inner_.ClearCells(range);
  }
  void SetFontColor(const CellRange& range, int color) override {
    inner_.SetFontColor(range, color);
  }

  bool Wrote(int row, int col) const { return written_.count({row, col}) > 0; }

 private:
  SheetHost& inner_;
  std::set<std::pair<int, int>> written_;
};

}  // namespace tavrix::testing_support
