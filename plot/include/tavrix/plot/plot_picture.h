#pragma once

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <string>

#include "tavrix/plot/plot_data.h"

namespace tavrix {

// Draws the plot of a fit into the area as LayOutPlot lays it out: pK
// against t with round ticks, a line per condition in its own colour
// (solid over the span of the data, dashed beyond it, thin outside the
// range of confidence) over its shaded band of +/- u(pK) where it has one,
// the experimental points in their condition's colour (weighted filled,
// weight 0 hollow, "<" as downward triangles; flagged points ringed in
// red), and a legend. Needs a running Qt application (QGuiApplication) for
// its fonts.
void PaintPlot(QPainter& painter, const PlotData& plot, const QRectF& area);

// The tip of the flagged point under `at` in the plot as PaintPlot draws
// it into the area with the font; "" where there is none.
std::string PlotTipAt(const PlotData& plot, const QFont& font, const QRectF& area,
                      const QPointF& at);

// Draws the plot into a PNG file (the painter) or an SVG file (PlotSvg), by
// the extension; false when the file cannot be written or the extension is
// neither.
bool SavePlot(const PlotData& plot, const std::string& path, QSize size = QSize(900, 600));

// The file name a save dialog returned, with the extension of the chosen
// filter ("PNG (*.png)" or "SVG (*.svg)") when the name has none.
std::string PlotFileName(const std::string& chosen, const std::string& filter);

}  // namespace tavrix
