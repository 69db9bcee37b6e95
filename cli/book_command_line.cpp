#include <iostream>
#include <map>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "parameter_options.h"

namespace tavrix::cli {
namespace {

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

// For the commands that save: a file open in another office is refused
// unless the user says so.
void AddIgnoreLock(CLI::App& command, BookOptions& books) {
  command.add_flag("--ignore-lock", books.ignoreLock,
                   "save even when the file is open in LibreOffice (a lock file beside it); "
                   "that office's next save then discards what this command saved");
}

void AddCheck(CLI::App& app, Run& run) {
  auto request = std::make_shared<CheckRequest>();
  CLI::App* command = app.add_subcommand(
      "check",
      "Read and check data sheets; print the complex, point counts, the error of the "
      "initial values and the parameters. Exit code 2 on a data-sheet error.");
  AddBooks(*command, request->books)->required();
  command->add_flag("--write", request->write, "save the pass's rewrites of the parameter cells");
  AddIgnoreLock(*command, request->books);
  command->callback(
      [&run, request] { run = [request] { return RunCheck(*request, std::cout, std::cerr); }; });
}

void AddFit(CLI::App& app, Run& run) {
  auto request = std::make_shared<FitRequest>();
  auto names = std::make_shared<std::vector<std::string>>();
  CLI::App* command = app.add_subcommand(
      "fit",
      "Fit the RB parameters to the points of data sheets and save the result into "
      "them. Exit code 3 when no solution is found.");
  AddBooks(*command, request->books)->required();
  CLI::Option* fit =
      command
          ->add_option("--fit", *names,
                       "the parameters to fit, e.g. pK298,A (default: as the sheet "
                       "says: those with an uncertainty or without an initial value)")
          ->delimiter(',');
  command->add_flag("--limits", request->limits, "enforce the \"<\" points as upper limits");
  command->add_flag("--dry-run", request->dryRun,
                    "print the result but leave the files as they are");
  AddIgnoreLock(*command, request->books);
  command->callback([&run, request, names, fit] {
    if (fit->count() > 0) request->fit = *names;
    run = [request] { return RunFit(*request, std::cout, std::cerr); };
  });
}

void AddExport(CLI::App& app, Run& run) {
  auto request = std::make_shared<ExportRequest>();
  CLI::App* command = app.add_subcommand(
      "export",
      "Export the fitted parameters: append them to data.txt in the home folder "
      "(TAVRIX_HOME), or write the fit as a ThermoFun reaction record, a PHREEQC "
      "SOLUTION_SPECIES block or a logK grid. Exit code 4 when the sheet shows no fitted "
      "parameters (or, for a grid, no longer gives them).");
  AddBooks(*command, request->books)->required();
  const std::map<std::string, ExportFormat> formats = {{"data.txt", ExportFormat::kDataTxt},
                                                       {"thermofun", ExportFormat::kThermoFun},
                                                       {"phreeqc", ExportFormat::kPhreeqc},
                                                       {"grid", ExportFormat::kGrid}};
  command
      ->add_option("--format", request->format,
                   "data.txt (default), thermofun (JSON), phreeqc, or grid (logK and u(logK))")
      ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case));
  command->add_option("--to", request->to,
                      "data.txt: append to this file instead; the other formats: write this "
                      "file (replaced) instead of standard output");
  command
      ->add_option("--t", request->t,
                   "grid: temperatures (C, from 0), e.g. 25:350:25 or 0.01,25,60 (default: the "
                   "eight of EQ3/6 grids); phreeqc: the range of -analytic (default 0,350)")
      ->delimiter(',');
  command
      ->add_option("--p", request->p,
                   "grid: pressures (bar; 0 along saturation, 1.01325 bar below 100 C), e.g. "
                   "0,500 (default: 0)")
      ->delimiter(',');
  command->add_flag("--csv", request->csv,
                    "grid: comma-separated (also for a --to file ending in .csv; default: tabs)");
  command->callback(
      [&run, request] { run = [request] { return RunExport(*request, std::cout, std::cerr); }; });
}

#ifdef TAVRIX_WITH_PLOT
void AddPlot(CLI::App& app, Run& run) {
  auto request = std::make_shared<PlotRequest>();
  CLI::App* command = app.add_subcommand(
      "plot",
      "Draw pK against t for the fit shown in a data sheet, with its experimental points, "
      "into a PNG or SVG file. Exit code 4 when the sheet shows no fitted parameters.");
  AddBooks(*command, request->books)->required();
  command->add_option("-o,--output", request->output, "the picture, .png or .svg")->required();
  command->callback(
      [&run, request] { run = [request] { return RunPlot(*request, std::cout, std::cerr); }; });
}
#endif

// The pK table: of a data sheet's fit, or of given parameters.
void AddTable(CLI::App& app, Run& run) {
  auto sheets = std::make_shared<SheetTableRequest>();
  auto table = std::make_shared<TableRequest>();
  auto parameters = std::make_shared<ParameterOptions>();
  CLI::App* command = app.add_subcommand(
      "table",
      "The pK table over 25-500 degrees C and saturation-5000 bar: of the fitted "
      "parameters of data sheets (exit code 4 when a sheet shows none), or of "
      "parameters given with --pk298, --A and --B.");
  AddBooks(*command, sheets->books);
  AddParameterOptions(*command, *parameters);
  command->add_option("--species", table->species,
                      "with parameters: a basic species of the complex, in order (up to four)");
  command->add_option("--complex", table->complex, "with parameters: the complex's name");
  // --ie: the sheets' range limits, or the model's density limits of the table.
  command->add_flag("--comma", table->decComma, "with parameters: write a decimal comma");
  command->add_flag("--excel", table->forExcel, "tab-separated columns for a spreadsheet");
  command->callback([&run, sheets, table, parameters] {
    run = [sheets, table, parameters]() -> int {
      table->noLimits = sheets->books.noLimits;
      if (!sheets->books.books.empty()) {
        if (parameters->AnyGiven()) {
          std::cerr << "tavrix table: give either data sheets or --pk298, --A and --B, not both\n";
          return kExitBadInput;
        }
        sheets->forExcel = table->forExcel;
        return RunSheetTable(*sheets, std::cout, std::cerr);
      }
      if (!parameters->AnyGiven()) {
        std::cerr << "tavrix table: give data sheets, or --pk298, --A and --B\n";
        return kExitBadInput;
      }
      if (!TakeParameters(*parameters, *table, "tavrix table")) return kExitBadInput;
      return RunTable(*table, std::cout, std::cerr);
    };
  });
}

}  // namespace

void AddBookCommands(CLI::App& app, Run& run) {
  AddCheck(app, run);
  AddFit(app, run);
  AddExport(app, run);
#ifdef TAVRIX_WITH_PLOT
  AddPlot(app, run);
#endif
  AddTable(app, run);
}

}  // namespace tavrix::cli
