#pragma once

#include <string>
#include <vector>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix::testing_support {

// One point row as typed: t, P, D, weight, pK (and a comment).
struct TypedPoint {
  std::string t;
  std::string P;
  std::string D;
  std::string weight;
  std::string pK;
  std::string comment = "";
};

// A number as typed with nine significant digits ("%.9g").
std::string NumberText(double x);

// Text as a user types it into a cell: numbers become numbers.
CellContent Typed(const std::string& text);

// A valid data sheet: complex "NaCl" of 1 Na+ and 1 Cl-, parameters given
// by their reference (B), initial (E), optimized (F) and uncertainty (G)
// texts, and the points from row 15.
struct SheetContents {
  std::string complex = "NaCl";
  std::vector<std::pair<std::string, std::string>> species = {{"1", "Na+"}, {"1", "Cl-"}};
  std::string reference[3] = {"1", "2", "-300"};
  std::string initial[3] = {"", "", ""};
  std::string optimized[3] = {"", "", ""};
  std::string uncertainty[3] = {"", "", ""};
  std::vector<TypedPoint> points = {{"25", "1", "", "1", "-0.8"}, {"100", "0", "", "1", "-0.6"}};
};

MemoryGrid BuildSheet(const SheetContents& contents, bool decimalComma = false);

// Sets a cell as typed ("" empties it).
void Type(MemoryGrid& grid, int row, int col, const std::string& text);

}  // namespace tavrix::testing_support
