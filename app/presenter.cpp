#include "tavrix/app/presenter.h"

#include <charconv>
#include <filesystem>

#include "tavrix/datasheet/fit_error.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/covariance.h"
#include "tavrix/fit/export.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/fit/table_of_fit.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

// A number as the table shows it: with so many decimals, or (decimals < 0)
// to two significant digits; the user's decimal separator.
std::string Decimal(double x, int decimals, bool decComma) {
  char text[400];
  const auto end =
      decimals >= 0 ? std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, decimals)
                    : std::to_chars(text, text + sizeof text, x, std::chars_format::general, 2);
  std::string shown(text, end.ptr);
  for (char& c : shown) {
    if (c == '.' && decComma) c = ',';
  }
  return shown;
}

// The tip of table cell (i, j): "t = 150 °C, P = 500 bar: pK = -0.234 ±
// 0.012 (about 95 %)", or "" where the cell shows no pK; without the
// covariance, why the uncertainty is not known.
std::string CellTip(const Problem& problem, const std::optional<ParameterCovariance>& covariance,
                    const std::string& whyUnknown, int i, int j) {
  const float t = TableTemperature(i);
  const float T = KelvinOf(t);
  const bool saturation = TablePressure(j) == 0;
  const std::optional<float> P = saturation ? SaturationPoint(T) : TablePressure(j);
  if (!P) return "";
  const float rho = WaterDensity(T, *P);
  if (rho <= 0 || (rho <= kGasDensity && !problem.NoLimits)) return "";
  const bool comma = problem.DecComma;
  std::string tip = "t = " + Decimal(t, 0, comma) +
                    " \u00B0C, P = " + Decimal(*P, saturation ? 2 : 0, comma) + " bar" +
                    (saturation ? " (saturation)" : "") +
                    ": pK = " + Decimal(RBpKSingle(problem.OptPar, T, rho), 3, comma);
  if (!covariance) return tip + "; its uncertainty is not known: " + whyUnknown;
  const double u = PkUncertainty(*covariance, RBBasis(T, rho));
  return tip + " \u00B1 " + Decimal(u, u >= 0.001 ? 3 : -1, comma) + " (about 95 %)";
}

}  // namespace

std::string WindowCaption(const std::string& bookName, const std::string& sheetName,
                          const std::string& bookFolder) {
  const bool xls = bookName.size() >= 4 && bookName.compare(bookName.size() - 4, 4, ".xls") == 0;
  return (xls ? bookName.substr(0, bookName.size() - 4) : bookName) +
         (bookFolder.empty() ? "" : " (" + bookFolder + ")") + ": " + sheetName;
}

void SheetPass(Problem& problem, SheetHost& sheet, View& view, const std::string& bookName,
               const std::string& sheetName, const std::string& bookFolder) {
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
  problem.Sheet = std::move(read.sheet);
  problem.Eval = Evaluate(problem.Sheet);
  problem.OptPar = problem.Sheet.optimized;
  view.SetWindowState(problem.Eval.limits.empty() ? WindowState::kStandard
                                                  : WindowState::kWithRestrictions);
  view.SetCaption(WindowCaption(problem.BookName, problem.SheetName, bookFolder));
  const ParameterChoice marked = MarkedForFit(sheet, problem.DecComma);
  for (int i = 0; i < kParameterCount; ++i)
    view.SetFitParameter(i, marked[static_cast<std::size_t>(i)]);
  UpdateOptimizeButton(problem, view);
  view.ProcessPendingMessages();
  WriteFitError(sheet, FitErrorCell::kInitial,
                FitError(problem.Sheet, problem.Eval, problem.Sheet.initial));
  ShowParams(problem, sheet, view);
  const int points = static_cast<int>(problem.Sheet.points.size());
  if (points != problem.LastNPoints) {
    problem.LastNPoints = points;
    view.ShowMessage("Number of experimental points: " + std::to_string(points),
                     MessageIcon::kInformation);
  }
}

void SheetPassOnActive(Problem& problem, SpreadsheetApp& app, SheetHost& sheet, View& view) {
  const std::optional<std::string> book = app.ActiveWorkbookName();
  const std::optional<std::string> id = app.ActiveWorkbookId();
  if (!book || !id) throw HostError("no workbook is open");
  const std::string sheetName = app.ActiveSheetName();
  bool nameShared = false;
  for (int i = 1; i <= app.WorkbookCount() && !nameShared; ++i) {
    nameShared = app.WorkbookName(i) == *book && app.WorkbookId(i) != *id;
  }
  app.WatchSheet(&sheet);
  app.ClearChanged();
  problem.BookId = *id;
  const std::filesystem::path file(*id);
  SheetPass(problem, sheet, view, *book, sheetName,
            nameShared && file.is_absolute() ? file.parent_path().filename().string() : "");
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

PkTableView BuildPkTableView(const Problem& problem, SheetHost& sheet) {
  const std::optional<ParameterCovariance> covariance =
      ShownFitCovariance(sheet, problem.Sheet, problem.Eval, problem.DecComma);
  const std::string whyUnknown =
      ShownFitHasDegreesOfFreedom(sheet, problem.Eval, problem.DecComma)
          ? "the sheet's points no longer give the fit it shows (optimize again)"
          : "the fit has as many parameters as weighted points";
  PkTableView view;
  view.title = PkTableTitleOf(problem);
  view.lines = BuildPkTable(problem);
  for (int i = 1; i <= kTableRows; ++i) {
    for (int j = 1; j <= kTableColumns; ++j)
      view.cellTips.push_back(CellTip(problem, covariance, whyUnknown, i, j));
  }
  view.plot = BuildPlotData(problem.Sheet, problem.OptPar, problem.NoLimits, covariance);
  const ExportedFit fit = ExportedFitOf(problem.Sheet, problem.OptPar, covariance);
  view.thermoFun = ThermoFunRecords({fit});
  view.phreeqc = PhreeqcBlock(fit);
  view.grid = covariance ? LogKGrid(fit, Eq36Grid(), GridFormat::kTsv)
                         : ExportResult{"", "u(logK) is not known: " + whyUnknown};
  return view;
}

}  // namespace tavrix
