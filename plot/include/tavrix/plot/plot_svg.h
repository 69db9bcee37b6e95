#pragma once

#include <string>

#include "tavrix/plot/plot_data.h"
#include "tavrix/plot/plot_layout.h"

namespace tavrix {

// The plot as SVG text: one <svg> element of `width` by `height` pixels
// (its viewBox, so that it scales), to be saved as a file or put inline in
// a page. No scripts and nothing from outside; the texts in a sans-serif
// font of the system's; the ring of a flagged point carries the reason as
// its <title>, a browser's tip.
std::string PlotSvg(const PlotData& plot, double width, double height,
                    const PlotLayoutOptions& options = {});

// How the SVG's font is taken to measure: an estimate of a sans-serif font
// of 12 pixels.
TextMetrics SvgTextMetrics();

}  // namespace tavrix
