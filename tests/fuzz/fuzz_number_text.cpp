// The numeric test and the conversions of cell text agree with each other
// on any text, under either decimal separator.
#include <cmath>
#include <cstdint>
#include <string>

#include "tavrix/numeric/number_text.h"

using namespace tavrix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const bool comma : {false, true}) {
    const bool numeric = IsNumericText(text, comma);
    const auto value = TextToDouble(text, comma);
    if (numeric && !value) __builtin_trap();
    if (value && !std::isfinite(*value)) __builtin_trap();
    if (!comma) {
      const CellContent cell = CellValue(text);
      if (cell.IsNumber() != numeric) __builtin_trap();
      if (!numeric && cell.text() != text) __builtin_trap();
    }
    if (numeric) {
      // What a sheet shows of the number reads back as the same number.
      const auto again = TextToDouble(GeneralText(*value, comma), comma);
      if (!again || std::fabs(*again - *value) > 1e-14 * std::fabs(*value)) __builtin_trap();
    }
    const auto single = TextToFloat(text, comma);
    if (single && !std::isfinite(*single)) __builtin_trap();
  }
  (void)LeadingNumber(text);
  return 0;
}
