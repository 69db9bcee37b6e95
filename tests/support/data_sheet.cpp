#include "support/data_sheet.h"

#include <cstdio>

#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::testing_support {

std::string NumberText(double x) {
  char text[40];
  std::snprintf(text, sizeof text, "%.9g", x);
  return text;
}

TypedPoint ModelPoint(const RBPar& par, float t, float P, const std::string& weight, double shift) {
  const float T = KelvinOf(t);
  const float rho = WaterDensity(T, P == 0 ? *SaturationPoint(T) : P);
  return {NumberText(t), NumberText(P), "", weight, NumberText(RBpK(par, T, rho) + shift)};
}

void Type(MemoryGrid& grid, int row, int col, const std::string& text) {
  if (text.empty()) return grid.Put(row, col, CellContent());
  if (IsNumericText(text, false))
    return grid.Put(row, col, CellContent::Number(*TextToDouble(text, false)));
  grid.Put(row, col, CellContent::Text(text));
}

MemoryGrid BuildSheet(const SheetContents& contents, bool decimalComma) {
  MemoryGrid grid(decimalComma);
  const auto row = [&](int r, std::vector<std::string> cells) {
    for (std::size_t c = 0; c < cells.size(); ++c) Type(grid, r, static_cast<int>(c) + 1, cells[c]);
  };
  row(1, {"Dissociation of NaCl"});
  row(2, {"", "Complex:", contents.complex});
  row(3, {"", "Coef.", "Basic species"});
  for (std::size_t i = 0; i < contents.species.size(); ++i) {
    row(4 + static_cast<int>(i), {"", contents.species[i].first, contents.species[i].second});
  }
  row(8, {"Parameter", "", "Reference", "", "init.", "opt.", "\u00B1", "Comment"});
  const char* names[3] = {"pK(298):", "A(zz/a):", "B(zz/a):"};
  for (int i = 0; i < 3; ++i) {
    row(9 + i, {names[i], contents.reference[i], "", "", contents.initial[i], contents.optimized[i],
                contents.uncertainty[i]});
  }
  row(12, {"", "", "", "error:"});
  row(13, {"Experimental point", "", "", "", "pK"});
  row(14, {"T, C", "P, bar", "D, g/cm3", "weight", "exper.", "opt.", "error", "Comment"});
  for (std::size_t k = 0; k < contents.points.size(); ++k) {
    const TypedPoint& p = contents.points[k];
    row(15 + static_cast<int>(k), {p.t, p.P, p.D, p.weight, p.pK, "", "", p.comment});
  }
  return grid;
}

}  // namespace tavrix::testing_support
