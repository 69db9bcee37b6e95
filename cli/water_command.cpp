#include <ostream>

#include "commands.h"
#include "point_input.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

constexpr int kDigits = 9;  // enough for a single-precision value to read back unchanged

}  // namespace

int RunWater(const WaterRequest& request, std::istream& in, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto points = ReadPoints(request.values, in, SecondValue::kPressure, error);
  if (!points) {
    err << "tavrix water: " << error << "\n";
    return kExitBadInput;
  }

  for (const InputPoint& point : *points) {
    const float T = KelvinOf(point.t);
    out << SignificantText(point.t, kDigits) << '\t';
    const auto P = point.second == 0 ? SaturationPoint(T) : point.second;
    if (!P) {
      out << "P(sat) does not exist\n";
      continue;
    }
    // Above the critical temperature there is no saturation pressure.
    const std::string saturation = T < kCriticalT ? SignificantText(SatPressure(T), kDigits) : "-";
    const float rho = WaterDensity(T, *P);
    out << SignificantText(*P, kDigits) << '\t' << saturation << '\t'
        << (rho > 0 ? SignificantText(rho, kDigits) : "?") << '\n';
  }
  return kExitOk;
}

}  // namespace tavrix::cli
