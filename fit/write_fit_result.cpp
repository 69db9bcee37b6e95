#include <cmath>

#include "tavrix/fit/optimize.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/fit_error.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr double kSmallestShown = 0.0005;

// t(dof) sqrt(NWeighted / dof) S, where t approximates the two-sided 95 %
// quantile of Student's t distribution; 0 without degrees of freedom.
double CoverageFactor(int weighted, int dof, double S) {
  if (dof <= 0) return 0;
  return (0.91 * std::exp(2.55 / dof) + 1.05) * std::sqrt(static_cast<double>(weighted) / dof) * S;
}

double Sign(double v) {
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// The uncertainty as the cell holds it: the number its parameter's mask
// shows, or "optimized" when it is too small to show.
CellContent Uncertainty(double u, const std::string& mask) {
  if (!(u > kSmallestShown)) return CellContent::Text("optimized");
  return CellValue(FormatMasked(mask, u));
}

double ParamValue(const RBPar& par, int index) {
  if (index == 0) return par.pK298;
  return index == 1 ? par.A : par.B;
}

}  // namespace

void WriteFitResult(const Problem& problem, const FitMat& inverse, SheetHost& sheet,
                    const View& view) {
  int fitted = 0;
  for (int box = 0; box < 3; ++box) fitted += view.FitParameter(box) ? 1 : 0;
  const int dof = problem.NWeighted - fitted;

  const double S = FitError(problem, problem.OptPar, kFitErrorOptimized, sheet);
  const double coverage = CoverageFactor(problem.NWeighted, dof, S);

  for (int j = 0; j < 3; ++j) {
    const std::string& mask = problem.ParFmt[static_cast<std::size_t>(j)];
    sheet.SetCell(layout::ParamRow(j), layout::kColF,
                  CellValue(FormatMasked(mask, ParamValue(problem.OptPar, j))));
  }

  int k = 0;
  for (int j = 0; j < 3; ++j) {
    CellContent uncertainty = CellContent::Text("");
    if (view.FitParameter(j)) {
      ++k;
      const double v = inverse(k, k);
      const double u = std::sqrt(std::fabs(v)) * coverage * Sign(v);
      uncertainty = Uncertainty(u, problem.ParFmt[static_cast<std::size_t>(j)]);
    }
    sheet.SetCell(layout::ParamRow(j), layout::kColG, uncertainty);
  }
}

}  // namespace tavrix
