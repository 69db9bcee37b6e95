#include <cmath>
#include <limits>
#include <string>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/model/parameters.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/sheet/layout.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using namespace layout;

// Stops the reader with an error code at the cursor, and what the code
// alone does not say.
struct Stop {
  int code;
  std::string detail = "";
};

class Reader {
 public:
  Reader(SheetHost& host, const ReadSettings& settings, DataSheet& sheet)
      : host_(host), settings_(settings), sheet_(sheet) {}

  void Read() {
    ReadTitleRow();
    ReadComplexRows();
    ReadComposition();
    ReadParameters();
    ReadErrorAndHeaderRows();
    ReadPoints();
  }

  int row() const { return row_; }
  int col() const { return col_; }

 private:
  // --- Cursor -------------------------------------------------------------
  void NextRow() {
    ++row_;
    col_ = 0;
    NextCell();
  }
  void NextCell() {
    ++col_;
    s_ = host_.CellText(row_, col_);
  }
  void Keyword(const char* keyword) const {
    if (s_ != keyword) throw Stop{kFormatError};
  }
  void Empty() const {
    if (!s_.empty()) throw Stop{kCellNotEmpty};
  }
  void NextKeyword(const char* keyword) {
    NextCell();
    Keyword(keyword);
  }
  void NextEmpty() {
    NextCell();
    Empty();
  }

  // --- Numbers ------------------------------------------------------------
  bool IsNumber() const { return IsNumericText(s_, settings_.decComma); }
  // The value of text that passed IsNumber, or of text taken without a test
  // (a text that is no number is then a run-time failure).
  double Value() const {
    const auto value = TextToDouble(s_, settings_.decComma);
    if (!value) throw Stop{kUnexpectedError};
    return *value;
  }
  double NumberOr(int code) const {
    if (!IsNumber()) throw Stop{code};
    return Value();
  }
  static float Single(double x) {
    if (std::fabs(x) > std::numeric_limits<float>::max()) throw Stop{kUnexpectedError};
    return static_cast<float>(x);
  }

  // --- Head ---------------------------------------------------------------
  void ReadTitleRow() {
    NextRow();
    if (s_.empty()) NextCell();
    sheet_.title = s_;
  }

  void ReadComplexRows() {
    NextRow();
    Empty();
    NextKeyword("Complex:");
    NextCell();
    if (s_.empty()) throw Stop{kMissingData};
    sheet_.complex = s_;
    NextEmpty();

    NextRow();
    Empty();
    NextKeyword("Coef.");
    NextKeyword("Basic species");
    NextEmpty();
  }

  void ReadComposition() {
    for (int row = kFirstSpeciesRow; row <= kLastSpeciesRow; ++row) {
      NextRow();
      Empty();

      NextCell();
      int k = 0;
      const bool counted = !s_.empty();
      if (counted) {
        const double value = NumberOr(kInvalidNumber);
        if (std::fabs(value) > kMaxCoefficient || value != std::floor(value)) {
          throw Stop{kInvalidNumber};
        }
        k = static_cast<int>(value);
        sheet_.species.push_back({k, ""});
      }

      NextCell();
      if (!s_.empty()) {
        if (k == 0) throw Stop{kWrongComposition};
        sheet_.species.back().name = FitToWidth(s_, kSpeciesWidth);
      } else if (k != 0) {
        throw Stop{kWrongComposition};
      }
      NextEmpty();
    }
    if (sheet_.species.empty()) throw Stop{kNoComposition};
  }

  void ReadParameters() {
    NextRow();
    Keyword("Parameter");
    NextEmpty();
    NextKeyword("Reference");
    NextEmpty();
    NextKeyword("init.");
    NextKeyword("opt.");
    NextKeyword("\u00B1");
    NextKeyword("Comment");

    for (int index = 0; index < kParameterCount; ++index) {
      const char* const mask = kParameters[static_cast<std::size_t>(index)].mask;
      NextRow();
      Keyword(kParameters[static_cast<std::size_t>(index)].keyword);

      NextCell();
      Store(sheet_.reference, index, ReadParam(mask, false));
      host_.SetNumberFormat(CellRange::Row(row_, kColB, kColG), NumberFormatOf(mask));

      ++col_;  // C is free: skipped unread
      NextEmpty();

      NextCell();
      if (s_.empty()) s_ = host_.CellText(row_, kColB);
      Store(sheet_.initial, index, ReadParam(mask, false));

      NextCell();
      Store(sheet_.optimized, index, s_.empty() ? kMissing : ReadParam(mask, true));
    }
  }

  // Takes the parameter cell under the cursor: its value as read, while the
  // cell is rewritten through the row's mask ("?" when empty or unknown).
  // The mask itself is the program's mark of a value too large for it: no
  // value, and in the opt. column no result at all. A value too large for
  // the mask is kept as it was read, so that the cell always reads back.
  double ReadParam(const char* mask, bool optimized) {
    if (s_ == mask && optimized) {
      host_.SetCell(row_, col_, CellContent::Text(""));
      return kMissing;
    }
    if (s_.empty() || s_ == mask) s_ = "?";
    if (s_ == "?") {
      host_.SetCell(row_, col_, CellContent::Text(s_));
      return kMissing;
    }
    const double x = Value();
    const std::string shown = FormatMasked(mask, x);
    host_.SetCell(row_, col_, shown != mask ? CellValue(shown) : CellContent::Number(x));
    return x;
  }

