#include <functional>
#include <ostream>

#include "commands.h"
#include "for_each_book.h"
#include "point_input.h"
#include "tavrix/exports/exports.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

constexpr int kDigits = 9;
constexpr int kPkDigits = 10;

// The columns after the density at t (degrees C, T in kelvin) and rho: pK,
// and u(pK) where the calculator has it.
using PkColumns = std::function<std::string(float t, float T, float rho)>;

// One line per point: t, the pressure used ("-" for a density given), the
// density and the columns; the points read first, so that a mistake in
// them prints nothing.
int PrintPoints(const std::vector<InputPoint>& points, bool density, const PkColumns& columns,
                std::ostream& out) {
  for (const InputPoint& point : points) {
    const float T = KelvinOf(point.t);
    out << SignificantText(point.t, kDigits) << '\t';

    float rho = point.second;
    if (density) {
      out << "-\t";
    } else {
      const auto P = point.second == 0 ? SaturationPoint(T) : point.second;
      if (!P) {
        out << "P(sat) does not exist\n";
        continue;
      }
      out << SignificantText(*P, kDigits) << '\t';
      rho = WaterDensity(T, *P);
    }

    if (rho <= 0) {
      out << "?\t?\n";
      continue;
    }
    out << SignificantText(rho, kDigits) << '\t' << columns(point.t, T, rho) << '\n';
  }
  return kExitOk;
}

std::optional<std::vector<InputPoint>> Points(const std::vector<std::string>& values, bool density,
                                              std::istream& in, std::ostream& err) {
  std::string error;
  auto points =
      ReadPoints(values, in, density ? SecondValue::kDensity : SecondValue::kPressure, error);
  if (!points) err << "tavrix pk: " << error << "\n";
  return points;
}

}  // namespace

int RunPk(const PkRequest& request, std::istream& in, std::ostream& out, std::ostream& err) {
  const auto points = Points(request.values, request.density, in, err);
  if (!points) return kExitBadInput;
  // A and B are held in single precision, as the data sheet holds them.
  const RBPar par{request.pK298, static_cast<float>(request.A), static_cast<float>(request.B)};
  return PrintPoints(
      *points, request.density,
      [&](float, float T, float rho) { return SignificantText(RBpK(par, T, rho), kPkDigits); },
      out);
}

int RunPkFromBook(const PkFromBookRequest& request, std::istream& in, std::ostream& out,
                  std::ostream& err) {
  const auto points = Points(request.values, request.density, in, err);
  if (!points) return kExitBadInput;
  return ForEachBook(BookOptions{{request.book}, false, request.sheet}, Books::Access::kRead, out,
                     err, [&](Books&, Book& book, const Output& o) {
                       const std::optional<RBPar> shown = ShownFitOf(book, o);
                       if (!shown) return kExitNoResultShown;
                       const auto covariance = ShownCovarianceOf(book, o, "u(pK)");
                       if (!covariance) return kExitNoResultShown;
                       const ExportedFit fit = ExportedFitOf(book.data(), *shown, covariance);
                       return PrintPoints(
                           *points, request.density,
                           [&](float t, float, float rho) {
                             const PkAtPoint pK = PkAtDensity(fit, t, rho);
                             return SignificantText(pK.pK, kPkDigits) + '\t' +
                                    SignificantText(*pK.u, kPkDigits);
                           },
                           out);
                     });
}

}  // namespace tavrix::cli
