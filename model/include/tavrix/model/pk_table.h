#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tavrix/model/rb_model.h"

namespace tavrix {

// The table's grid: 11 temperatures (degrees C) by 5 pressures (bar; 0 is
// the saturation column).
inline constexpr int kTableRows = 11;
inline constexpr int kTableColumns = 5;
float TableTemperature(int i);  // i = 1 ... kTableRows
float TablePressure(int j);     // j = 1 ... kTableColumns

// "pK of dissociation of "<complex>"" from the text of the complex's cell.
std::string PkTableTitle(std::string_view complex);

// Width of a table in characters: the title's length or 12 per column + 8,
// whichever is larger.
int TableWidth(std::string_view title, int columns);

struct PkTableInput {
  std::string title;
  RBPar par;             // the optimized parameters
  SpeciesNames species;  // decides the range of confidence (ComplexIsCharged)
  bool noLimits = false;
  bool decComma = false;
};

// One cell of the table: the pK (single precision) it shows, or why it
// shows none. kOutsideRange is a pK outside the model's range of confidence
// (shown with a "?" after it); kNoSaturation a saturation column above the
// critical temperature ("---"); kGas water too thin for the model ("gas");
// kError no density, or a parameter undefined ("*error*").
struct PkTableCell {
  enum class Kind { kValue, kOutsideRange, kNoSaturation, kGas, kError };
  Kind kind = Kind::kError;
  float pK = 0;  // for kValue and kOutsideRange
};

// The cells of the table, [i - 1][j - 1] at TableTemperature(i) and
// TablePressure(j).
using PkTableCells = std::vector<std::vector<PkTableCell>>;
PkTableCells PkTableCellsOf(const PkTableInput& input);

// A cell as the table writes it, padded as in its column ("     -1.229 ",
// "      1.234?", "gas   ").
std::string PkTableCellText(const PkTableCell& cell, bool decComma);

// The 16 lines of the pK table (lines 1 and 15 empty): centered title, the
// spaced "Pressure (bar)" line, the column header and one line per
// temperature.
std::vector<std::string> PkTableLines(const PkTableInput& input);

// The text of the table for the clipboard, lines joined by CR LF, without a
// line break after the last line. For a spreadsheet the columns are cut
// apart by tabs; for a word processor the lines stay blank-padded.
std::vector<std::string> TableTextLines(const std::vector<std::string>& lines, bool forExcel);
std::string TableText(const std::vector<std::string>& lines, bool forExcel);

}  // namespace tavrix
