#include "tavrix/sheet/fit_error.h"

#include <cmath>

#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr char kMask[] = "####.###";

bool Undefined(double x) {
  return x > static_cast<double>(kUndefinedFrom);
}

CellContent MaskedOrUnknown(double x) {
  if (x < kUndefinedFrom) return CellValue(FormatMasked(kMask, x));
  return CellContent::Text("?");
}

}  // namespace

double CalculatedPk(const Problem& problem, const RBPar& par, int k) {
  const auto& basis = problem.PtBasis[static_cast<std::size_t>(k)];
  if (Undefined(par.pK298)) return kMissing;
  double calc = par.pK298 * basis[1];
  if (Undefined(par.A)) return kMissing;
  calc = calc + par.A * basis[2];
  if (Undefined(par.B)) return kMissing;
  return calc + par.B * basis[3];
}

double FitError(const Problem& problem, const RBPar& par, int col, SheetHost& sheet) {
  double S = 0;
  double W = 0;
  if (col == kFitErrorOptimized && problem.NPoints > 0) {
    sheet.SetNumberFormat({layout::PointRow(1), layout::kColF, layout::PointRow(problem.NPoints),
                           layout::kColG},
                          NumberFormatOf(kMask));
  }
  for (int k = 1; k <= problem.NPoints; ++k) {
    const double calc = CalculatedPk(problem, par, k);
    const bool defined = calc < kUndefinedFrom;
    const int row = layout::PointRow(k);
    if (col == kFitErrorOptimized)
      sheet.SetCell(row, layout::kColF, MaskedOrUnknown(calc));
    if (defined) {
      const double d = calc - problem.PtPK[static_cast<std::size_t>(k)];
      const double w = problem.PtW[static_cast<std::size_t>(k)];
      if (col == kFitErrorOptimized) {
        sheet.SetCell(row, layout::kColG, CellValue(FormatMasked(kMask, d)));
      }
      if (w > 0) {
        S = S + (w * d) * (w * d);
        W = W + w * w;
      }
    } else if (col == kFitErrorOptimized) {
      sheet.SetCell(row, layout::kColG, CellContent::Text(""));
    }
  }

  const double result = W != 0 ? std::sqrt(S / W) : kMissing;
  if (col != kFitErrorNoOutput) {
    sheet.SetCell(layout::kErrorRow, col, MaskedOrUnknown(result));
  }
  return result;
}

}  // namespace tavrix
