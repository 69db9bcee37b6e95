#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tavrix/model/domain.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

// What a point's weight cell says: a weight above 0, 0 (empty counts as
// 0: the point takes no part in the fit), or "<" (the experimental pK is
// an upper limit for the model).
enum class PointKind { kWeighted, kIgnored, kUpperLimit };

// One experimental point, as read from its row. Values are held in single
// precision, as the sheet's numbers are taken.
struct DataPoint {
  float t = 0;                    // degrees C
  std::optional<float> pressure;  // bar as used (0 on the sheet: the saturation pressure); none
                                  // when the density was given
  float density = 0;              // g/cm3, given or from the equation of state
  PointKind kind = PointKind::kIgnored;
  float weight = 0;  // above 0 for a weighted point, else 0
  float pK = 0;      // experimental
};

struct Species {
  int coefficient = 0;
  std::string name;  // cut or padded to kSpeciesWidth characters
};

// A data sheet as values.
struct DataSheet {
  std::string title;              // the text of A1 (of B1 when A1 is empty)
  std::string complex;            // the text of C2
  std::vector<Species> species;   // one to four
  RBPar reference;                // column B
  RBPar initial;                  // column E: where the fit starts, the value of a parameter held
  RBPar optimized;                // column F: the fit the sheet shows
  std::vector<DataPoint> points;  // point k (from 0) stands in row 15 + k
};

// Whether a worksheet is a data sheet at all: "Complex:" in B2, as a
// workbook's other sheets (notes, plots) do not have it.
bool IsDataSheet(SheetHost& host);

// The names of the species as the model's charge rule takes them.
SpeciesNames SpeciesNamesOf(const DataSheet& sheet);

// The temperatures and densities of the weighted points: the span of the
// data a fit is made from. None without weighted points.
std::optional<DataSpan> SpanOfWeightedPoints(const DataSheet& sheet);

// Data-sheet error codes; 0 is success.
enum SheetErrorCode : int {
  kNoError = 0,
  kUnexpectedError = 1,
  kFormatError = 2,
  kMissingData = 3,
  kOutOfRange = 4,
  kNoSaturation = 5,
  kNegativeWeight = 6,
  kInvalidNumber = 7,
  kCellNotEmpty = 8,
  kWrongComposition = 9,
  kNoComposition = 10,
  kPressureOrDensity = 11,
  kNoDensity = 12,
};

// The message of an error code; "" for 0 and for codes it does not know.
std::string ErrorMessage(int code);

// The first thing wrong with a sheet, and the cell read last.
struct SheetError {
  int code = kNoError;
  int row = 0;
  int col = 0;
  std::string detail;  // what the code alone does not say, or ""
  // "Cell must be empty (row=2, col=4)"
  std::string Message() const;
};

// What an "Unexpected error" at the row after the last point means.
inline constexpr char kTooManyPoints[] = "a data sheet holds at most 32 767 points";

// The ranges a data sheet's points must keep: temperatures from 0 to 1000
// C, pressures up to 5000 bar and densities from the gas threshold
// (kGasDensity) up to 2 g/cm3; "/ie" lifts all but the last bound and
// absolute zero.
inline constexpr float kMaxCelsius = 1000.0f;
inline constexpr float kMaxPressure = 5000.0f;
inline constexpr float kMaxDensity = 2.0f;
inline constexpr int kMaxCoefficient = 32000;

struct ReadSettings {
  bool noLimits = false;  // "/ie": lifts the limits of temperature, pressure and density
  bool decComma = false;  // the sheet shows numbers with a decimal comma
};

// A read of the sheet: everything up to the first error, and the error.
struct SheetRead {
  DataSheet sheet;
  std::optional<SheetError> error;
};

// Reads the head and the point table in a fixed order, checking every
// keyword, empty cell and number, and rewrites the parameter cells in
// their canonical form (the number their mask shows, "?" for an unknown
// value), with their number formats and the colours of the point rows. The
// first violation stops it; what it wrote before stays. A failing host
// call, a conversion that fails or an overflow is kUnexpectedError, with
// the host's reason as its detail. Never throws.
SheetRead ReadDataSheet(SheetHost& host, const ReadSettings& settings);

}  // namespace tavrix
