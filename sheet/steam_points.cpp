#include "tavrix/sheet/steam_points.h"

#include <charconv>

#include "tavrix/sheet/layout.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

// Figures with '.' whatever the locale: the shortest that reads back, or
// the given number of significant digits.
std::string Figure(float x) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, x).ptr);
}
std::string Figure(float x, int digits) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::general, digits);
  return std::string(text, end.ptr);
}

}  // namespace

std::vector<SteamPoint> SteamPoints(const Problem& problem) {
  std::vector<SteamPoint> steam;
  for (int k = 1; k <= problem.NPoints && k < static_cast<int>(problem.PtP.size()); ++k) {
    const float P = problem.PtP[static_cast<std::size_t>(k)];
    if (!(P < kUndefinedFrom)) continue;  // given by its density
    const float T = KelvinOf(problem.PtT[static_cast<std::size_t>(k)]);
    if (!(T < kCriticalT)) continue;
    const float saturation = SatPressure(T);
    if (P < saturation) {
      steam.push_back({layout::PointRow(k), problem.PtT[static_cast<std::size_t>(k)], P, saturation});
    }
  }
  return steam;
}

std::string SteamWarning(const SteamPoint& point) {
  return "row " + std::to_string(point.row) + ": " + Figure(point.t) + " \u00B0C at " +
         Figure(point.P) + " bar is steam (saturation pressure " +
         Figure(point.saturation, 3) + " bar); use 0 for saturation";
}

}  // namespace tavrix
