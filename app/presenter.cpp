#include "tavrix/app/presenter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "tavrix/datasheet/fit_error.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/covariance.h"
#include "tavrix/fit/export.h"
#include "tavrix/fit/model_comparison.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/fit/table_of_fit.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/report/report.h"
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

// What a mark of the pK table says: why a cell has no pK, or what to make
// of the pK it has.
std::string MarkNote(PkMark mark) {
  switch (mark) {
    case PkMark::kNone:
      return "";
    case PkMark::kOutsideConfidence:
      return "outside the model's range of confidence (?)";
    case PkMark::kGas:
      return "the water is gas here (gas)";
    case PkMark::kSteam:
      return "below the saturation pressure the water is steam";
    case PkMark::kNoSaturation:
      return "no saturation above the critical temperature (---)";
    case PkMark::kNoDensity:
      return "the equation of state gives no density here";
  }
  return "";
}

// What the tips of the table's cells draw on.
struct TipContext {
  const Problem& problem;
  bool charged;                  // the complex, for the range of confidence
  std::optional<DataSpan> span;  // of the points fitted
  std::optional<ParameterCovariance> covariance;
  std::string whyUnknown;  // why there is none
};

// The tip of table cell (i, j): "t = 150 °C, P = 500 bar: pK = -0.234 ±
// 0.012 (about 95 %)", then what its mark says and whether the conditions
// lie outside the data; without the covariance, why the uncertainty is
// not known; where the table has no pK, why.
std::string CellTip(const TipContext& context, int i, int j) {
  const Problem& problem = context.problem;
  const bool comma = problem.DecComma;
  const float t = TableTemperature(i);
  const bool saturation = TablePressure(j) == 0;
  const ModelCondition c =
      ConditionAtPressure(t, TablePressure(j), {context.charged, problem.NoLimits});
  std::string tip = "t = " + Decimal(t, 0, comma) + " \u00B0C, ";
  tip += c.P ? "P = " + Decimal(*c.P, saturation ? 2 : 0, comma) + " bar" +
                   (saturation ? " (saturation)" : "")
             : std::string("at saturation");
  const std::string note = MarkNote(c.mark);
  if (!c.hasValue) return tip + ": no pK, " + note;
  const float pK = RBpKSingle(problem.OptPar, KelvinOf(t), c.density);
  if (!(std::fabs(pK) < kUndefinedFrom)) return tip + ": no pK, the model gives none here";
  tip += ": pK = " + Decimal(pK, 3, comma);
  if (context.covariance) {
    const double u = PkUncertainty(*context.covariance, RBBasis(KelvinOf(t), c.density));
    tip += " \u00B1 " + Decimal(u, u >= 0.001 ? 3 : -1, comma) + " (about 95 %)";
  } else {
    tip += "; its uncertainty is not known: " + context.whyUnknown;
  }
  if (!note.empty()) tip += "; " + note;
  if (context.span && !context.span->Contains(t, c.density))
    tip += "; outside the data (" + context.span->Text(comma) + ")";
  return tip;
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

namespace {

// Today's report of a fit that the sheet's points give again.
ExportResult ReportOf(const Problem& problem, const std::optional<FitOutcome>& outcome,
                      const std::string& whyUnknown) {
  if (!outcome) return {"", "the report needs the fit the sheet shows: " + whyUnknown};
  return {FitReport({problem.Sheet, problem.Eval, *outcome, problem.OptPar},
                    {problem.NoLimits, problem.DecComma, ReportDate()})};
}

}  // namespace

PkTableView BuildPkTableView(const Problem& problem, SheetHost& sheet) {
  const std::optional<FitOutcome> outcome =
      ShownFitOutcome(sheet, problem.Sheet, problem.Eval, problem.DecComma);
  const std::optional<ParameterCovariance> covariance =
      outcome ? CovarianceOf(*outcome) : std::nullopt;
  const std::string whyUnknown =
      ShownFitHasDegreesOfFreedom(sheet, problem.Eval, problem.DecComma)
          ? "the sheet's points no longer give the fit it shows (optimize again)"
          : "the fit has as many parameters as weighted points";
  SpeciesNames species = SpeciesNamesOf(problem.Sheet);
  const TipContext tips{problem, ComplexIsCharged(species), SpanOfWeightedPoints(problem.Sheet),
                        covariance, whyUnknown};
  PkTableView view;
  view.title = PkTableTitleOf(problem);
  view.lines = BuildPkTable(problem);
  for (int i = 1; i <= kTableRows; ++i) {
    for (int j = 1; j <= kTableColumns; ++j) view.cellTips.push_back(CellTip(tips, i, j));
  }
  view.plot =
      outcome ? PlotOfFit(problem.Sheet, problem.Eval, *outcome, problem.OptPar, problem.NoLimits)
              : BuildPlotData(problem.Sheet, problem.OptPar, problem.NoLimits);
  const ExportedFit fit = ExportedFitOf(problem.Sheet, problem.OptPar, covariance);
  view.thermoFun = ThermoFunRecords({fit});
  view.phreeqc = PhreeqcBlock(fit);
  view.grid = covariance ? LogKGrid(fit, Eq36Grid(), GridFormat::kTsv)
                         : ExportResult{"", "u(logK) is not known: " + whyUnknown};
  // Made when asked: on a large sheet they take a while.
  view.report = [problem, outcome, whyUnknown] { return ReportOf(problem, outcome, whyUnknown); };
  ComparisonOptions options{MarkedForFit(sheet, problem.DecComma), false, problem.NoLimits};
  if (std::none_of(options.rbFitted.begin(), options.rbFitted.end(), [](bool b) { return b; }))
    options.rbFitted = {true, true, true};
  view.comparison = [problem, options] {
    std::vector<const Model*> models;
    for (const Model& model : Models()) models.push_back(&model);
    return ComparisonTable(CompareModels(problem.Sheet, problem.Eval, models, options),
                           problem.DecComma);
  };
  // Beside the workbook's file; a new workbook has none yet.
  const std::filesystem::path book = problem.BookId.rfind('/', 0) == 0
                                         ? std::filesystem::path(problem.BookId)
                                         : std::filesystem::path(problem.BookName);
  view.reportName = std::filesystem::path(book).replace_extension(".html").string();
  return view;
}

std::string ComparisonText(const TextTable& table, bool forExcel) {
  std::vector<std::vector<std::string>> rows = {table.header};
  rows.insert(rows.end(), table.rows.begin(), table.rows.end());
  std::string text;
  if (!forExcel) {
    for (const std::string& line : AlignedColumns(rows)) text += line + "\n";
    return text;
  }
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) text += (c ? "\t" : "") + row[c];
    text += "\n";
  }
  return text;
}

}  // namespace tavrix
