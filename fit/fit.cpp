#include "tavrix/fit/fit.h"

#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr double kSmallestShown = 0.0005;

// A parameter that its cell's mask cannot show.
std::optional<std::string> TooLargeForItsCell(const RBPar& par) {
  for (int index = 0; index < kParameterCount; ++index) {
    const ParameterInfo& info = kParameters[static_cast<std::size_t>(index)];
    const double value = ParamValue(par, index);
    if (FormatMasked(info.mask, value) == info.mask) {
      return std::string("the fit gives ") + info.name + " = " + SignificantText(value, 4) +
             ", too large for its cell (" + info.mask + ")";
    }
  }
  return std::nullopt;
}

RBPar RBParOf(const ModelValues& values) {
  return {values[0], static_cast<float>(values[1]), static_cast<float>(values[2])};
}

}  // namespace

FitOutcome Fit(const DataSheet& sheet, const Evaluation& evaluation, const FitOptions& options) {
  const RBPar& initial = sheet.initial;
  const ModelFitOptions modelOptions{
      options.fitted, {initial.pK298, initial.A, initial.B}, options.enforceLimits};
  FitOutcome outcome{FitModel(ModelEvaluationOf(sheet, evaluation), modelOptions), {}};
  if (!outcome) return outcome;
  outcome.parameters = RBParOf(outcome.values);
  if (const auto reason = TooLargeForItsCell(outcome.parameters)) {
    FitOutcome failure;
    failure.fitted = options.fitted;
    failure.reason = *reason;
    return failure;
  }
  return outcome;
}

CellContent OptimizedCell(int index, const RBPar& parameters) {
  return CellValue(FormatMasked(kParameters[static_cast<std::size_t>(index)].mask,
                                ParamValue(parameters, index)));
}

CellContent UncertaintyCell(int index, const FitOutcome& outcome) {
  const std::optional<double> u = outcome.Uncertainty(index);
  if (!u) return CellContent::Text("");
  if (!(*u > kSmallestShown)) return CellContent::Text("optimized");
  return CellValue(FormatMasked(kParameters[static_cast<std::size_t>(index)].mask, *u));
}

void WriteFitOutcome(SheetHost& host, const FitOutcome& outcome) {
  host.ClearCells({layout::kFirstParamRow, layout::kColF, layout::kErrorRow, layout::kColG});
  if (!outcome) return;
  WritePointResults(host, outcome.errors.points);
  WriteFitError(host, FitErrorCell::kOptimized, outcome.errors.total);
  for (int index = 0; index < kParameterCount; ++index) {
    host.SetCell(layout::ParamRow(index), layout::kColF, OptimizedCell(index, outcome.parameters));
  }
  for (int index = 0; index < kParameterCount; ++index) {
    host.SetCell(layout::ParamRow(index), layout::kColG, UncertaintyCell(index, outcome));
  }
}

}  // namespace tavrix
