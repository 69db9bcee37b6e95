#include "array_sheet.h"

#include <cmath>

#include "tavrix/model/parameters.h"
#include "tavrix/sheet/layout.h"

namespace tavrix::python {
namespace {

using namespace layout;

CellContent Text(const std::string& text) {
  return text.empty() ? CellContent() : CellContent::Text(text);
}

CellContent Number(double x) {
  return std::isnan(x) ? CellContent() : CellContent::Number(x);
}

void PutRow(MemoryGrid& grid, int row, const std::vector<std::string>& texts) {
  for (std::size_t c = 0; c < texts.size(); ++c) {
    grid.Put(row, static_cast<int>(c) + 1, Text(texts[c]));
  }
}

}  // namespace

MemoryGrid ArraySheet(const ArraySheetInput& input) {
  MemoryGrid grid;
  PutRow(grid, kComplexRow, {"", "Complex:", input.complex});
  PutRow(grid, kComplexRow + 1, {"", "Coef.", "Basic species"});
  for (std::size_t i = 0; i < input.species.size(); ++i) {
    const int row = kFirstSpeciesRow + static_cast<int>(i);
    grid.Put(row, kColB, Number(input.species[i].first));
    grid.Put(row, kColC, Text(input.species[i].second));
  }
  PutRow(grid, kFirstParamRow - 1,
         {"Parameter", "", "Reference", "", "init.", "opt.", "\u00B1", "Comment"});
  for (int index = 0; index < kParameterCount; ++index) {
    const auto i = static_cast<std::size_t>(index);
    const int row = ParamRow(index);
    grid.Put(row, kColA, Text(kParameters[i].keyword));
    grid.Put(row, kColB, input.reference[i] ? CellContent::Number(*input.reference[i]) : Text("?"));
    if (input.initial[i]) grid.Put(row, kColE, CellContent::Number(*input.initial[i]));
  }
  PutRow(grid, kErrorRow, {"", "", "", "error:"});
  PutRow(grid, kErrorRow + 1, {"Experimental point", "", "", "", "pK"});
  PutRow(grid, kFirstPointRow - 1,
         {"T, C", "P, bar", "D, g/cm3", "weight", "exper.", "opt.", "error", "Comment"});
  for (std::size_t k = 0; k < input.t.size(); ++k) {
    const int row = PointRow(static_cast<int>(k) + 1);
    grid.Put(row, kColA, Number(input.t[k]));
    grid.Put(row, kColB, Number(input.pressure[k]));
    grid.Put(row, kColC, Number(input.density[k]));
    grid.Put(row, kColD, input.weight[k]);
    grid.Put(row, kColE, Number(input.pK[k]));
    grid.Put(row, kColH, Text(input.comment[k]));
  }
  return grid;
}

std::string ArgumentAt(int row, int col) {
  if (row == kComplexRow && col == kColC) return "complex";
  if (row >= kFirstSpeciesRow && row <= kLastSpeciesRow && (col == kColB || col == kColC)) {
    return "species[" + std::to_string(row - kFirstSpeciesRow) + "]";
  }
  if (row >= kFirstParamRow && row < kFirstParamRow + kParameterCount) {
    const char* name = kParameters[static_cast<std::size_t>(row - kFirstParamRow)].option;
    if (col == kColB) return std::string("reference.") + name;
    if (col == kColE) return std::string("initial.") + name;
  }
  if (row >= kFirstPointRow) {
    static const char* const kColumns[] = {"t", "p", "density", "weight", "pK"};
    if (col >= kColA && col <= kColE) {
      return std::string(kColumns[col - 1]) + "[" + std::to_string(row - kFirstPointRow) + "]";
    }
  }
  return "";
}

}  // namespace tavrix::python
