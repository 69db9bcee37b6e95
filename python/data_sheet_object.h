#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/sheet_pass.h"

namespace tavrix::python {

// What Python's DataSheet holds: a sheet that read cleanly, with the
// evaluation of its points and what the sheet says beyond the values.
struct SheetObject {
  DataSheet data;
  Evaluation evaluation;
  double initialError = kMissing;  // E12
  ReadSettings settings;
  ParameterChoice marked{};           // the parameters the sheet marks to fit
  std::vector<std::string> comments;  // column H of every point
  std::string path;                   // "" when made from arrays
  std::string sheetName;
  std::optional<char> separator;  // of a CSV file, as read_sheet was told
};

}  // namespace tavrix::python
