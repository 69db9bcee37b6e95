#include "tavrix/app/presenter.h"

#include "tavrix/datasheet/fit_error.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/export.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/fit/table_of_fit.h"
#include "tavrix/numeric/number_text.h"

namespace tavrix {

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

  SheetRead read = ReadDataSheet(sheet, {problem.NoLimits, problem.DecComma});
  if (read.error) {
    problem.ErrCode = read.error->code;
    view.SetWindowState(WindowState::kCompact);
    view.SetCaption(kProgramName);
    view.ShowMessage(read.error->Message(), MessageIcon::kCritical);
    return;
  }
  const int points = static_cast<int>(read.sheet.points.size());
  if (points != problem.LastNPoints) {
    problem.LastNPoints = points;
    view.ShowMessage("Number of experimental points: " + std::to_string(points),
                     MessageIcon::kInformation);
  }

  problem.Sheet = std::move(read.sheet);
  problem.Eval = Evaluate(problem.Sheet);
  problem.OptPar = problem.Sheet.optimized;
  view.SetWindowState(problem.Eval.limits.empty() ? WindowState::kStandard
                                                  : WindowState::kWithRestrictions);
  view.SetCaption(WindowCaption(problem.BookName, problem.SheetName));
  const ParameterChoice marked = MarkedForFit(sheet, problem.DecComma);
  for (int i = 0; i < kParameterCount; ++i)
    view.SetFitParameter(i, marked[static_cast<std::size_t>(i)]);
  UpdateOptimizeButton(problem, view);
  view.ProcessPendingMessages();
  WriteFitError(sheet, FitErrorCell::kInitial,
                FitError(problem.Sheet, problem.Eval, problem.Sheet.initial));
  ShowParams(problem, sheet, view);
}

void SheetPassOnActive(Problem& problem, SpreadsheetApp& app, SheetHost& sheet, View& view) {
  const std::optional<std::string> book = app.ActiveWorkbookName();
  if (!book) throw HostError("no workbook is open");
  const std::string sheetName = app.ActiveSheetName();
  app.WatchSheet(&sheet);
  app.ClearChanged();
  SheetPass(problem, sheet, view, *book, sheetName);
}

FitOutcome Optimize(Problem& problem, SheetHost& sheet, View& view) {
  FitOptions options;
  for (int i = 0; i < kParameterCount; ++i)
    options.fitted[static_cast<std::size_t>(i)] = view.FitParameter(i);
  options.enforceLimits = view.LimitsActive();
  const FitOutcome outcome = Fit(problem.Sheet, problem.Eval, options);
  WriteFitOutcome(sheet, outcome);
  if (!outcome) {
    view.ShowMessage("Could not find solution", MessageIcon::kCritical);
  } else {
    problem.OptPar = outcome.parameters;
  }
  return outcome;
}

void UpdateOptimizeButton(const Problem& problem, View& view) {
  int k = 0;
  for (int i = 0; i < kParameterCount; ++i) k += view.FitParameter(i) ? 1 : 0;
  const int points = static_cast<int>(problem.Sheet.points.size());
  view.SetOptimizeEnabled(k <= points && points > 0 && k > 0);
}

void ShowParams(const Problem& problem, SheetHost& sheet, View& view) {
  for (int i = 0; i < kParameterCount; ++i) {
    view.SetParameterLabel(i, ShownParameter(sheet, i, problem.DecComma));
  }
}

bool ResultIsShown(Problem& problem, SheetHost& sheet, const View& view) {
  if (view.GetWindowState() == WindowState::kCompact) return false;
  const ShownFit shown = CheckShownFit(sheet, problem.OptPar, problem.DecComma);
  problem.OptPar = shown.parameters;
  return shown.shown;
}

bool ExportToDataTxt(const Problem& problem, View& view, const std::string& path) {
  const AppendResult result =
      AppendRecord(path, RecordOf(problem.Sheet, problem.OptPar, problem.DecComma));
  switch (result.failure) {
    case AppendResult::Failure::kOpen:
      view.ShowMessage("Could not open file '" + path + "' (is it busy?) ", MessageIcon::kCritical);
      return false;
    case AppendResult::Failure::kWrite:
      view.ShowMessage("Could not write to file '" + path + "' (is it protected?) ",
                       MessageIcon::kCritical);
      return false;
    case AppendResult::Failure::kNone:
      break;
  }
  view.ShowMessage("Added to the file '" + path + "' ", MessageIcon::kInformation);
  return true;
}

std::string PkTableTitleOf(const Problem& problem) {
  return PkTableTitle(problem.Sheet.complex);
}

std::vector<std::string> BuildPkTable(const Problem& problem) {
  return PkTableLines(
      TableOfFit(problem.Sheet, problem.OptPar, problem.NoLimits, problem.DecComma));
}

}  // namespace tavrix
