#include <CLI/CLI.hpp>
#include <clocale>
#include <iostream>

#include "commands.h"
#include "interrupts.h"
#include "point_input.h"

namespace {

using namespace tavrix::cli;

void AddPointValues(CLI::App& command, std::vector<std::string>& values, const char* what) {
  command.add_option("values", values, what)->required()->allow_extra_args();
}

// The parameters as typed; read with the program's own number rules.
struct Parameters {
  std::optional<std::string> pK298, A, B;
};

void AddParameters(CLI::App& command, Parameters& p) {
  command.add_option("--pk298", p.pK298, "pK(298), the pK at 298.15 K");
  command.add_option("--A", p.A, "A(zz/a)");
  command.add_option("--B", p.B, "B(zz/a)");
}

bool AllGiven(const Parameters& p) {
  return p.pK298 && p.A && p.B;
}
bool AnyGiven(const Parameters& p) {
  return p.pK298 || p.A || p.B;
}

// Copies the given parameters into a request. On failure says why after
// `command` and gives false.
template <typename Request>
bool TakeParameters(const Parameters& p, Request& request, const char* command) {
  if (!AllGiven(p)) {
    std::cerr << command << ": --pk298, --A and --B are required\n";
    return false;
  }
  std::string error;
  const auto pK298 = ReadParameter(*p.pK298, false, error);
  const auto A = pK298 ? ReadParameter(*p.A, true, error) : std::nullopt;
  const auto B = A ? ReadParameter(*p.B, true, error) : std::nullopt;
  if (!B) {
    std::cerr << command << ": " << error << "\n";
    return false;
  }
  request.pK298 = *pK298;
  request.A = *A;
  request.B = *B;
  return true;
}

CLI::Option* AddBooks(CLI::App& command, BookOptions& books) {
  command.add_option("--sheet", books.sheet,
                     "the worksheet to use (default: the one active when the workbook was saved)");
  command.add_flag("--ie", books.noLimits,
                   "lift the range limits of temperature, pressure and density");
  return command.add_option(
      "books", books.books,
      "data sheets (.ods, .xlsx, .xls, .csv), handled in turn; put -- before a name that "
      "begins with '-'");
}

// Command-line mistakes: one line on standard error and exit code 1 (help
// and version requests print and end with 0).
int ReportParseError(CLI::App& app, const CLI::ParseError& e) {
  if (e.get_exit_code() == 0) return app.exit(e);
  const CLI::App* command = &app;
  for (const CLI::App* sub : app.get_subcommands()) {
    if (sub->parsed()) command = sub;
  }
  const std::string name = command == &app ? "tavrix" : "tavrix " + command->get_name();
  std::cerr << name << ": " << e.what() << " (see " << name << " --help)\n";
  return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
  tavrix::cli::EndOnInterrupts();
  // The user's number format decides the decimal separator of the sheet and the table.
  std::setlocale(LC_ALL, "");

  CLI::App app{"Tavrix: fits the RB model of the dissociation constant of aqueous complexes"};
  app.require_subcommand(1);

  // --- Workbook commands ---------------------------------------------------
  CheckRequest check;
  CLI::App* checkCommand = app.add_subcommand(
      "check",
      "Read and check data sheets; print the complex, point counts, the error of the "
      "initial values and the parameters. Exit code 2 on a data-sheet error.");
  AddBooks(*checkCommand, check.books)->required();
  checkCommand->add_flag("--write", check.write, "save the pass's rewrites of the parameter cells");

  FitRequest fit;
  std::vector<std::string> fitNames;
  CLI::App* fitCommand = app.add_subcommand(
      "fit",
      "Fit the RB parameters to the points of data sheets and save the result into "
      "them. Exit code 3 when no solution is found.");
  AddBooks(*fitCommand, fit.books)->required();
  auto* fitOption =
      fitCommand
          ->add_option(
              "--fit", fitNames,
              "the parameters to fit, e.g. pK298,A (default: as the sheet says: those with an "
              "uncertainty or without an initial value)")
          ->delimiter(',');
  fitCommand->add_flag("--limits", fit.limits, "enforce the \"<\" points as upper limits");
  fitCommand->add_flag("--dry-run", fit.dryRun, "print the result but leave the files as they are");

  ExportRequest exportRequest;
  CLI::App* exportCommand = app.add_subcommand(
      "export",
      "Append the complex and its fitted parameters to data.txt in the home folder "
      "(TAVRIX_HOME). Exit code 4 when the sheet shows no fitted parameters.");
  AddBooks(*exportCommand, exportRequest.books)->required();
  exportCommand->add_option("--to", exportRequest.to, "append to this file instead");

#ifdef TAVRIX_WITH_PLOT
  PlotRequest plot;
  CLI::App* plotCommand = app.add_subcommand(
      "plot", "Draw pK against t for the fit shown in a data sheet, with its experimental points, "
              "into a PNG or SVG file. Exit code 4 when the sheet shows no fitted parameters.");
  AddBooks(*plotCommand, plot.books)->required();
  plotCommand->add_option("-o,--output", plot.output, "the picture, .png or .svg")->required();
#endif

  // --- pK table: of a data sheet's fit, or of given parameters -------------
  SheetTableRequest sheetTable;
  TableRequest table;
  Parameters tableParameters;
  CLI::App* tableCommand = app.add_subcommand(
      "table",
      "The pK table over 25-500 degrees C and saturation-5000 bar: of the fitted "
      "parameters of data sheets (exit code 4 when a sheet shows none), or of "
      "parameters given with --pk298, --A and --B.");
  AddBooks(*tableCommand, sheetTable.books);
  AddParameters(*tableCommand, tableParameters);
  tableCommand->add_option(
      "--species", table.species,
      "with parameters: a basic species of the complex, in order (up to four)");
  tableCommand->add_option("--complex", table.complex, "with parameters: the complex's name");
  // --ie: the sheets' range limits, or the model's density limits of the table.
  tableCommand->add_flag("--comma", table.decComma, "with parameters: write a decimal comma");
  tableCommand->add_flag("--excel", table.forExcel, "tab-separated columns for a spreadsheet");

  // --- Calculators -----------------------------------------------------------
  WaterRequest water;
  CLI::App* waterCommand = app.add_subcommand(
      "water",
      "Saturation pressure and density of water. Prints t, the pressure used, "
      "SatPressure(T) and the density, tab-separated; a pressure of 0 means saturation.");
  AddPointValues(*waterCommand, water.values,
                 "pairs of t (degrees C) and P (bar), or - to read them from standard input");

  PkRequest pk;
  Parameters pkParameters;
  CLI::App* pkCommand = app.add_subcommand(
      "pk", "pK of dissociation by the RB model. Prints t, P, density and pK, tab-separated.");
  AddParameters(*pkCommand, pkParameters);
  pkCommand->add_flag("--density", pk.density,
                      "the second number of each pair is the water density in g/cm3");
  AddPointValues(*pkCommand, pk.values,
                 "pairs of t (degrees C) and P (bar, 0 = saturation) or density, or - for "
                 "standard input");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e);
  }

  if (checkCommand->parsed()) return RunCheck(check, std::cout, std::cerr);
  if (fitCommand->parsed()) {
    if (fitOption->count() > 0) fit.fit = fitNames;
    return RunFit(fit, std::cout, std::cerr);
  }
  if (exportCommand->parsed()) return RunExport(exportRequest, std::cout, std::cerr);
#ifdef TAVRIX_WITH_PLOT
  if (plotCommand->parsed()) return RunPlot(plot, std::cout, std::cerr);
#endif
  if (waterCommand->parsed()) return RunWater(water, std::cin, std::cout, std::cerr);

  if (pkCommand->parsed()) {
    if (!TakeParameters(pkParameters, pk, "tavrix pk")) return kExitBadInput;
    return RunPk(pk, std::cin, std::cout, std::cerr);
  }

  // table
  table.noLimits = sheetTable.books.noLimits;
  if (!sheetTable.books.books.empty()) {
    if (AnyGiven(tableParameters)) {
      std::cerr << "tavrix table: give either data sheets or --pk298, --A and --B, not both\n";
      return kExitBadInput;
    }
    sheetTable.forExcel = table.forExcel;
    return RunSheetTable(sheetTable, std::cout, std::cerr);
  }
  if (!AnyGiven(tableParameters)) {
    std::cerr << "tavrix table: give data sheets, or --pk298, --A and --B\n";
    return kExitBadInput;
  }
  if (!TakeParameters(tableParameters, table, "tavrix table")) return kExitBadInput;
  return RunTable(table, std::cout, std::cerr);
}
