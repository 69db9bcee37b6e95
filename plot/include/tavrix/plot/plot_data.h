#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/fit/diagnostics.h"
#include "tavrix/model/models.h"
#include "tavrix/model/pk_uncertainty.h"

namespace tavrix {

// What the plot of a fit shows: pK against t for each condition the data
// were measured at (the saturation curve, each pressure, each density
// given), and the experimental points over it in their condition's colour.
// The same structure carries the residual plots (x: t or density, y: the
// residual), which have points but no curves.
struct PlotGroup {
  enum class Kind { kSaturation, kPressure, kDensity };
  Kind kind;
  double value;      // bar or g/cm3 (none for saturation): where the curve is drawn
  std::string name;  // "Psat", "1000 bar", "1500-2000 bar", "0.8 g/cm3"
};

// A piece of a condition's curve of one kind: inside or outside the
// model's range of confidence, within or beyond the span of the data that
// were fitted.
struct PlotCurve {
  int group;                                      // index into PlotData::groups
  bool inRange;                                   // inside the model's range of confidence
  bool extrapolated;                              // outside the span of the weighted points
  std::vector<std::pair<double, double>> points;  // (x, y): (t in C, pK)
  std::vector<double> band = {};  // u(pK) at each point: the band pK +/- u; empty when unknown
  int model = 0;                  // index into PlotData::models: its line style
};

// Tens of thousands of these are copied with the plot: small, no text.
struct PlotPoint {
  enum class Kind : std::uint8_t { kWeighted, kIgnored, kLimit };
  double x;  // t in C (or density)
  double y;  // pK (or residual)
  Kind kind;
  int group;
  // A possible outlier or a point that pulls the fit: ringed, with the
  // reason for its tip in PlotData::notes.
  bool flagged = false;
};

struct PlotAxis {
  double low;
  double high;
  double step;  // a round tick interval; ticks at multiples of it
};

struct PlotData {
  std::vector<PlotGroup> groups;
  std::vector<PlotCurve> curves;
  std::vector<PlotPoint> points;          // in the sheet's order: points[k] is the sheet's point k
  std::map<int, std::string> notes = {};  // the tips of the flagged points, by their index
  PlotAxis x{0, 500, 100};
  PlotAxis y{0, 1, 0.5};
  std::string xTitle = "t (\u00B0C)";
  std::string yTitle = "pK";
  std::vector<double> guides = {};  // y values of thin lines across the frame (residual 0)
  // The models drawn side by side, the first the sheet's; empty when the
  // plot shows one model.
  std::vector<std::string> models = {};
};

// At most so many conditions get a curve of their own; beyond, neighbouring
// pressures (or densities) share one, named by their range.
inline constexpr std::size_t kMaxPlotGroups = 10;

// The curves of a fit over the temperature range of the sheet's data, one
// per measured condition (the table's pressures when the data give none).
// A curve is drawn where the pK table has a value (ConditionAtPressure and
// ConditionAtDensity decide: no curve where it shows gas, steam or ---,
// unless the limits are lifted), and split where it leaves or enters the
// range of confidence or the span of the weighted points. With the fit's
// covariance, each curve has its band of +/- u(pK).
PlotData BuildPlotData(const DataSheet& sheet, const RBPar& fitted, bool noLimits,
                       const std::optional<ParameterCovariance>& covariance = std::nullopt);

// Adds another model's curves to the plot of a fit, each condition's in the
// condition's colour and in the model's own line style (index `model` of
// PlotData::models, which names it), where the pK table has a value; no
// band. The axis of pK widens to hold them.
void AddModelCurves(PlotData& plot, const DataSheet& sheet, const FittedModel& fitted, int model,
                    bool noLimits);

// Flags the points the diagnostics find to be possible outliers or to pull
// the fit, each with the warning `tavrix fit` gives of it.
void MarkDiagnostics(PlotData& plot, const DataSheet& sheet, const FitDiagnostics& diagnostics);

// The plot of a solved fit (the one the sheet shows, `shown` its parameters
// as shown): BuildPlotData with the fit's covariance, and MarkDiagnostics.
PlotData PlotOfFit(const DataSheet& sheet, const Evaluation& evaluation, const FitOutcome& outcome,
                   const RBPar& shown, bool noLimits);

// The residuals (experimental minus calculated pK) of the plot's points
// against t or against density, in their conditions' colours and with
// their flags, about a guide at 0. `residuals[k]` is point k's, none where
// it has no calculated pK (the point is left out).
enum class ResidualAxis { kTemperature, kDensity };
PlotData ResidualPlotData(const PlotData& fit, const DataSheet& sheet,
                          const std::vector<std::optional<double>>& residuals,
                          ResidualAxis against);

// A round tick interval (1, 2 or 5 times a power of ten) that gives at most
// about `ticks` intervals over `span`.
double NiceStep(double span, int ticks);

// The axis over [low, high] widened to whole steps.
PlotAxis NiceAxis(double low, double high, int ticks, double minStep);

}  // namespace tavrix
