#include "tavrix/datasheet/fit_error.h"

#include <cmath>

#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

// Adds a weighted point's deviation to the sums.
struct Sums {
  double S = 0;
  double W = 0;
  void Add(double w, double d) {
    if (w > 0) {
      S = S + (w * d) * (w * d);
      W = W + w * w;
    }
  }
  double Error() const { return W != 0 ? std::sqrt(S / W) : kMissing; }
};

CellContent MaskedOrUnknown(double x) {
  if (x < kUndefinedFrom) return CellValue(FormatMasked(kPointMask, x));
  return CellContent::Text("?");
}

// Every point's result and the weighted RMS deviation: `calculated(k)` is
// point k's calculated pK (kMissing where there is none), `weight(k)` and
// `pK(k)` its weight and experimental pK.
template <typename Calculated, typename Weight, typename Pk>
FitErrors ErrorsOf(std::size_t count, Calculated calculated, Weight weight, Pk pK) {
  FitErrors errors;
  Sums sums;
  for (std::size_t k = 0; k < count; ++k) {
    PointResult result;
    const double calc = calculated(k);
    if (calc < kUndefinedFrom) {
      const double d = calc - pK(k);
      result = {calc, d};
      sums.Add(weight(k), d);
    }
    errors.points.push_back(result);
  }
  errors.total = sums.Error();
  return errors;
}

}  // namespace

FitErrors FitErrorAtPoints(const DataSheet& sheet, const Evaluation& evaluation, const RBPar& par) {
  return ErrorsOf(
      sheet.points.size(),
      [&](std::size_t k) { return RBpKOrMissing(par, evaluation.terms[k].basis); },
      [&](std::size_t k) { return sheet.points[k].weight; },
      [&](std::size_t k) { return sheet.points[k].pK; });
}

double FitError(const DataSheet& sheet, const Evaluation& evaluation, const RBPar& par) {
  return FitErrorAtPoints(sheet, evaluation, par).total;
}

FitErrors FitErrorAtPoints(const ModelEvaluation& evaluation, const ModelValues& values) {
  return ErrorsOf(
      evaluation.rows.size(),
      [&](std::size_t k) {
        return ModelPkOrMissing(*evaluation.model, values, evaluation.rows[k]);
      },
      [&](std::size_t k) { return evaluation.weight[k]; },
      [&](std::size_t k) { return evaluation.pK[k]; });
}

double FitError(const ModelEvaluation& evaluation, const ModelValues& values) {
  return FitErrorAtPoints(evaluation, values).total;
}

CellContent FitErrorContent(double error) {
  return MaskedOrUnknown(error);
}

void WriteFitError(SheetHost& host, FitErrorCell cell, double error) {
  const int col = cell == FitErrorCell::kInitial ? layout::kColE : layout::kColF;
  host.SetCell(layout::kErrorRow, col, FitErrorContent(error));
}

void WritePointResults(SheetHost& host, const std::vector<PointResult>& points) {
  const int n = static_cast<int>(points.size());
  if (n > 0) {
    host.SetNumberFormat({layout::PointRow(1), layout::kColF, layout::PointRow(n), layout::kColG},
                         NumberFormatOf(kPointMask));
  }
  for (int k = 1; k <= n; ++k) {
    const PointResult& result = points[static_cast<std::size_t>(k - 1)];
    host.SetCell(layout::PointRow(k), layout::kColF,
                 MaskedOrUnknown(result.calculated.value_or(kMissing)));
    host.SetCell(layout::PointRow(k), layout::kColG,
                 result.deviation ? CellValue(FormatMasked(kPointMask, *result.deviation))
                                  : CellContent::Text(""));
  }
}

}  // namespace tavrix
