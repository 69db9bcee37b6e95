#include "tavrix/plot/plot_layout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace tavrix {
namespace {

constexpr double kMargin = 12;
constexpr double kTick = 4;             // length of a tick mark
constexpr double kSwatch = 24;          // length of a line in the legend
constexpr double kLegendText = 32;      // from an entry's left to its text
constexpr double kLegendSpacing = 1.4;  // lines of text from one entry to the next
constexpr int kMaxTicks = 1000;
constexpr Rgba kLegendInk{90, 90, 90};  // the kinds of line in the legend

double Span(const PlotAxis& axis) {
  return axis.high > axis.low ? axis.high - axis.low : 1;
}

std::vector<double> Ticks(const PlotAxis& axis) {
  std::vector<double> ticks;
  if (!(axis.step > 0) || !(axis.high >= axis.low)) return ticks;
  for (int i = 0; i <= kMaxTicks; ++i) {
    const double value = axis.low + i * axis.step;
    if (value > axis.high + axis.step / 2) break;
    ticks.push_back(value);
  }
  return ticks;
}

// The legend's entries: the conditions with a curve, the band, the kinds
// of line, then the marks of the points there are.
struct LegendEntry {
  enum class Glyph { kLine, kBand, kMarker, kRing };
  std::string text;
  Glyph glyph;
  Stroke stroke = {};
  PlotPoint::Kind kind = PlotPoint::Kind::kWeighted;
};

const char* KindName(PlotPoint::Kind kind) {
  switch (kind) {
    case PlotPoint::Kind::kWeighted:
      return "measured";
    case PlotPoint::Kind::kIgnored:
      return "weight 0 (not fitted)";
    case PlotPoint::Kind::kLimit:
      break;
  }
  return "\"<\" upper limit";
}

std::vector<LegendEntry> Legend(const PlotData& plot) {
  using Glyph = LegendEntry::Glyph;
  std::vector<LegendEntry> entries;
  std::vector<bool> drawn(plot.groups.size(), false);
  bool band = false, extrapolated = false, doubtful = false;
  for (const PlotCurve& curve : plot.curves) {
    drawn.at(static_cast<std::size_t>(curve.group)) = true;
    band = band || !curve.band.empty();
    extrapolated = extrapolated || curve.extrapolated;
    doubtful = doubtful || !curve.inRange;
  }
  for (std::size_t g = 0; g < plot.groups.size(); ++g) {
    if (drawn[g])
      entries.push_back({plot.groups[g].name, Glyph::kLine,
                         CurveStroke(GroupColor(static_cast<int>(g)), true, false)});
  }
  for (std::size_t m = 0; plot.models.size() > 1 && m < plot.models.size(); ++m) {
    entries.push_back(
        {plot.models[m], Glyph::kLine, CurveStroke(kLegendInk, true, false, static_cast<int>(m))});
  }
  if (band) entries.push_back({"\u00B1u(pK), about 95 %", Glyph::kBand});
  if (extrapolated)
    entries.push_back(
        {"beyond the data (extrapolated)", Glyph::kLine, CurveStroke(kLegendInk, true, true)});
  if (doubtful)
    entries.push_back({"outside the range of confidence (?)", Glyph::kLine,
                       CurveStroke(kLegendInk, false, false)});
  std::array<bool, 3> present{};
  bool flagged = false;
  for (const PlotPoint& point : plot.points) {
    present[static_cast<std::size_t>(point.kind)] = true;
    flagged = flagged || point.flagged;
  }
  for (std::size_t kind = 0; kind < present.size(); ++kind) {
    const auto k = static_cast<PlotPoint::Kind>(kind);
    if (present[kind]) entries.push_back({KindName(k), Glyph::kMarker, {}, k});
  }
  if (flagged) entries.push_back({"outlier, or pulls the fit", Glyph::kRing});
  return entries;
}

ScenePath Line(Pixel from, Pixel to, const Stroke& stroke) {
  return {{from, to}, stroke};
}

void LayOutAxes(const PlotFrame& frame, const PlotData& plot, const TextMetrics& metrics,
                double labelWidth, bool decComma, SceneLayer& layer) {
  const std::vector<double> xTicks = Ticks(frame.x);
  const std::vector<double> yTicks = Ticks(frame.y);
  for (const double x : xTicks)
    layer.paths.push_back(Line(frame.At(x, frame.y.low), frame.At(x, frame.y.high), GridStroke()));
  for (const double y : yTicks)
    layer.paths.push_back(Line(frame.At(frame.x.low, y), frame.At(frame.x.high, y), GridStroke()));
  const PixelBox& box = frame.box;
  layer.paths.push_back({{{box.left, box.top},
                          {box.right, box.top},
                          {box.right, box.bottom},
                          {box.left, box.bottom},
                          {box.left, box.top}},
                         FrameStroke()});
  using Anchor = SceneText::Anchor;
  for (const double x : xTicks) {
    const Pixel at = frame.At(x, frame.y.low);
    layer.paths.push_back(Line(at, {at.x, at.y + kTick}, FrameStroke()));
    layer.texts.push_back(
        {{at.x, at.y + 6 + metrics.ascent}, TickText(x, frame.x.step, decComma), Anchor::kMiddle});
  }
  for (const double y : yTicks) {
    const Pixel at = frame.At(frame.x.low, y);
    layer.paths.push_back(Line(at, {at.x - kTick, at.y}, FrameStroke()));
    layer.texts.push_back({{at.x - 7, at.y + metrics.ascent / 2 - 1},
                           TickText(y, frame.y.step, decComma),
                           Anchor::kEnd});
  }
  layer.texts.push_back({{(box.left + box.right) / 2, box.bottom + 10 + 2 * metrics.height},
                         plot.xTitle,
                         Anchor::kMiddle});
  layer.texts.push_back({{box.left - 2 * kMargin - labelWidth, (box.top + box.bottom) / 2},
                         plot.yTitle,
                         Anchor::kMiddle,
                         true});
}

void LayOutInside(const PlotFrame& frame, const PlotData& plot, SceneLayer& layer) {
  for (const double y : plot.guides)
    layer.paths.push_back(Line(frame.At(frame.x.low, y), frame.At(frame.x.high, y), GuideStroke()));
  // The bands pK +/- u(pK), under every line.
  for (const PlotCurve& curve : plot.curves) {
    if (curve.band.empty() || curve.band.size() != curve.points.size()) continue;
    ScenePath area{{}, std::nullopt, BandColor(curve.group)};
    area.points.reserve(2 * curve.points.size());
    for (std::size_t i = 0; i < curve.points.size(); ++i)
      area.points.push_back(
          frame.At(curve.points[i].first, curve.points[i].second + curve.band[i]));
    for (std::size_t i = curve.points.size(); i-- > 0;)
      area.points.push_back(
          frame.At(curve.points[i].first, curve.points[i].second - curve.band[i]));
    layer.paths.push_back(std::move(area));
  }
  for (const PlotCurve& curve : plot.curves) {
    ScenePath line{{}, CurveStroke(curve)};
    line.points.reserve(curve.points.size());
    for (const auto& [x, y] : curve.points) line.points.push_back(frame.At(x, y));
    layer.paths.push_back(std::move(line));
  }
  for (std::size_t k = 0; k < plot.points.size(); ++k) {
    const PlotPoint& point = plot.points[k];
    if (point.flagged) layer.rings.push_back({frame.At(point.x, point.y), static_cast<int>(k)});
  }
}

void LayOutLegend(const std::vector<LegendEntry>& entries, Pixel topLeft,
                  const TextMetrics& metrics, SceneLayer& layer) {
  using Glyph = LegendEntry::Glyph;
  const double left = topLeft.x;
  double y = topLeft.y + metrics.height;
  for (const LegendEntry& entry : entries) {
    const double middle = y - metrics.ascent / 3;
    const Pixel centre{left + kSwatch / 2, middle};
    switch (entry.glyph) {
      case Glyph::kLine:
        layer.paths.push_back(Line({left, middle}, {left + kSwatch, middle}, entry.stroke));
        break;
      case Glyph::kBand: {
        const double top = middle - kMarker / 2, bottom = middle + kMarker / 2;
        Rgba shade = kTextColor;
        shade.a = BandColor(0).a;
        layer.paths.push_back(
            {{{left, top}, {left + kSwatch, top}, {left + kSwatch, bottom}, {left, bottom}},
             std::nullopt,
             shade});
        break;
      }
      case Glyph::kMarker:
        layer.markers.push_back({centre, entry.kind, kTextColor});
        break;
      case Glyph::kRing:
        layer.rings.push_back({centre});
        break;
    }
    layer.texts.push_back({{left + kLegendText, y}, entry.text});
    y += metrics.height * kLegendSpacing;
  }
}

}  // namespace

