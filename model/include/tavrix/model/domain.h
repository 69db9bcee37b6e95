#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrix {

// Where the RB model gives a pK, by the rules of the pK table: every place
// that gives the pK of a fit at chosen conditions asks this.
//
//   kNone               a value
//   kOutsideConfidence  a value, outside the model's range of confidence ("?")
//   kGas                no value: water at or below the gas density ("gas")
//   kSteam              no value: a pressure below the saturation pressure of
//                       the temperature, where the equation of state gives
//                       steam ("steam"), also where the density is gas
//   kNoSaturation       no value: saturation above the critical temperature ("---")
//   kNoDensity          no value: the equation of state gives no density ("error";
//                       the pK table shows it as gas unless the limits are lifted)
//
// With the limits lifted (/ie), gas has a value and is marked as its
// density's range of confidence says, and steam has a value and keeps its
// mark.
enum class PkMark { kNone, kOutsideConfidence, kGas, kSteam, kNoSaturation, kNoDensity };

// The mark as the program writes it: "", "?", "gas", "steam", "---", "error".
std::string_view MarkText(PkMark mark);

// How a condition "at saturation" (pressure 0) is taken: as the data sheet
// and the table take it (the saturation pressure, raised to 1 bar), or as
// speciation codes tabulate logK (1.01325 bar below 100 C).
enum class SaturationRule { kSheet, kCodes };

struct DomainRules {
  bool charged = false;   // decides the range of confidence
  bool noLimits = false;  // /ie: lifts the gas and steam limits
  SaturationRule saturation = SaturationRule::kSheet;
};

// A condition classified: where the model is evaluated, and whether it has
// a value there.
struct ModelCondition {
  float t = 0;             // degrees C
  std::optional<float> P;  // bar as used; none where the density was given or none exists
  float density = 0;       // g/cm3; 0 where there is none
  PkMark mark = PkMark::kNone;
  bool hasValue = false;  // the model may be evaluated at (t, density)
};

// At t (degrees C) and P (bar, 0 for saturation).
ModelCondition ConditionAtPressure(float t, float P, const DomainRules& rules);
// At t and a density given (g/cm3, above 0).
ModelCondition ConditionAtDensity(float t, float density, const DomainRules& rules);

// The pressure of a condition at saturation, by the rule; none at and above
// the critical temperature.
std::optional<float> SaturationPressureOf(float t, SaturationRule rule);

// The span of the data a fit was made from: the temperatures and densities
// of its weighted points. A value outside it is extrapolated.
struct DataSpan {
  float tLow, tHigh;              // degrees C
  float densityLow, densityHigh;  // g/cm3
  // Whether t and the density lie within it; a density of 0 (none known) is
  // not asked about.
  bool Contains(float t, float density) const;
  // "23–810 °C, 0.28–1.07 g/cm3", with a decimal comma when asked.
  std::string Text(bool decComma = false) const;
};

}  // namespace tavrix
