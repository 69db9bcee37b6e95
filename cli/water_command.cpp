#include <algorithm>
#include <ostream>

#include "commands.h"
#include "point_input.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

constexpr int kDigits = 9;  // enough for a single-precision value to read back unchanged

}  // namespace

int RunWater(const WaterRequest& request, std::istream& in, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto points = ReadPoints(request.values, in, error);
  if (!points) {
    err << "tavrix water: " << error << "\n";
    return kExitBadInput;
  }
  if (std::any_of(points->begin(), points->end(),
                  [](const InputPoint& p) { return p.second < 0; })) {
    err << "tavrix water: a pressure must not be negative\n";
    return kExitBadInput;
  }

  for (const InputPoint& point : *points) {
    const float T = KelvinOf(point.t);
    out << FormatG(point.t, kDigits) << '\t';
    const auto P = point.second == 0 ? SaturationPoint(T) : point.second;
    if (!P) {
      out << "P(sat) does not exist\n";
      continue;
    }
    const float saturation = SatPressure(T);
    const float rho = WaterDensity(T, *P);
    out << FormatG(*P, kDigits) << '\t' << FormatG(saturation, kDigits) << '\t'
        << (rho > 0 ? FormatG(rho, kDigits) : "?") << '\n';
  }
  return kExitOk;
}

}  // namespace tavrix::cli
