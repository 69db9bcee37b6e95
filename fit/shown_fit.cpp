#include "tavrix/fit/shown_fit.h"

#include <cmath>
#include <optional>

#include "tavrix/model/parameters.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {

ShownFit CheckShownFit(SheetHost& host, const RBPar& fitted, bool decComma) {
  ShownFit result{false, fitted};
  for (int index = 0; index < kParameterCount; ++index) {
    const std::string t = host.CellText(layout::ParamRow(index), layout::kColF);
    if (!IsNumericText(t, decComma)) return result;

    const char* const mask = kParameters[static_cast<std::size_t>(index)].mask;
    const double value = ParamValue(result.parameters, index);
    if (!HasValue(value)) return result;  // no value to show
    const auto shown = [&](double x) {
      return static_cast<float>(LeadingNumber(FormatMasked(mask, x)));
    };
    float v2 = shown(static_cast<float>(value));
    // The fit shows pK(298) from its double value: where that and its
    // single-precision value round to different last digits, the sheet
    // shows the fit as written.
    const std::optional<float> t2 = TextToFloat(t, decComma);
    if (t2 != v2 && index == 0 && t2 == shown(value)) v2 = shown(value);
    if (t2 != v2) return result;
    SetParam(result.parameters, index, v2);
  }
  result.shown = true;
  return result;
}

}  // namespace tavrix
