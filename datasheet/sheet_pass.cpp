#include "tavrix/datasheet/sheet_pass.h"

#include "tavrix/datasheet/fit_error.h"
#include "tavrix/model/parameters.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {

SheetPassResult PassOverSheet(SheetHost& host, const ReadSettings& settings) {
  SheetPassResult pass;
  pass.read = ReadDataSheet(host, settings);
  if (!pass.clean()) return pass;
  pass.evaluation = Evaluate(pass.read.sheet);
  pass.initialError = FitError(pass.read.sheet, pass.evaluation, pass.read.sheet.initial);
  WriteFitError(host, FitErrorCell::kInitial, pass.initialError);
  return pass;
}

ParameterChoice MarkedForFit(SheetHost& host, bool decComma) {
  ParameterChoice choice{};
  for (int i = 0; i < kParameterCount; ++i) {
    const int row = layout::ParamRow(i);
    const std::string initial = host.CellText(row, layout::kColE);
    // The plain numeric test: numbers, text the locale reads as a number,
    // and an empty cell pass.
    const bool held = initial.empty() || TextToDouble(initial, decComma).has_value();
    choice[static_cast<std::size_t>(i)] = !host.CellText(row, layout::kColG).empty() || !held;
  }
  return choice;
}

std::string ShownParameter(SheetHost& host, int index, bool decComma) {
  const int row = layout::ParamRow(index);
  std::string shown = host.CellText(row, layout::kColB);
  for (const int col : {layout::kColF, layout::kColE, layout::kColB}) {
    const std::string text = host.CellText(row, col);
    if (IsNumericText(text, decComma)) {
      shown = FormatMasked(kParameters[static_cast<std::size_t>(index)].mask,
                           *TextToDouble(text, decComma));
      break;
    }
  }
  if (decComma) {
    const auto point = shown.find('.');
    if (point != std::string::npos) shown[point] = ',';
  }
  return shown;
}

}  // namespace tavrix
