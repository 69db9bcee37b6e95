#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tavrix/app/problem.h"
#include "tavrix/app/view.h"
#include "tavrix/exports/exports.h"
#include "tavrix/fit/fit.h"
#include "tavrix/fit/model_comparison.h"
#include "tavrix/plot/plot_data.h"
#include "tavrix/sheet/spreadsheet_app.h"

namespace tavrix {

// The window's side of the engine: runs the engine's steps on the data
// sheet and shows their results in the window, in the window's order.

// The pass over the sheet. An error collapses the window and names its
// cell in a box. After a clean read: the window's state and caption, the
// fit boxes as the sheet marks them, the optimize button; pending events
// are let through; E12 gets the error of the initial values and the labels
// show the parameters; then, when the point count changed, a box says it
// (over a window that already shows this sheet). `bookFolder` is added to
// the caption (when not empty) to tell the workbook from another of its name.
void SheetPass(Problem& problem, SheetHost& sheet, View& view, const std::string& bookName,
               const std::string& sheetName, const std::string& bookFolder = "");

// The pass on the active sheet: records the workbook (name and identity)
// and sheet names, watches the sheet with a cleared change flag, then runs
// SheetPass; the caption names the workbook's folder too when another open
// workbook has its name.
// Failures of the application here are not the pass's: they throw.
void SheetPassOnActive(Problem& problem, SpreadsheetApp& app, SheetHost& sheet, View& view);

// Fits with the window's boxes and writes the result ("Could not find
// solution" in a box when there is none).
FitOutcome Optimize(Problem& problem, SheetHost& sheet, View& view);

// The optimize button is enabled when 0 < ticked boxes <= points.
void UpdateOptimizeButton(const Problem& problem, View& view);

// The labels show what the sheet shows of each parameter.
void ShowParams(const Problem& problem, SheetHost& sheet, View& view);

// True when the window shows a valid sheet and the sheet shows the fit;
// the fit's values become those shown.
bool ResultIsShown(Problem& problem, SheetHost& sheet, const View& view);

// Appends the fit to the file and says in a box how it went; true when
// the whole record was written.
bool ExportToDataTxt(const Problem& problem, View& view, const std::string& path);

// The title and lines of the pK table of the fit.
std::string PkTableTitleOf(const Problem& problem);
std::vector<std::string> BuildPkTable(const Problem& problem);

// What the table window shows of the fit the sheet shows: the pK table, a
// tip for each of its cells (pK with its uncertainty there, what the cell's
// mark means, and whether it lies outside the data), the plot with
// the band of +/- u(pK), and the fit as a ThermoFun record, a PHREEQC
// block and a logK grid (the eight EQ3/6 temperatures, tab-separated) to
// copy; the points the diagnostics flag are ringed in the plot, with the
// reason in their tips. The uncertainty comes from the fit run again from the
// sheet's points; where they no longer give it, the tips say so and the
// plot has no band.
struct PkTableView {
  std::string title;
  std::vector<std::string> lines;
  std::vector<std::string> cellTips;  // kTableRows x kTableColumns, row by row
  PlotData plot;
  ExportResult thermoFun;
  ExportResult phreeqc;
  ExportResult grid;
  // Made when asked, as they take a while on large sheets: the report of
  // the fit as one HTML page (its error says why there is none), under
  // `reportName` by default; every model fitted to the sheet's points, as
  // tavrix compare shows them (the sheet keeps its RB fit).
  std::function<ExportResult()> report;
  std::string reportName;
  std::function<TextTable()> comparison;
};
PkTableView BuildPkTableView(const Problem& problem, SheetHost& sheet);

// The comparison of the models as text to show and copy: columns aligned
// with blanks (for a word processor), or tab-separated lines for a
// spreadsheet, each line ending in a line break.
std::string ComparisonText(const TextTable& table, bool forExcel);

// "Book: Sheet", without a trailing ".xls" (lower case only) on the book;
// "Book (folder): Sheet" with a folder.
std::string WindowCaption(const std::string& bookName, const std::string& sheetName,
                          const std::string& bookFolder = "");

}  // namespace tavrix
