#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tavrix/plot/plot_data.h"
#include "tavrix/plot/plot_style.h"

namespace tavrix {

// The plot laid out in pixels, as lines, areas, marks and texts: what the
// painter and the SVG writer draw, each in its own way, so that both show
// the same picture.

struct Pixel {
  double x, y;
};

struct PixelBox {
  double left, top, right, bottom;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

// A polyline (stroked) or a polygon (filled, closed).
struct ScenePath {
  std::vector<Pixel> points;
  std::optional<Stroke> stroke;
  std::optional<Rgba> fill = std::nullopt;
};

// The mark of a point, centred on `at`; `point` indexes PlotData::points
// (-1 in the legend).
struct SceneMarker {
  Pixel at;
  PlotPoint::Kind kind;
  Rgba color;
  int point = -1;
};

// The ring around a flagged point (kRingRadius, RingStroke).
struct SceneRing {
  Pixel at;
  int point = -1;
};

// A line of text whose baseline passes through `at`, which is its start,
// middle or end; turned a quarter to the left when `vertical`.
struct SceneText {
  enum class Anchor { kStart, kMiddle, kEnd };
  Pixel at;
  std::string text;
  Anchor anchor = Anchor::kStart;
  bool vertical = false;
};

// What is drawn in one pass: paths, then marks, rings and texts over them.
struct SceneLayer {
  std::vector<ScenePath> paths;
  std::vector<SceneMarker> markers;
  std::vector<SceneRing> rings;
  std::vector<SceneText> texts;
};

// Maps values into the frame of the axes.
struct PlotFrame {
  PixelBox box;
  PlotAxis x;
  PlotAxis y;
  Pixel At(double vx, double vy) const;
};

struct PlotScene {
  PixelBox area;  // filled with kBackground
  PixelBox clip;  // where the inside layer may draw: the frame and a mark's width around it
  PlotFrame frame;
  bool framed = false;  // whether there was room for the axes and what lies inside them
  SceneLayer axes;      // grid, frame, ticks and their labels, the axes' titles
  // Guides, bands and curves, clipped; then the marks of the points
  // (ForEachPointMark) and their rings.
  SceneLayer inside;
  SceneLayer legend;
};

// How the back end's font measures text.
struct TextMetrics {
  std::function<double(std::string_view)> width;  // of a line of UTF-8 text, in pixels
  double ascent;
  double height;  // from one line to the next
};

struct PlotLayoutOptions {
  bool legend = true;     // the conditions, the band, the kinds of line and the marks
  bool decComma = false;  // tick labels with a decimal comma
};

PlotScene LayOutPlot(const PlotData& plot, const PixelBox& area, const TextMetrics& metrics,
                     const PlotLayoutOptions& options = {});

// Hands the mark of each of the plot's points to `draw`, as a SceneMarker
// in its condition's colour: tens of thousands of them are not kept in the
// scene.
template <typename Draw>
void ForEachPointMark(const PlotData& plot, const PlotScene& scene, Draw&& draw) {
  if (!scene.framed) return;
  for (std::size_t k = 0; k < plot.points.size(); ++k) {
    const PlotPoint& point = plot.points[k];
    draw(SceneMarker{scene.frame.At(point.x, point.y), point.kind, GroupColor(point.group),
                     static_cast<int>(k)});
  }
}

// The tip (PlotData::notes) of the flagged point whose mark lies nearest
// `at`, within `radius` pixels; "" where there is none.
std::string FlaggedPointTip(const PlotData& plot, const PlotScene& scene, Pixel at,
                            double radius = 6);

// A tick label with as many decimals as the step needs.
std::string TickText(double value, double step, bool decComma);

}  // namespace tavrix
