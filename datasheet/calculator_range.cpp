#include "tavrix/datasheet/calculator_range.h"

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/water/water.h"

namespace tavrix {

std::string CalculatorRangeError(float t, float second, SecondValue kind, const std::string& tText,
                                 const std::string& secondText) {
  if (!(t > kAbsoluteZeroCelsius && t <= kMaxCalculatorCelsius)) {
    return "a temperature must lie above -273.15 and at most 10000 degrees C: '" + tText + "'";
  }
  if (kind == SecondValue::kPressure && !(second >= 0 && second <= kMaxCalculatorPressure)) {
    return "a pressure must lie from 0 (saturation) to 100000 bar: '" + secondText + "'";
  }
  if (kind == SecondValue::kDensity && !(second > 0 && second <= kMaxDensity)) {
    return "a density must lie above 0 and at most 2 g/cm3: '" + secondText + "'";
  }
  return "";
}

}  // namespace tavrix
