// logK grids for the codes that tabulate logK against temperature (EQ3/6
// data0 files and those like them), which list the reactions that destroy
// a complex into its basis species: the dissociation, logK = -pK.
#include "decimal.h"
#include "reaction.h"
#include "tavrix/exports/exports.h"
#include "tavrix/numeric/number_text.h"

namespace tavrix {
namespace {

using exports::Naming;

constexpr int kLogKDigits = 10;  // as `tavrix pk` prints pK

}  // namespace

std::vector<GridPoint> Eq36Grid() {
  return {{0.01f, 0}, {25, 0}, {60, 0}, {100, 0}, {150, 0}, {200, 0}, {250, 0}, {300, 0}};
}

ExportResult LogKGrid(const ExportedFit& fit, const std::vector<GridPoint>& points,
                      GridFormat format) {
  const exports::ReactionOrError reaction = exports::ReactionOf(fit);
  if (!reaction.error.empty()) return {"", reaction.error};
  if (!fit.covariance) return {"", "u(logK) needs the covariance of the fit"};
  const std::string sep = format == GridFormat::kCsv ? "," : "\t";

  std::string text =
      "# logK of the dissociation " + reaction.reaction.Dissociation(Naming::kPhreeqc) +
      " (logK = -pK) from the RB fit of \"" + fit.title + "\" (" + exports::WrittenBy() + ")\n";
  text +=
      "# u_logK: its uncertainty (about 95 %, as the fit's +/- values); "
      "along saturation P is 1.01325 bar below 100 C\n";
  text += "t_C" + sep + "P_bar" + sep + "density_g_cm3" + sep + "logK" + sep + "u_logK\n";
  for (const GridPoint& point : points) {
    const std::optional<float> P = point.P == 0 ? CodesSaturationPressure(point.t) : point.P;
    if (!P) {
      return {"", "no saturation pressure at " + exports::Shortest(point.t) +
                      " C (above the critical temperature): give the grid a pressure"};
    }
    const std::optional<PkAtPoint> pK = PkAtPressure(fit, point.t, *P);
    if (!pK) {
      return {"", "the equation of state gives no density of water at " +
                      exports::Shortest(point.t) + " C and " + exports::Shortest(*P) + " bar"};
    }
    text += exports::Shortest(point.t) + sep + exports::Shortest(*P) + sep +
            exports::Shortest(pK->density) + sep + SignificantText(-pK->pK, kLogKDigits) + sep +
            SignificantText(*pK->u, kLogKDigits) + "\n";
  }
  return {text, ""};
}

}  // namespace tavrix
