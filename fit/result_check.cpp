#include <cmath>
#include <optional>

#include "tavrix/fit/fit_result.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {

bool ResultIsShown(Problem& problem, SheetHost& sheet, const View& view) {
  if (view.GetWindowState() == WindowState::kCompact) return false;
  for (int c = 0; c < 3; ++c) {
    const std::string t = sheet.CellText(layout::ParamRow(c), layout::kColF);
    if (!IsNumericText(t, problem.DecComma)) return false;

    const std::string& mask = problem.ParFmt[static_cast<std::size_t>(c)];
    float* single = c == 1 ? &problem.OptPar.A : (c == 2 ? &problem.OptPar.B : nullptr);
    const double value = single ? *single : problem.OptPar.pK298;
    if (!(std::fabs(value) < kUndefinedFrom)) return false;  // no value to show
    const auto shown = [&](double x) { return static_cast<float>(LeadingNumber(FormatMasked(mask, x))); };
    const auto v = static_cast<float>(value);
    float v2 = shown(v);
    // The write-back shows pK(298) from its double value: where that and its
    // single-precision value round to different last digits, the sheet
    // shows the fit as written.
    const std::optional<float> t2 = TextToFloat(t, problem.DecComma);
    if (t2 != v2 && !single && t2 == shown(value)) v2 = shown(value);
    if (t2 != v2) return false;
    if (single)
      *single = v2;
    else
      problem.OptPar.pK298 = v2;
  }
  return true;
}

std::vector<std::string> BuildPkTable(Problem& problem, SheetHost& sheet) {
  ComplexIsCharged(problem.Species);
  PkTableInput input;
  input.title = PkTableTitle(sheet.CellText(layout::kComplexRow, layout::kColC));
  input.par = problem.OptPar;
  input.species = problem.Species;
  input.noLimits = problem.NoLimits;
  input.decComma = problem.DecComma;
  return PkTableLines(input);
}

}  // namespace tavrix
