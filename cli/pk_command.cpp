#include <ostream>

#include "commands.h"
#include "point_input.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

constexpr int kDigits = 9;
constexpr int kPkDigits = 10;

}  // namespace

int RunPk(const PkRequest& request, std::istream& in, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto points = ReadPoints(
      request.values, in, request.density ? SecondValue::kDensity : SecondValue::kPressure, error);
  if (!points) {
    err << "tavrix pk: " << error << "\n";
    return kExitBadInput;
  }

  // A and B are held in single precision, as the data sheet holds them.
  const RBPar par{request.pK298, static_cast<float>(request.A), static_cast<float>(request.B)};

  for (const InputPoint& point : *points) {
    const float T = KelvinOf(point.t);
    out << FormatG(point.t, kDigits) << '\t';

    float rho = point.second;
    if (request.density) {
      out << "-\t";
    } else {
      const auto P = point.second == 0 ? SaturationPoint(T) : point.second;
      if (!P) {
        out << "P(sat) does not exist\n";
        continue;
      }
      out << FormatG(*P, kDigits) << '\t';
      rho = WaterDensity(T, *P);
    }

    if (rho <= 0) {
      out << "?\t?\n";
      continue;
    }
    out << FormatG(rho, kDigits) << '\t' << FormatG(RBpK(par, T, rho), kPkDigits) << '\n';
  }
  return kExitOk;
}

}  // namespace tavrix::cli