Pixel PlotFrame::At(double vx, double vy) const {
  return {box.left + (vx - x.low) / Span(x) * box.Width(),
          box.bottom - (vy - y.low) / Span(y) * box.Height()};
}

std::string TickText(double value, double step, bool decComma) {
  const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  if (std::fabs(value) < step * 1e-6) value = 0;
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                 std::min(decimals, 20));
  std::string result(text, end.ptr);
  if (decComma) std::replace(result.begin(), result.end(), '.', ',');
  return result;
}

std::string FlaggedPointTip(const PlotData& plot, const PlotScene& scene, Pixel at, double radius) {
  if (!scene.framed) return "";
  const std::string* nearest = nullptr;
  double best = radius * radius;
  for (const auto& [index, note] : plot.notes) {
    const PlotPoint& point = plot.points[static_cast<std::size_t>(index)];
    const Pixel mark = scene.frame.At(point.x, point.y);
    const double d2 = (mark.x - at.x) * (mark.x - at.x) + (mark.y - at.y) * (mark.y - at.y);
    if (d2 <= best) {
      best = d2;
      nearest = &note;
    }
  }
  return nearest ? *nearest : "";
}

PlotScene LayOutPlot(const PlotData& plot, const PixelBox& area, const TextMetrics& metrics,
                     const PlotLayoutOptions& options) {
  PlotScene scene;
  scene.area = area;
  const std::vector<LegendEntry> legend =
      options.legend ? Legend(plot) : std::vector<LegendEntry>{};
  double legendWidth = 0;
  for (const LegendEntry& entry : legend)
    legendWidth = std::max(legendWidth, kLegendText + metrics.width(entry.text));
  legendWidth = std::min(legendWidth, area.Width() / 3);
  double labelWidth = metrics.width("-00.0");
  for (const double y : Ticks(plot.y))
    labelWidth = std::max(labelWidth, metrics.width(TickText(y, plot.y.step, options.decComma)));

  const double left = area.left + 3 * kMargin + labelWidth + metrics.height;
  const double right = area.right - 2 * kMargin - legendWidth;
  const double top = area.top + kMargin + metrics.height / 2;
  const double bottom = area.bottom - kMargin - 2.5 * metrics.height;
  scene.frame = {{left, top, right, bottom}, plot.x, plot.y};
  scene.clip = {left - kMarker, top - kMarker, right + kMarker, bottom + kMarker};
  scene.framed = scene.frame.box.Width() > 10 && scene.frame.box.Height() > 10;
  if (scene.framed) {
    LayOutAxes(scene.frame, plot, metrics, labelWidth, options.decComma, scene.axes);
    LayOutInside(scene.frame, plot, scene.inside);
  }
  LayOutLegend(legend, {right + kMargin, top}, metrics, scene.legend);
  return scene;
}

}  // namespace tavrix
