#include "tavrix/plot/plot_style.h"

#include <iterator>

namespace tavrix {
namespace {

constexpr Rgba kGroupColors[] = {{0x1f, 0x77, 0xb4}, {0xff, 0x7f, 0x0e}, {0x2c, 0xa0, 0x2c},
                                 {0xd6, 0x27, 0x28}, {0x94, 0x67, 0xbd}, {0x8c, 0x56, 0x4b},
                                 {0xe3, 0x77, 0xc2}, {0x7f, 0x7f, 0x7f}, {0xbc, 0xbd, 0x22},
                                 {0x17, 0xbe, 0xcf}};
constexpr std::uint8_t kBandAlpha = 45;  // of the band's fill, out of 255
constexpr int kDoubtfulShare = 150;      // of its colour in a curve outside the range of confidence
constexpr double kCurveWidth = 2;
constexpr double kDoubtfulWidth = 1.2;
const std::vector<double> kExtrapolatedDashes = {7, 4};

// Half as bright, as the outline of a filled mark.
Rgba Darker(Rgba color) {
  return {static_cast<std::uint8_t>(color.r / 2), static_cast<std::uint8_t>(color.g / 2),
          static_cast<std::uint8_t>(color.b / 2), color.a};
}

// Mixed with white (an opaque line strokes faster than a translucent one).
Rgba Paler(Rgba color) {
  const auto mix = [](std::uint8_t c) {
    return static_cast<std::uint8_t>((c * kDoubtfulShare + 255 * (255 - kDoubtfulShare)) / 255);
  };
  return {mix(color.r), mix(color.g), mix(color.b), color.a};
}

}  // namespace

Rgba GroupColor(int group) {
  const auto count = static_cast<int>(std::size(kGroupColors));
  return kGroupColors[((group % count) + count) % count];
}

Rgba BandColor(int group) {
  Rgba color = GroupColor(group);
  color.a = kBandAlpha;
  return color;
}

namespace {

// The dashes of model k's line within the data; beyond them its gaps
// widen (the first model's solid line turns into kExtrapolatedDashes).
std::vector<double> ModelDashes(int model, bool extrapolated) {
  static const std::vector<double> kPatterns[] = {{}, {2, 3}, {9, 3, 2, 3}, {12, 3, 2, 3, 2, 3}};
  const auto count = static_cast<int>(std::size(kPatterns));
  std::vector<double> dashes = kPatterns[((model % count) + count) % count];
  if (!extrapolated) return dashes;
  if (dashes.empty()) return kExtrapolatedDashes;
  for (std::size_t i = 1; i < dashes.size(); i += 2) dashes[i] *= 2;
  return dashes;
}

}  // namespace

Stroke CurveStroke(Rgba color, bool inRange, bool extrapolated, int model) {
  Stroke stroke{color, kCurveWidth};
  if (!inRange) {
    stroke.width = kDoubtfulWidth;
    stroke.color = Paler(color);
  }
  stroke.dashes = ModelDashes(model, extrapolated);
  return stroke;
}

Stroke CurveStroke(const PlotCurve& curve) {
  return CurveStroke(GroupColor(curve.group), curve.inRange, curve.extrapolated, curve.model);
}

MarkerStyle MarkerStyleOf(PlotPoint::Kind kind, Rgba color) {
  switch (kind) {
    case PlotPoint::Kind::kWeighted:
    case PlotPoint::Kind::kLimit:
      return {{Darker(color), 1.5}, color};
    case PlotPoint::Kind::kIgnored:
      break;
  }
  return {{color, 1.5}, kBackground};
}

Stroke RingStroke() {
  return {{0xd0, 0x00, 0x00}, 2};
}

Stroke FrameStroke() {
  return {kTextColor, 1};
}

Stroke GridStroke() {
  return {{225, 225, 225}, 1};
}

Stroke GuideStroke() {
  return {{110, 110, 110}, 1};
}

}  // namespace tavrix
