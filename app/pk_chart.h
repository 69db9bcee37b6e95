#pragma once

#include <QtCharts/QChart>
#include <string>

#include "tavrix/app/plot_data.h"

namespace tavrix {

// The chart of a fit: a line per measured condition in its own colour
// (dashed outside the range of confidence), the experimental points in
// their condition's colour (weighted filled, weight 0 hollow, "<" as
// downward triangles), and a legend of the conditions and the shapes. The
// points are drawn as light markers, all of a kind in one series, so that
// tens of thousands of them draw at once.
QChart* MakePkChart(const PlotData& plot);

// Draws the plot afresh into a PNG or SVG file (by the extension); false
// when the file cannot be written or the extension is neither.
bool SavePlot(const PlotData& plot, const std::string& path, QSize size = QSize(900, 600));

// The file name a save dialog returned, with the extension of the chosen
// filter ("PNG (*.png)" or "SVG (*.svg)") when the name has none.
std::string PlotFileName(const std::string& chosen, const std::string& filter);

}  // namespace tavrix
