#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tavrix/sheet/problem.h"

namespace tavrix {

// What the plot of a fit shows: pK against t along each pressure column of
// the pK table, and the experimental points over it.
struct PlotCurve {
  int column;    // 1..5 as in the table (1: at saturation)
  bool inRange;  // inside the model's range of confidence
  std::vector<std::pair<double, double>> points;  // (t in C, pK)
};

struct PlotPoint {
  enum class Kind { kWeighted, kIgnored, kLimit };
  double t;
  double pK;
  Kind kind;
  int column;  // the curve it belongs with: saturation, or the nearest pressure
};

struct PlotData {
  std::vector<PlotCurve> curves;
  std::vector<PlotPoint> points;
};

// The curves of the optimized parameters on a 2.5 C grid (the saturation
// curve up to the critical point; gas left out unless the limits are
// lifted), split where they leave or enter the range of confidence.
PlotData BuildPlotData(const Problem& problem);

// "Psat" or "500 bar" for a table column.
std::string ColumnName(int column);

}  // namespace tavrix
