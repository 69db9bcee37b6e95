// FormatMasked on any mask and any double: the text always has the mask's
// length, and the mask comes back whenever the number is not finite.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "tavrix/numeric/format_masked.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double x;
  std::memcpy(&x, data, sizeof x);
  const std::string mask(reinterpret_cast<const char*>(data) + sizeof x, size - sizeof x);
  const std::string text = tavrix::FormatMasked(mask, x);
  if (text.size() != mask.size()) __builtin_trap();
  if (!std::isfinite(x) && text != mask) __builtin_trap();
  return 0;
}
