#include "sheet_reader.h"

#include <cmath>
#include <limits>
#include <string>

#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/sheet/layout.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using namespace layout;

constexpr int kMaxCoefficient = 32000;
constexpr float kMaxCelsius = 1000.0f;
constexpr float kMaxPressure = 5000.0f;
constexpr float kMaxDensity = 2.0f;
constexpr float kAbsoluteZeroCelsius = -273.15f;
constexpr float kMissingSingle = static_cast<float>(kMissing);

// Stops the reader with an error code at the cursor, and what the code
// alone does not say.
struct Stop {
  int code;
  std::string detail = "";
};

class Reader {
 public:
  Reader(Problem& problem, SheetHost& sheet, View& view)
      : p_(problem), sheet_(sheet), view_(view) {}

  void Read() {
    ReadTitleRow();
    ReadComplexRows();
    ReadComposition();
    ReadParameters();
    ReadErrorAndHeaderRows();
    ReadPoints();
    ReportPointCount();
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
    s_ = sheet_.CellText(row_, col_);
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
  bool IsNumber() const { return IsNumericText(s_, p_.DecComma); }
  // The value of text that passed IsNumber, or of text taken without a test
  // (a text that is no number is then a run-time failure).
  double Value() const {
    const auto value = TextToDouble(s_, p_.DecComma);
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
  }

  void ReadComplexRows() {
    NextRow();
    Empty();
    NextKeyword("Complex:");
    NextCell();
    if (s_.empty()) throw Stop{kMissingData};
    NextEmpty();

    NextRow();
    Empty();
    NextKeyword("Coef.");
    NextKeyword("Basic species");
    NextEmpty();
  }

  void ReadComposition() {
    p_.Coef.fill(0);
    p_.Species.fill(std::string());
    int n = 0;
    for (int row = kFirstSpeciesRow; row <= kLastSpeciesRow; ++row) {
      NextRow();
      Empty();

      NextCell();
      int k = 0;
      if (!s_.empty()) {
        const double value = NumberOr(kInvalidNumber);
        if (std::fabs(value) > kMaxCoefficient || value != std::floor(value)) {
          throw Stop{kInvalidNumber};
        }
        k = static_cast<int>(value);
        p_.Coef[static_cast<std::size_t>(++n)] = k;
      }

      NextCell();
      if (!s_.empty()) {
        if (k == 0) throw Stop{kWrongComposition};
        p_.Species[static_cast<std::size_t>(n)] = FitToWidth(s_, kSpeciesWidth);
      } else if (k != 0) {
        throw Stop{kWrongComposition};
      }
      NextEmpty();
    }
    p_.Coef[0] = n;
    if (n == 0) throw Stop{kNoComposition};
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

    static const char* const kRowKeywords[3] = {"pK(298):", "A(zz/a):", "B(zz/a):"};
    static const char* const kFormats[3] = {"0.000", "0.000", "0.00"};
    for (int index = 0; index < 3; ++index) {
      NextRow();
      Keyword(kRowKeywords[index]);

      NextCell();
      Store(p_.RefPar, index, ReadParam(index, false));
      sheet_.SetNumberFormat(CellRange::Row(row_, kColB, kColG), kFormats[index]);

      ++col_;  // C is free: skipped unread
      NextEmpty();

      NextCell();
      if (s_.empty()) s_ = sheet_.CellText(row_, kColB);
      Store(p_.IniPar, index, ReadParam(index, false));

      NextCell();
      Store(p_.OptPar, index, s_.empty() ? kMissing : ReadParam(index, true));
    }
  }

  // Takes the parameter cell under the cursor: its value as read, while the
  // cell is rewritten through the row's mask ("?" when empty or unknown).
  // The mask itself is the program's mark of a value too large for it: no
  // value, and in the opt. column no result at all. A value too large for
  // the mask is kept as it was read, so that the cell always reads back.
  double ReadParam(int index, bool optimized) {
    const std::string& mask = p_.ParFmt[static_cast<std::size_t>(index)];
    if (s_ == mask && optimized) {
      sheet_.SetCell(row_, col_, CellContent::Text(""));
      return kMissing;
    }
    if (s_.empty() || s_ == mask) s_ = "?";
    if (s_ == "?") {
      sheet_.SetCell(row_, col_, CellContent::Text(s_));
      return kMissing;
    }
    const double x = Value();
    const std::string shown = FormatMasked(mask, x);
    sheet_.SetCell(row_, col_, shown != mask ? CellValue(shown) : CellContent::Number(x));
    return x;
  }

  static void Store(RBPar& par, int index, double x) {
    if (index == 0) par.pK298 = x;
    if (index == 1) par.A = Single(x);
    if (index == 2) par.B = Single(x);
  }

  void ReadErrorAndHeaderRows() {
    NextRow();
    Empty();
    NextEmpty();
    NextEmpty();
    NextKeyword("error:");
    sheet_.ClearCells(CellRange::Cell(kErrorRow, kColE));
    sheet_.SetNumberFormat(CellRange::Row(kErrorRow, kColE, kColF), "0.000");

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
    p_.NPoints = 0;
    for (auto* column : {&p_.PtT, &p_.PtP, &p_.PtD, &p_.PtW, &p_.PtPK}) column->assign(1, 0.0f);

    for (;;) {
      NextRow();
      if (s_.empty()) return;
      if (p_.NPoints == kMaxPoints) throw Stop{kUnexpectedError, kTooManyPoints};
      ++p_.NPoints;
      for (auto* column : {&p_.PtT, &p_.PtP, &p_.PtD, &p_.PtW, &p_.PtPK}) column->push_back(0.0f);
      ReadPoint(static_cast<std::size_t>(p_.NPoints));
    }
  }

  void ReadPoint(std::size_t i) {
    // A: temperature.
    const float t = Single(NumberOr(kInvalidNumber));
    p_.PtT[i] = t;
    if ((t < 0 || t > kMaxCelsius) && !p_.NoLimits) throw Stop{kOutOfRange};
    if (t <= kAbsoluteZeroCelsius) throw Stop{kOutOfRange};  // no kelvin temperature
    const float T = KelvinOf(t);

    // B: pressure; 0 asks for the saturation pressure.
    NextCell();
    float P = kMissingSingle;
    if (!s_.empty()) {
      double pressure = NumberOr(kInvalidNumber);
      if (pressure == 0) {
        const auto saturation = SaturationPoint(T);
        if (!saturation) throw Stop{kNoSaturation};
        pressure = *saturation;
      }
      if (pressure > kMaxPressure && !p_.NoLimits) throw Stop{kOutOfRange};
      if (pressure < 0) throw Stop{kOutOfRange};
      P = Single(pressure);
    }
    p_.PtP[i] = P;

    // C: density, given or computed.
    NextCell();
    float D;
    if (!s_.empty()) {
      if (P < kUndefinedFrom) throw Stop{kPressureOrDensity};
      D = Single(NumberOr(kInvalidNumber));
      if (D <= 0 || D > kMaxDensity) throw Stop{kOutOfRange};
      if (D < kGasDensity && !p_.NoLimits) throw Stop{kOutOfRange};
    } else {
      if (P > kUndefinedFrom) throw Stop{kPressureOrDensity};
      D = WaterDensity(T, P);
      if (D <= 0) throw Stop{kNoDensity};
    }
    p_.PtD[i] = D;

    // D: weight; empty is 0, "<" marks an upper limit.
    NextCell();
    if (s_.empty()) s_ = "0";
    if (s_ == "<") {
      p_.PtW[i] = -1;
    } else {
      p_.PtW[i] = Single(NumberOr(kInvalidNumber));
      if (p_.PtW[i] < 0) throw Stop{kNegativeWeight};
    }

    // E: experimental pK.
    NextCell();
    if (s_.empty()) throw Stop{kMissingData};
    p_.PtPK[i] = Single(NumberOr(kInvalidNumber));

    sheet_.SetFontColor(CellRange::Row(row_, kColF, kColG), p_.PtW[i] < 0 ? kRed : kBlack);
  }

  void ReportPointCount() {
    if (p_.NPoints == p_.LastNPoints) return;
    p_.LastNPoints = p_.NPoints;
    view_.ShowMessage("Number of experimental points: " + std::to_string(p_.NPoints),
                      MessageIcon::kInformation);
  }

  Problem& p_;
  SheetHost& sheet_;
  View& view_;
  int row_ = 0;
  int col_ = 0;
  std::string s_;
};

}  // namespace

ReadOutcome ReadSheet(Problem& problem, SheetHost& sheet, View& view) {
  Reader reader(problem, sheet, view);
  try {
    reader.Read();
    return {kNoError, reader.row(), reader.col(), ""};
  } catch (const Stop& stop) {
    return {stop.code, reader.row(), reader.col(), stop.detail};
  } catch (const HostError& e) {  // the spreadsheet failed: say how
    return {kUnexpectedError, reader.row(), reader.col(), e.what()};
  } catch (...) {
    return {kUnexpectedError, reader.row(), reader.col(), ""};
  }
}

}  // namespace tavrix
