#pragma once

#include <QtCharts/QChart>
#include <string>

#include "tavrix/app/plot_data.h"

namespace tavrix {

// The chart of a fit: a line per pressure column (dashed outside the range
// of confidence), the experimental points in their column's colour
// (weighted filled, weight 0 hollow, "<" as downward triangles).
QChart* MakePkChart(const PlotData& plot, const std::string& title);

// Renders the chart into a PNG or SVG file (by the extension); false when
// the file cannot be written or the extension is neither.
bool SaveChart(QChart* chart, const std::string& path, QSize size = QSize(900, 600));

}  // namespace tavrix
