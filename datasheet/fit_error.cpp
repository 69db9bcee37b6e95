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

}  // namespace

double FitError(const DataSheet& sheet, const Evaluation& evaluation, const RBPar& par) {
  Sums sums;
  for (std::size_t k = 0; k < sheet.points.size(); ++k) {
    const double calc = RBpKOrMissing(par, evaluation.terms[k].basis);
    if (calc < kUndefinedFrom) sums.Add(sheet.points[k].weight, calc - sheet.points[k].pK);
  }
  return sums.Error();
}

FitErrors FitErrorAtPoints(const DataSheet& sheet, const Evaluation& evaluation, const RBPar& par) {
  FitErrors errors;
  Sums sums;
  for (std::size_t k = 0; k < sheet.points.size(); ++k) {
    PointResult result;
    const double calc = RBpKOrMissing(par, evaluation.terms[k].basis);
    if (calc < kUndefinedFrom) {
      const double d = calc - sheet.points[k].pK;
      result = {calc, d};
      sums.Add(sheet.points[k].weight, d);
    }
    errors.points.push_back(result);
  }
  errors.total = sums.Error();
  return errors;
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
