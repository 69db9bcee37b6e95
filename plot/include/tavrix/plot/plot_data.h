#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/model/pk_uncertainty.h"

namespace tavrix {

// What the plot of a fit shows: pK against t for each condition the data
// were measured at (the saturation curve, each pressure, each density
// given), and the experimental points over it in their condition's colour.
struct PlotGroup {
  enum class Kind { kSaturation, kPressure, kDensity };
  Kind kind;
  double value;      // bar or g/cm3 (none for saturation): where the curve is drawn
  std::string name;  // "Psat", "1000 bar", "1500-2000 bar", "0.8 g/cm3"
};

struct PlotCurve {
  int group;                                      // index into PlotData::groups
  bool inRange;                                   // inside the model's range of confidence
  std::vector<std::pair<double, double>> points;  // (t in C, pK)
  std::vector<double> band = {};  // u(pK) at each point: the band pK +/- u; empty when unknown
};

struct PlotPoint {
  enum class Kind { kWeighted, kIgnored, kLimit };
  double t;
  double pK;
  Kind kind;
  int group;
};

struct PlotAxis {
  double low;
  double high;
  double step;  // a round tick interval; ticks at multiples of it
};

struct PlotData {
  std::vector<PlotGroup> groups;
  std::vector<PlotCurve> curves;
  std::vector<PlotPoint> points;
  PlotAxis t{0, 500, 100};
  PlotAxis pK{0, 1, 0.5};
};

// At most so many conditions get a curve of their own; beyond, neighbouring
// pressures (or densities) share one, named by their range.
inline constexpr std::size_t kMaxPlotGroups = 10;

// The curves of a fit over the temperature range of the sheet's data, one
// per measured condition (the table's pressures when the data give none),
// split where they leave or enter the range of confidence; gas left out
// unless the limits are lifted. With the fit's covariance, each curve has
// its band of +/- u(pK).
PlotData BuildPlotData(const DataSheet& sheet, const RBPar& fitted, bool noLimits,
                       const std::optional<ParameterCovariance>& covariance = std::nullopt);

// A round tick interval (1, 2 or 5 times a power of ten) that gives at most
// about `ticks` intervals over `span`.
double NiceStep(double span, int ticks);

// The axis over [low, high] widened to whole steps.
PlotAxis NiceAxis(double low, double high, int ticks, double minStep);

}  // namespace tavrix
