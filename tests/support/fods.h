#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix::testing_support {

// A worksheet of a flat-XML workbook: its cells (none for an empty sheet),
// and formulas in some of them ({row, col} from 1, in the office's syntax).
struct FodsSheet {
  std::string name;
  MemoryGrid grid = MemoryGrid();
  std::map<std::pair<int, int>, std::string> formulas = {};
};

// The workbook as flat XML (.fods), which the office opens as any
// workbook: the sheets in their order, eight columns of each.
std::string Fods(const std::vector<FodsSheet>& sheets);

}  // namespace tavrix::testing_support
