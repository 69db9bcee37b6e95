#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix::python {

// A data sheet given as columns, as DataSheet.from_arrays takes it.
struct ArraySheetInput {
  std::string complex;
  std::vector<std::pair<double, std::string>> species;  // coefficient, name
  std::array<std::optional<double>, 3> reference;       // none: "?"
  std::array<std::optional<double>, 3> initial;         // none: empty
  // One entry per point; NaN leaves the cell empty.
  std::vector<double> t, pressure, density, pK;
  std::vector<CellContent> weight;  // a number, "<" or a text as typed
  std::vector<std::string> comment;
};

// The sheet as a user would type it: the keywords in their cells, numbers
// as numbers.
MemoryGrid ArraySheet(const ArraySheetInput& input);

// What from_arrays gave for a cell of such a sheet, for messages: "t[3]",
// "species[0]", "initial.A"; "" for the cells of the layout.
std::string ArgumentAt(int row, int col);

}  // namespace tavrix::python
