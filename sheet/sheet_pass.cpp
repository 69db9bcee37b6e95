#include "tavrix/sheet/sheet_pass.h"

#include "sheet_reader.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/fit_error.h"
#include "tavrix/sheet/layout.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

void ReportError(const Problem& problem, const ReadOutcome& outcome, View& view) {
  view.SetWindowState(WindowState::kCompact);
  view.SetCaption(kProgramName);
  view.ShowMessage(problem.ErrText + " (row=" + std::to_string(outcome.row) +
                       ", col=" + std::to_string(outcome.col) + ")",
                   MessageIcon::kCritical);
}

// Basis terms of every point, its weight class, and the "<" list.
void EvaluatePoints(Problem& p) {
  const auto n = static_cast<std::size_t>(p.NPoints);
  p.PtBasis.assign(n + 1, {0, 0, 0, 0});
  p.RestrList.assign(1, 0);
  p.NRestr = p.NWeighted = p.NZero = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    const float T = KelvinOf(p.PtT[k]);
    const RBBasisTerms basis = RBBasis(T, p.PtD[k]);
    p.PtBasis[k] = {p.PtPK[k], basis.tau, basis.Q, basis.QOverT};
    const float w = p.PtW[k];
    if (w > 0) {
      ++p.NWeighted;
    } else if (w == 0) {
      ++p.NZero;
    } else {
      ++p.NRestr;
      p.RestrList.push_back(static_cast<int>(k));
    }
  }
}

// The weighted normal matrix and its right-hand side.
void FormNormalSums(Problem& p) {
  for (auto& row : p.NormMat) row.fill(0);
  for (std::size_t i = 1; i <= 3; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      double S = 0;
      for (std::size_t k = 1; k <= static_cast<std::size_t>(p.NPoints); ++k) {
        const double w = p.PtW[k];
        if (w > 0) S = S + p.PtBasis[k][i] * p.PtBasis[k][j] * w * w;
      }
      p.NormMat[i][j] = S;
      if (j > 0 && j < i) p.NormMat[j][i] = S;
    }
  }
}

// The plain numeric test of a cell: numbers, text the locale reads as a
// number, and an empty cell pass.
bool PassesPlainNumericTest(const std::string& text, bool decComma) {
  return text.empty() || TextToDouble(text, decComma).has_value();
}

}  // namespace

std::string WindowCaption(const std::string& bookName, const std::string& sheetName) {
  const bool xls = bookName.size() >= 4 && bookName.compare(bookName.size() - 4, 4, ".xls") == 0;
  return (xls ? bookName.substr(0, bookName.size() - 4) : bookName) + ": " + sheetName;
}

void SheetPass(Problem& problem, SheetHost& sheet, View& view, const std::string& bookName,
               const std::string& sheetName) {
  problem.ErrCode = kNoError;
  problem.DecComma = DetectDecimalComma();
  problem.BookName = bookName;
  problem.SheetName = sheetName;

  const ReadOutcome outcome = ReadSheet(problem, sheet, view);
  problem.ErrCode = outcome.code;
  problem.ErrText = ErrorMessage(outcome.code);
  problem.ErrDetail = outcome.detail;
  if (problem.ErrCode != kNoError) {
    ReportError(problem, outcome, view);
    return;
  }

  EvaluatePoints(problem);
  view.SetWindowState(problem.NRestr > 0 ? WindowState::kWithRestrictions : WindowState::kStandard);
  view.SetCaption(WindowCaption(problem.BookName, problem.SheetName));
  for (int i = 0; i < 3; ++i) {
    view.SetFitParameter(i, !sheet.CellText(layout::ParamRow(i), layout::kColG).empty());
  }
  DefaultFitFlags(sheet, view, problem.DecComma);
  UpdateOptimizeButton(problem, view);
  view.ProcessPendingMessages();
  FormNormalSums(problem);
  FitError(problem, problem.IniPar, kFitErrorInitial, sheet);
  ShowParams(problem, sheet, view);
}

void DefaultFitFlags(SheetHost& sheet, View& view, bool decComma) {
  for (int i = 0; i < 3; ++i) {
    if (!PassesPlainNumericTest(sheet.CellText(layout::ParamRow(i), layout::kColE), decComma)) {
      view.SetFitParameter(i, true);
    }
  }
}

void UpdateOptimizeButton(const Problem& problem, View& view) {
  int k = 0;
  for (int i = 0; i < 3; ++i) k += view.FitParameter(i) ? 1 : 0;
  view.SetOptimizeEnabled(k <= problem.NPoints && problem.NPoints > 0 && k > 0);
}

void ShowParams(const Problem& problem, SheetHost& sheet, View& view) {
  for (int i = 0; i < 3; ++i) {
    const int row = layout::ParamRow(i);
    std::string s = sheet.CellText(row, layout::kColB);
    for (const int col : {layout::kColF, layout::kColE, layout::kColB}) {
      const std::string text = sheet.CellText(row, col);
      if (IsNumericText(text, problem.DecComma)) {
        s = FormatMasked(problem.ParFmt[static_cast<std::size_t>(i)],
                         *TextToDouble(text, problem.DecComma));
        break;
      }
    }
    if (problem.DecComma) {
      const auto point = s.find('.');
      if (point != std::string::npos) s[point] = ',';
    }
    view.SetParameterLabel(i, s);
  }
}

}  // namespace tavrix
