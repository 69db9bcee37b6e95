#pragma once

#include <string>
#include <vector>

#include "tavrix/model/rb_model.h"
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

// A point at t (C) and P (bar; 0: the saturation pressure, as on the sheet)
// whose pK is the model's there, moved by `shift`.
TypedPoint ModelPoint(const RBPar& par, float t, float P, const std::string& weight = "1",
                      double shift = 0);

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

// A sheet with three points, from 25 to 250 C, that fix pK(298) and A (B
// held at 0): both marked for the fit without a value.
inline SheetContents Fittable() {
  SheetContents contents;
  contents.reference[0] = "?";
  contents.reference[1] = "?";
  contents.reference[2] = "0";
  contents.points = {
      {"25", "1", "", "1", "1"}, {"100", "1000", "", "1", "0.8"}, {"250", "1000", "", "1", "0.5"}};
  return contents;
}

// The same points, with pK(298) and A marked for the fit by their
// uncertainty cells, from initial values 1 and 2.
inline SheetContents ThreePoints() {
  SheetContents contents = Fittable();
  contents.reference[0] = "1";
  contents.reference[1] = "2";
  contents.uncertainty[0] = "1";
  contents.uncertainty[1] = "1";
  return contents;
}

// Sets a cell as a user types it: numbers become numbers, "" empties it.
void Type(MemoryGrid& grid, int row, int col, const std::string& text);

}  // namespace tavrix::testing_support
