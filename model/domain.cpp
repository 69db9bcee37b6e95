#include "tavrix/model/domain.h"

#include <algorithm>

#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr float kHundredCelsius = 100.0f;
constexpr float kOneAtmosphere = 1.01325f;  // bar

// The mark of a condition whose density is known (rho <= 0: none found).
ModelCondition Classified(ModelCondition c, float rho, bool steam, const DomainRules& rules) {
  c.density = rho > 0 ? rho : 0;
  if (!(rho > 0)) {
    c.mark = steam ? PkMark::kSteam : PkMark::kNoDensity;
    return c;
  }
  c.hasValue = true;
  if (steam) {
    c.mark = PkMark::kSteam;
    c.hasValue = rules.noLimits;
  } else if (rho <= kGasDensity && !rules.noLimits) {
    c.mark = PkMark::kGas;
    c.hasValue = false;
  } else {
    c.mark = InRangeOfConfidence(rho, rules.charged) ? PkMark::kNone : PkMark::kOutsideConfidence;
  }
  return c;
}

std::string Range(float low, float high, int digits, bool decComma) {
  const auto text = [&](float x) {
    std::string s = ShortNumber(x, digits);
    if (decComma) std::replace(s.begin(), s.end(), '.', ',');
    return s;
  };
  return low == high ? text(low) : text(low) + "\u2013" + text(high);
}

}  // namespace

std::string_view MarkText(PkMark mark) {
  switch (mark) {
    case PkMark::kNone:
      return "";
    case PkMark::kOutsideConfidence:
      return "?";
    case PkMark::kGas:
      return "gas";
    case PkMark::kSteam:
      return "steam";
    case PkMark::kNoSaturation:
      return "---";
    case PkMark::kNoDensity:
      break;
  }
  return "error";
}

std::optional<float> SaturationPressureOf(float t, SaturationRule rule) {
  if (rule == SaturationRule::kSheet) return SaturationPoint(KelvinOf(t));
  if (t < kHundredCelsius) return kOneAtmosphere;
  const float T = KelvinOf(t);
  if (T >= kCriticalT) return std::nullopt;
  return SatPressure(T);
}

ModelCondition ConditionAtPressure(float t, float P, const DomainRules& rules) {
  ModelCondition c;
  c.t = t;
  const float T = KelvinOf(t);
  bool steam = false;
  if (P == 0) {
    const std::optional<float> saturation = SaturationPressureOf(t, rules.saturation);
    if (!saturation) {
      c.mark = PkMark::kNoSaturation;
      return c;
    }
    P = *saturation;
  } else {
    steam = T < kCriticalT && P < SatPressure(T);
  }
  c.P = P;
  return Classified(c, WaterDensity(T, P), steam, rules);
}

ModelCondition ConditionAtDensity(float t, float density, const DomainRules& rules) {
  ModelCondition c;
  c.t = t;
  return Classified(c, density, false, rules);
}

bool DataSpan::Contains(float t, float density) const {
  const bool densityInside = density == 0 || (density >= densityLow && density <= densityHigh);
  return t >= tLow && t <= tHigh && densityInside;
}

std::string DataSpan::Text(bool decComma) const {
  return Range(tLow, tHigh, 4, decComma) + " \u00B0C, " +
         Range(densityLow, densityHigh, 3, decComma) + " g/cm3";
}

}  // namespace tavrix
