#pragma once

// A fit in the forms the codes that use it read: pK with its uncertainty at
// any conditions, a ThermoFun reaction record, a PHREEQC SOLUTION_SPECIES
// block and logK grids. Values in, text or values out; nothing here prints,
// writes files or needs a window.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/model/domain.h"
#include "tavrix/model/models.h"
#include "tavrix/model/pk_uncertainty.h"

namespace tavrix {

// What the exports take of a data sheet and its fit.
struct ExportedFit {
  std::string title;                              // the sheet's title: where the data come from
  std::string complex;                            // the complex as the sheet names it
  std::vector<Species> species;                   // coefficients and names as the sheet gives them
  RBPar parameters;                               // as the sheet shows them
  std::optional<ParameterCovariance> covariance;  // none when it is not known
  // Where the weighted points lie: t in degrees C, P in bar as used (the
  // pressure of the equation of state where a density was given). None
  // without weighted points.
  struct Range {
    float tLow, tHigh, pLow, pHigh;
  };
  std::optional<Range> range = std::nullopt;
  std::optional<DataSpan> span = std::nullopt;  // their temperatures and densities
  bool charged = false;                         // the complex, by the model's charge rule
  // Another model fitted to the same points, whose pK the pK values, the
  // PHREEQC block and the grids give instead of RB's; the ThermoFun record
  // is RB's alone.
  std::optional<FittedModel> other = std::nullopt;
  // The model the pK are of: `other`, or RB with the parameters and
  // covariance above.
  FittedModel Fitted() const;
};

ExportedFit ExportedFitOf(const DataSheet& sheet, const RBPar& shown,
                          const std::optional<ParameterCovariance>& covariance);
// The sheet with another model's fit to its points.
ExportedFit ExportedFitOf(const DataSheet& sheet, const FittedModel& other);

// An export's text, or why there is none; and what the user should know
// of a text that was made (a fit that does not keep its tolerance).
struct ExportResult {
  std::string text;
  std::string error = "";
  std::string warning = "";
  explicit operator bool() const { return error.empty(); }
};

// pK of dissociation of a fit at chosen conditions: the model's value where
// it has one (ConditionAtPressure and ConditionAtDensity decide, with the
// fit's charge), with its uncertainty when the covariance is known, and
// whether the conditions lie outside the span of the data the fit was
// made from.
struct PkAtPoint {
  ModelCondition condition;
  std::optional<double> pK;  // none where the model has no value
  std::optional<double> u;   // with pK, when the covariance is known
  bool extrapolated = false;
};

struct PkRules {
  bool noLimits = false;  // /ie: values also for gas and steam
  SaturationRule saturation = SaturationRule::kSheet;
};

// At t (degrees C) and P (bar; 0 for saturation by the rule).
PkAtPoint PkAtPressure(const ExportedFit& fit, float t, float P, const PkRules& rules = {});
// At t and a density (g/cm3, above 0).
PkAtPoint PkAtDensity(const ExportedFit& fit, float t, float density, const PkRules& rules = {});

// The pressure the exports take "along saturation": 1.01325 bar below
// 100 C, as speciation codes tabulate logK there, else the saturation
// pressure; none at and above the critical temperature.
std::optional<float> CodesSaturationPressure(float t);

// The ThermoFun reaction record of the dissociation (JSON): one fit gives
// one record, several give an array of records. RB's fits only.
ExportResult ThermoFunRecords(const std::vector<ExportedFit>& fits);

// The terms log K = A1 + A2 T + A3 / T + A4 log10 T + A5 / T^2 + A6 T^2
// (T in kelvin) fitted to the model's +pK along saturation, with as few of them as
// keep the largest deviation within kAnalyticTolerance.
inline constexpr double kAnalyticTolerance = 0.005;
struct AnalyticFit {
  std::array<double, 6> A{};  // the terms not used are 0
  int terms = 0;
  double deviation = 0;  // largest |expression - pK| over the range
};
// Over tLow..tHigh (degrees C, 0 <= tLow < tHigh below the critical
// temperature); none outside that.
std::optional<AnalyticFit> FitAnalytic(const FittedModel& model, float tLow, float tHigh);

// The PHREEQC SOLUTION_SPECIES block of the formation reaction, log_k =
// +pK at 25 C and 1.01325 bar, -analytic fitted over tLow..tHigh.
ExportResult PhreeqcBlock(const ExportedFit& fit, float tLow = 0, float tHigh = 350);

// A grid point: t in degrees C, P in bar, 0 along saturation
// (CodesSaturationPressure).
struct GridPoint {
  float t;
  float P;
};
// The eight temperatures of EQ3/6-style grids along saturation: 0.01, 25,
// 60, 100, 150, 200, 250 and 300 C.
std::vector<GridPoint> Eq36Grid();

// logK of the dissociation (-pK) and u(logK) at every point, one line
// each, tab- or comma-separated, under a header that names the reaction;
// empty where the model has no value, with the point's mark, and 1 in the
// last column where the point lies outside the data of the fit.
enum class GridFormat { kTsv, kCsv };
ExportResult LogKGrid(const ExportedFit& fit, const std::vector<GridPoint>& points,
                      GridFormat format, bool noLimits = false);

}  // namespace tavrix
