#pragma once

#include "tavrix/model/pk_table.h"

namespace tavrix::python {

// What Python's PkTable holds: the table's input and its cells.
struct PkTableObject {
  explicit PkTableObject(const PkTableInput& tableInput)
      : input(tableInput), cells(PkTableCellsOf(tableInput)) {}
  PkTableInput input;
  PkTableCells cells;
};

}  // namespace tavrix::python
