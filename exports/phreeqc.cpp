// The PHREEQC SOLUTION_SPECIES block: PHREEQC defines an aqueous complex
// by its formation from the master species, the complex first on the
// right, with the log K of that reaction.
#include <cmath>

#include "decimal.h"
#include "reaction.h"
#include "tavrix/exports/exports.h"
#include "tavrix/numeric/number_text.h"

namespace tavrix {
namespace {

using exports::Naming;

constexpr float kStandardT = 25.0f;      // C
constexpr float kStandardP = 1.01325f;   // bar
constexpr double kDeviationUnit = 1e-4;  // the stated deviation is rounded up to it

// A comment line's text on one line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::string RangeText(float tLow, float tHigh) {
  return exports::Shortest(tLow) + " to " + exports::Shortest(tHigh) + " C";
}

}  // namespace

ExportResult PhreeqcBlock(const ExportedFit& fit, float tLow, float tHigh) {
  const exports::ReactionOrError reaction = exports::ReactionOf(fit);
  if (!reaction.error.empty()) return {"", reaction.error};
  const std::optional<AnalyticFit> analytic = FitAnalytic(fit.Fitted(), tLow, tHigh);
  const PkAtPoint standard = PkAtPressure(fit, kStandardT, kStandardP);
  if (!analytic || !standard.pK) {
    return {"", "no -analytic fit along saturation over " + RangeText(tLow, tHigh) +
                    ": the range must lie from 0 C to below the critical temperature"};
  }
  const exports::Reaction& r = reaction.reaction;
  // The deviation as stated, rounded up: it never understates it.
  double deviation = std::floor(analytic->deviation / kDeviationUnit) * kDeviationUnit;
  if (deviation < analytic->deviation) deviation += kDeviationUnit;
  const std::string deviationText = exports::Fixed(deviation, 4);

  const std::string model = fit.Fitted().model->label;
  std::string text = "# " + r.Symbol(r.complex, Naming::kPhreeqc) + " from the " + model +
                     " fit of \"" + OneLine(fit.title) + "\" (" + exports::WrittenBy() + ")\n";
  text += "# log K of the formation below is +pK of the dissociation " +
          r.Dissociation(Naming::kPhreeqc) + "\n";
  text += "# log_k at 25 C and 1.01325 bar";
  if (standard.u) text += ", u(log K) " + SignificantText(*standard.u, 3) + " (about 95 %)";
  text += "\n# -analytic: " + std::to_string(analytic->terms) +
          " of its 6 terms fitted to +pK along saturation (1.01325 bar below 100 C) from " +
          RangeText(tLow, tHigh) + "; largest deviation " + deviationText + " log units";
  if (analytic->deviation > kAnalyticTolerance) {
    text += ", more than " + SignificantText(kAnalyticTolerance, 1) + " even with all six";
  }
  text += "\n# Databases with molar volumes (-Vm, e.g. phreeqc.dat) add their own pressure term\n";
  text += "# above 100 C, which the " + model + " fit does not know about.\n";
  text += "SOLUTION_SPECIES\n";
  text += r.Formation(Naming::kPhreeqc) + "\n";
  text += "    log_k     " + exports::Shortest(*standard.pK) + "\n";
  text += "    -analytic";
  for (const double A : analytic->A) text += " " + exports::Shortest(A);
  text += "\n";
  std::string warning;
  if (analytic->deviation > kAnalyticTolerance) {
    warning = "the -analytic expression deviates up to " + deviationText + " from the " + model +
              " pK along saturation from " + RangeText(tLow, tHigh) +
              "; a narrower range follows it closer";
  }
  return {text, "", warning};
}

}  // namespace tavrix
