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
                      GridFormat format, bool noLimits) {
  const exports::ReactionOrError reaction = exports::ReactionOf(fit);
  if (!reaction.error.empty()) return {"", reaction.error};
  if (!fit.Fitted().covariance) return {"", "u(logK) needs the covariance of the fit"};
  const std::string sep = format == GridFormat::kCsv ? "," : "\t";

  std::string text = "# logK of the dissociation " +
                     reaction.reaction.Dissociation(Naming::kPhreeqc) + " (logK = -pK) from the " +
                     fit.Fitted().model->label + " fit of \"" + fit.title + "\" (" +
                     exports::WrittenBy() + ")\n";
  text +=
      "# u_logK: its uncertainty (about 95 %, as the fit's +/- values); "
      "along saturation P is 1.01325 bar below 100 C\n";
  text +=
      "# mark: no logK where the model has none (gas, steam, --- above the critical "
      "temperature at saturation); ? outside its range of confidence\n";
  text += "# extrapolated: 1 outside the data of the fit";
  if (fit.span) {
    const DataSpan& span = *fit.span;
    text += " (t " + exports::Shortest(span.tLow) + " to " + exports::Shortest(span.tHigh) +
            " C, density " + exports::Shortest(span.densityLow) + " to " +
            exports::Shortest(span.densityHigh) + " g/cm3)";
  }
  text += "\n";
  text += "t_C" + sep + "P_bar" + sep + "density_g_cm3" + sep + "logK" + sep + "u_logK" + sep +
          "mark" + sep + "extrapolated\n";
  for (const GridPoint& point : points) {
    const PkAtPoint pK = PkAtPressure(fit, point.t, point.P, {noLimits, SaturationRule::kCodes});
    const ModelCondition& c = pK.condition;
    text += exports::Shortest(point.t) + sep + (c.P ? exports::Shortest(*c.P) : "") + sep +
            (c.density > 0 ? exports::Shortest(c.density) : "") + sep +
            (pK.pK ? SignificantText(-*pK.pK, kLogKDigits) : "") + sep +
            (pK.u ? SignificantText(*pK.u, kLogKDigits) : "") + sep +
            std::string(MarkText(c.mark)) + sep + (pK.extrapolated ? "1" : "0") + "\n";
  }
  return {text, ""};
}

}  // namespace tavrix
