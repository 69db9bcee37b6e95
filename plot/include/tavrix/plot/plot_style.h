#pragma once

#include <cstdint>
#include <vector>

#include "tavrix/plot/plot_data.h"

namespace tavrix {

// How the plot looks: every colour, line and mark of it is chosen here, for
// the painter and the SVG text alike.

struct Rgba {
  std::uint8_t r, g, b;
  std::uint8_t a = 255;
  bool operator==(const Rgba&) const = default;
};

struct Stroke {
  Rgba color;
  double width;                     // pixels
  std::vector<double> dashes = {};  // lengths of dash and gap, in pixels; empty: solid
};

// Each condition's colour (ten, then again from the first).
Rgba GroupColor(int group);
// The fill of a condition's band of +/- u(pK).
Rgba BandColor(int group);

// A curve in its condition's colour: solid over the span of the data that
// were fitted, dashed beyond it; thinner and paler outside the model's range
// of confidence. Models side by side each have a line of their own (the
// first solid, the others dotted, dash-dotted, ...), its gaps wider beyond
// the data.
Stroke CurveStroke(const PlotCurve& curve);
Stroke CurveStroke(Rgba color, bool inRange, bool extrapolated, int model = 0);

// The marks of the points: a filled circle (weighted), a hollow one
// (weight 0), a downward triangle (an upper limit), kMarker pixels across;
// a red ring around a flagged point.
inline constexpr double kMarker = 11;
struct MarkerStyle {
  Stroke outline;
  Rgba fill;
};
MarkerStyle MarkerStyleOf(PlotPoint::Kind kind, Rgba color);
inline constexpr double kRingRadius = kMarker / 2 + 2.5;
Stroke RingStroke();

// The frame, the ticks and texts; the light grid; the guides (residual 0).
Stroke FrameStroke();
Stroke GridStroke();
Stroke GuideStroke();
inline constexpr Rgba kTextColor{0, 0, 0};
inline constexpr Rgba kBackground{255, 255, 255};

}  // namespace tavrix