  static void Store(RBPar& par, int index, double x) {
    SetParam(par, index, index == 0 ? x : Single(x));
  }

  void ReadErrorAndHeaderRows() {
    NextRow();
    Empty();
    NextEmpty();
    NextEmpty();
    NextKeyword("error:");
    host_.ClearCells(CellRange::Cell(kErrorRow, kColE));
    host_.SetNumberFormat(CellRange::Row(kErrorRow, kColE, kColF), "0.000");

    NextRow();
    Keyword("Experimental point");
    NextEmpty();
    NextEmpty();
    NextEmpty();
    NextKeyword("pK");
    NextEmpty();
    NextEmpty();

    NextRow();
    Keyword("T, C");
    NextKeyword("P, bar");
    NextKeyword("D, g/cm3");
    NextKeyword("weight");
    NextKeyword("exper.");
    NextKeyword("opt.");
    NextKeyword("error");
    NextKeyword("Comment");
  }

  // --- Points -------------------------------------------------------------
  void ReadPoints() {
    for (;;) {
      NextRow();
      if (s_.empty()) return;
      if (static_cast<int>(sheet_.points.size()) == kMaxPoints) {
        throw Stop{kUnexpectedError, kTooManyPoints};
      }
      sheet_.points.emplace_back();
      ReadPoint(sheet_.points.back());
    }
  }

  void ReadPoint(DataPoint& point) {
    // A: temperature.
    const float t = Single(NumberOr(kInvalidNumber));
    point.t = t;
    if ((t < 0 || t > kMaxCelsius) && !settings_.noLimits) throw Stop{kOutOfRange};
    if (t <= kAbsoluteZeroCelsius) throw Stop{kOutOfRange};  // no kelvin temperature
    const float T = KelvinOf(t);

    // B: pressure; 0 asks for the saturation pressure.
    NextCell();
    if (!s_.empty()) {
      double pressure = NumberOr(kInvalidNumber);
      if (pressure == 0) {
        const auto saturation = SaturationPoint(T);
        if (!saturation) throw Stop{kNoSaturation};
        pressure = *saturation;
      }
      if (pressure > kMaxPressure && !settings_.noLimits) throw Stop{kOutOfRange};
      if (pressure < 0) throw Stop{kOutOfRange};
      point.pressure = Single(pressure);
    }

    // C: density, given or computed.
    NextCell();
    if (!s_.empty()) {
      if (point.pressure) throw Stop{kPressureOrDensity};
      const float D = Single(NumberOr(kInvalidNumber));
      if (D <= 0 || D > kMaxDensity) throw Stop{kOutOfRange};
      if (D < kGasDensity && !settings_.noLimits) throw Stop{kOutOfRange};
      point.density = D;
    } else {
      if (!point.pressure) throw Stop{kPressureOrDensity};
      const float D = WaterDensity(T, *point.pressure);
      if (D <= 0) throw Stop{kNoDensity, NoDensityAt(t, *point.pressure)};
      point.density = D;
    }

    // D: weight; empty is 0, "<" marks an upper limit.
    NextCell();
    if (s_.empty()) s_ = "0";
    if (s_ == "<") {
      point.kind = PointKind::kUpperLimit;
    } else {
      const float w = Single(NumberOr(kInvalidNumber));
      if (w < 0) throw Stop{kNegativeWeight};
      point.kind = w > 0 ? PointKind::kWeighted : PointKind::kIgnored;
      point.weight = w;
    }

    // E: experimental pK.
    NextCell();
    if (s_.empty()) throw Stop{kMissingData};
    point.pK = Single(NumberOr(kInvalidNumber));

    host_.SetFontColor(CellRange::Row(row_, kColF, kColG),
                       point.kind == PointKind::kUpperLimit ? kRed : kBlack);
  }

  static std::string NoDensityAt(float t, float P) {
    return "the equation of state gives no density at " + ShortNumber(t) + " \u00B0C and " +
           ShortNumber(P) + " bar";
  }

  SheetHost& host_;
  const ReadSettings& settings_;
  DataSheet& sheet_;
  int row_ = 0;
  int col_ = 0;
  std::string s_;
};

}  // namespace

SheetRead ReadDataSheet(SheetHost& host, const ReadSettings& settings) {
  SheetRead read;
  Reader reader(host, settings, read.sheet);
  try {
    reader.Read();
  } catch (const Stop& stop) {
    read.error = SheetError{stop.code, reader.row(), reader.col(), stop.detail};
  } catch (const HostError& e) {  // the spreadsheet failed: say how
    read.error = SheetError{kUnexpectedError, reader.row(), reader.col(), e.what()};
  } catch (...) {
    read.error = SheetError{kUnexpectedError, reader.row(), reader.col(), ""};
  }
  return read;
}

}  // namespace tavrix
