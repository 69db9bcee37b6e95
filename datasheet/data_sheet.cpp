#include "tavrix/datasheet/data_sheet.h"

#include <algorithm>

#include "tavrix/sheet/layout.h"

namespace tavrix {

bool IsDataSheet(SheetHost& host) {
  return host.CellText(layout::kComplexRow, layout::kColB) == "Complex:";
}

SpeciesNames SpeciesNamesOf(const DataSheet& sheet) {
  SpeciesNames names;
  for (std::size_t i = 0; i < sheet.species.size() && i + 1 < names.size(); ++i) {
    names[i + 1] = sheet.species[i].name;
  }
  return names;
}

std::optional<DataSpan> SpanOfWeightedPoints(const DataSheet& sheet) {
  std::optional<DataSpan> span;
  for (const DataPoint& point : sheet.points) {
    if (point.kind != PointKind::kWeighted) continue;
    if (!span) {
      span = DataSpan{point.t, point.t, point.density, point.density};
      continue;
    }
    span->tLow = std::min(span->tLow, point.t);
    span->tHigh = std::max(span->tHigh, point.t);
    span->densityLow = std::min(span->densityLow, point.density);
    span->densityHigh = std::max(span->densityHigh, point.density);
  }
  return span;
}

std::string ErrorMessage(int code) {
  static const char* const kMessages[] = {
      "",
      "Unexpected error",
      "Format error or incorrect keyword",
      "Missing mandatory data",
      "T/P/D out of range",
      "P(sat) does not exist",
      "Weight is negative",
      "Invalid data format",
      "Cell must be empty",
      "Wrong complex composition",
      "No complex composition",
      "Define pressure or density",
      "Could not calculate density",
  };
  if (code < 0 || code > kNoDensity) return "";
  return kMessages[code];
}

std::string SheetError::Message() const {
  return ErrorMessage(code) + " (row=" + std::to_string(row) + ", col=" + std::to_string(col) + ")";
}

}  // namespace tavrix
