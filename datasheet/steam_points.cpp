#include "tavrix/datasheet/steam_points.h"

#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"
#include "tavrix/water/water.h"

namespace tavrix {

std::vector<SteamPoint> SteamPoints(const DataSheet& sheet) {
  std::vector<SteamPoint> steam;
  for (std::size_t k = 0; k < sheet.points.size(); ++k) {
    const DataPoint& point = sheet.points[k];
    if (!point.pressure) continue;  // given by its density
    const float T = KelvinOf(point.t);
    if (!(T < kCriticalT)) continue;
    const float saturation = SatPressure(T);
    if (*point.pressure < saturation) {
      steam.push_back(
          {layout::PointRow(static_cast<int>(k) + 1), point.t, *point.pressure, saturation});
    }
  }
  return steam;
}

std::string SteamWarning(const SteamPoint& point) {
  return "row " + std::to_string(point.row) + ": " + ShortNumber(point.t) + " \u00B0C at " +
         ShortNumber(point.P) + " bar is steam (saturation pressure " +
         ShortNumber(point.saturation, 3) + " bar); use 0 for saturation";
}

}  // namespace tavrix
