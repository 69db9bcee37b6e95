#include "tavrix/model/pk_table.h"

#include <algorithm>
#include <cmath>

#include "tavrix/model/domain.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr int kCellWidth = 12;
constexpr char kTemperatureMask[] = "####.## ";
constexpr char kPressureMask[] = "#####";
constexpr char kPkMask[] = "#######.###";
constexpr std::size_t kTemperaturePoint = 4;  // 0-based place of '.' in the masks
constexpr std::size_t kPkPoint = 7;

std::string LeftPadded(const std::string& text, std::size_t width) {
  const std::size_t length = CharCount(text);
  return std::string(width > length ? width - length : 0, ' ') + text;
}

std::string WithCommaAt(std::string text, std::size_t pos, bool decComma) {
  if (decComma && pos < text.size()) text[pos] = ',';
  return text;
}

std::string CenteredTitle(const std::string& title) {
  const int width = TableWidth(title, kTableColumns);
  const int blanks = (width - static_cast<int>(CharCount(title))) / 2;
  return std::string(static_cast<std::size_t>(blanks), ' ') + title;
}

std::string PressureLine() {
  std::string line(10, ' ');
  for (const char c : std::string_view("Pressure (bar)")) line += std::string("   ") + c;
  return line;
}

std::string HeaderLine() {
  std::string line = "  t(\u00B0C)";
  for (int j = 1; j <= kTableColumns; ++j) {
    line += "     ";
    if (j > 1) line += "  ";
    const float p = TablePressure(j);
    line += p == 0 ? std::string("  Sat") : FormatMasked(kPressureMask, p);
  }
  return line;
}

// The cell at t (degrees C) in pressure column j.
PkTableCell CellAt(const PkTableInput& input, bool charged, float t, int j) {
  using Kind = PkTableCell::Kind;
  const ModelCondition c = ConditionAtPressure(t, TablePressure(j), {charged, input.noLimits});
  if (c.mark == PkMark::kNoSaturation) return {Kind::kNoSaturation};
  // No density at all is below the gas density, as far as the table goes.
  if (c.mark == PkMark::kNoDensity) return {input.noLimits ? Kind::kError : Kind::kGas};
  if (!c.hasValue) return {Kind::kGas};

  const float pK = RBpKSingle(input.par, KelvinOf(t), c.density);
  if (std::fabs(pK) < kUndefinedFrom) {
    return {c.mark == PkMark::kNone ? Kind::kValue : Kind::kOutsideRange, pK};
  }
  return {pK < 0 ? Kind::kGas : Kind::kError};
}

std::string DataLine(const PkTableInput& input, const std::vector<PkTableCell>& cells, int i) {
  const float t = TableTemperature(i);
  std::string line =
      WithCommaAt(FormatMasked(kTemperatureMask, t), kTemperaturePoint, input.decComma);
  for (const PkTableCell& cell : cells)
    line += LeftPadded(PkTableCellText(cell, input.decComma), kCellWidth);
  return line;
}

}  // namespace

std::string PkTableCellText(const PkTableCell& cell, bool decComma) {
  switch (cell.kind) {
    case PkTableCell::Kind::kValue:
      return WithCommaAt(FormatMasked(kPkMask, cell.pK) + ' ', kPkPoint, decComma);
    case PkTableCell::Kind::kOutsideRange:
      return WithCommaAt(FormatMasked(kPkMask, cell.pK) + '?', kPkPoint, decComma);
    case PkTableCell::Kind::kNoSaturation:
      return "---   ";
    case PkTableCell::Kind::kGas:
      return "gas   ";
    default:
      return "*error* ";
  }
}

float TableTemperature(int i) {
  return i == 1 ? 25.0f : 50.0f * static_cast<float>(i - 1);
}

float TablePressure(int j) {
  constexpr float kPressures[kTableColumns] = {0, 500, 1000, 2000, 5000};
  return kPressures[j - 1];
}

std::string PkTableTitle(std::string_view complex) {
  return "pK of dissociation of \"" + std::string(complex) + "\"";
}

int TableWidth(std::string_view title, int columns) {
  return std::max(static_cast<int>(CharCount(title)), kCellWidth * columns + 8);
}

PkTableCells PkTableCellsOf(const PkTableInput& input) {
  SpeciesNames species = input.species;
  const bool charged = ComplexIsCharged(species);
  PkTableCells cells(kTableRows);
  for (int i = 1; i <= kTableRows; ++i) {
    for (int j = 1; j <= kTableColumns; ++j) {
      cells[static_cast<std::size_t>(i) - 1].push_back(
          CellAt(input, charged, TableTemperature(i), j));
    }
  }
  return cells;
}

std::vector<std::string> PkTableLines(const PkTableInput& input) {
  const PkTableCells cells = PkTableCellsOf(input);
  std::vector<std::string> lines(kTableRows + 5);
  lines[0] = CenteredTitle(input.title);
  lines[2] = PressureLine();
  lines[3] = HeaderLine();
  for (int i = 1; i <= kTableRows; ++i)
    lines[static_cast<std::size_t>(i) + 3] =
        DataLine(input, cells[static_cast<std::size_t>(i) - 1], i);
  return lines;
}

}  // namespace tavrix
