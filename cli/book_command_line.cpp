#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "parameter_options.h"
#include "tavrix/model/parameters.h"

namespace tavrix::cli {
namespace {

// A parameter's name given where a data sheet goes, as in
// `--fit pK298 A x.csv`, when no file of that name is there.
std::optional<std::string> ParameterAmongBooks(const std::vector<std::string>& books) {
  for (const std::string& book : books) {
    const bool parameter = std::any_of(kParameters.begin(), kParameters.end(),
                                       [&](const ParameterInfo& p) { return book == p.option; });
    std::error_code ignored;
    if (parameter && !std::filesystem::exists(book, ignored)) return book;
  }
  return std::nullopt;
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t comma; (comma = text.find(',', from)) != std::string::npos; from = comma + 1)
    parts.push_back(text.substr(from, comma - from));
  parts.push_back(text.substr(from));
  return parts;
}

CLI::Option* AddBooks(CLI::App& command, BookOptions& books) {
  command.add_option("--sheet", books.sheet,
                     "the worksheet to use (default: the one active when the workbook was saved)");
  command.add_flag("--ie", books.noLimits,
                   "lift the range limits of temperature, pressure and density");
  command
      .add_option_function<std::string>(
          "--separator",
          [&books](const std::string& name) {
            books.separator = name == "tab" || name == "\t" ? '\t' : name.front();
          },
          "CSV files: the field separator, ',' ';' or tab (default: the one that puts "
          "'Complex:' in B2)")
      ->check(CLI::Validator(
          [](const std::string& name) -> std::string {
            if (name == "," || name == ";" || name == "tab" || name == "\t") return "";
            return "'" + name + "' is no separator; use ',' ';' or tab";
          },
          ""))
      ->type_name("SEP");
  return command.add_option("books", books.books,
                            "data sheets (.ods, .xlsx, .xls; .csv, .tsv, .txt), handled in turn; "
                            "put -- before a name that begins with '-'");
}

// Every data sheet of a workbook in turn, in one load of it.
void AddAllSheets(CLI::App& command, BookOptions& books) {
  command
      .add_flag("--all-sheets", books.allSheets,
                "every data sheet ('Complex:' in B2) of each workbook in turn; the others are "
                "skipped with a note")
      ->excludes("--sheet");
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
  AddAllSheets(*command, request->books);
  AddIgnoreLock(*command, request->books);
  command->callback(
      [&run, request] { run = [request] { return RunCheck(*request, std::cout, std::cerr); }; });
}

void AddFit(CLI::App& app, Run& run) {
  auto request = std::make_shared<FitRequest>();
  auto names = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "fit",
      "Fit the RB parameters to the points of data sheets and save the result into "
      "them. Exit code 3 when no solution is found.");
  AddBooks(*command, request->books)->required();
  // One value, split here: a list option would take the data sheets that
  // follow it for parameters.
  CLI::Option* fit = command->add_option(
      "--fit", *names,
      "the parameters to fit, comma-separated, e.g. pK298,A (default: as the sheet "
      "says: those with an uncertainty or without an initial value)");
  command->add_flag("--limits", request->limits, "enforce the \"<\" points as upper limits");
  command->add_flag("--dry-run", request->dryRun,
                    "print the result but leave the files as they are");
  AddAllSheets(*command, request->books);
  AddIgnoreLock(*command, request->books);
  command->callback([&run, request, names, fit] {
    if (fit->count() > 0) request->fit = SplitAtCommas(*names);
    run = [request] {
      if (const auto stray = ParameterAmongBooks(request->books.books)) {
        std::cerr << "tavrix fit: '" << *stray
                  << "' is no data sheet; --fit takes the parameters as one value, "
                     "comma-separated (--fit pK298,A)\n";
        return kExitBadInput;
      }
      return RunFit(*request, std::cout, std::cerr);
    };
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
  // By name only: the enum's numbers are no names a user should learn.
  auto format = std::make_shared<std::string>("data.txt");
  const std::map<std::string, ExportFormat> formats = {{"data.txt", ExportFormat::kDataTxt},
                                                       {"thermofun", ExportFormat::kThermoFun},
                                                       {"phreeqc", ExportFormat::kPhreeqc},
                                                       {"grid", ExportFormat::kGrid}};
  command
      ->add_option("--format", *format,
                   "data.txt (default), thermofun (JSON), phreeqc, or grid (logK and u(logK))")
      ->transform(CLI::IsMember({"data.txt", "thermofun", "phreeqc", "grid"}, CLI::ignore_case))
      ->type_name("NAME");
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
  AddModelOption(*command, request->model,
                 "grid and phreeqc: the model whose pK they give: rb (default: the fit the sheet "
                 "shows), or density3, density5, density7 fitted to the sheet's points");
  command->add_flag("--limits", request->limits,
                    "with --model: enforce the \"<\" points as upper limits of that model");
  AddAllSheets(*command, request->books);
  command->callback([&run, request, format, formats] {
    request->format = formats.at(*format);
    run = [request] { return RunExport(*request, std::cout, std::cerr); };
  });
}

#ifdef TAVRIX_WITH_PLOT
void AddPlot(CLI::App& app, Run& run) {
  auto request = std::make_shared<PlotRequest>();
  CLI::App* command = app.add_subcommand(
      "plot",
      "Draw pK against t for the fit shown in a data sheet, with its experimental points, "
      "into a PNG or SVG file. Exit code 4 when the sheet shows no fitted parameters.");
  auto names = std::make_shared<std::string>();
  AddBooks(*command, request->books)->required();
  command->add_option("-o,--output", request->output, "the picture, .png or .svg")->required();
  command->add_option("--models", *names,
                      "models drawn beside the sheet's RB fit, comma-separated, one line style "
                      "each (e.g. rb,density3; see tavrix compare)");
  command->add_flag("--limits", request->limits,
                    "with --models: fit them with the \"<\" points as upper limits");
  command->callback([&run, request, names] {
    if (!names->empty()) request->models = SplitAtCommas(*names);
    run = [request] { return RunPlot(*request, std::cout, std::cerr); };
  });
}
#endif

void AddReport(CLI::App& app, Run& run) {
  auto request = std::make_shared<ReportRequest>();
  CLI::App* command = app.add_subcommand(
      "report",
      "Write the report of the fit shown in a data sheet: one HTML page with the parameters, "
      "their correlation, the diagnostics of the points, the plot and the residuals, the pK "
      "table and the records for other codes; it needs no network and prints on A4. Exit code "
      "4 when the sheet shows no fitted parameters or its points no longer give them.");
  AddBooks(*command, request->books)->required();
  command->add_option("-o,--output", request->output,
                      "the page (replaced); default: beside the sheet's file, e.g. nacl.html");
  command->callback(
      [&run, request] { run = [request] { return RunReport(*request, std::cout, std::cerr); }; });
}

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
  AddAllSheets(*command, sheets->books);
  AddParameterOptions(*command, *parameters);
  AddSpeciesOption(*command, table->species,
                   "with parameters: a basic species of the complex, in order (up to four; "
                   "--species once for each)");
  command->add_option("--complex", table->complex, "with parameters: the complex's name");
  // --ie: the sheets' range limits, or the model's density limits of the table.
  command->add_flag("--comma", table->decComma, "with parameters: write a decimal comma");
  command->add_flag("--excel", table->forExcel, "tab-separated columns for a spreadsheet");
  command->footer(
      "Marks in the table:\n"
      "  1.234?  the water density lies outside the model's range of confidence (0.35-1.0 "
      "g/cm3 for a\n          charged complex, up to 1.1 g/cm3 for an uncharged one): the value is "
      "doubtful\n"
      "  ---     saturation above the critical temperature (374 C): there is no liquid to be "
      "saturated\n"
      "  gas     the water density is 0.31 g/cm3 or less, where the model has no value (--ie "
      "lifts\n          this limit)");
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

void AddCompare(CLI::App& app, Run& run) {
  auto request = std::make_shared<CompareRequest>();
  auto names = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "compare",
      "Fit the RB model and the density models to the same points of data sheets and print "
      "them side by side: parameters \u00B1 u, F12, AICc, \u0394AICc, BIC, the leave-one-out "
      "error, the largest deviation and the largest difference from RB's pK within the data "
      "(docs/models.md). Changes no file. Exit code 3 when a model cannot be fitted.");
  AddBooks(*command, request->books)->required();
  CLI::Option* models = command->add_option(
      "--models", *names, "the models, comma-separated (default: rb,density3,density5,density7)");
  command->add_flag("--limits", request->limits, "enforce the \"<\" points as upper limits");
  command->add_flag("--csv", request->csv, "comma-separated, one line per model and sheet");
  AddAllSheets(*command, request->books);
  command->callback([&run, request, names, models] {
    if (models->count() > 0) request->models = SplitAtCommas(*names);
    run = [request] { return RunCompare(*request, std::cout, std::cerr); };
  });
}

void AddSummary(CLI::App& app, Run& run) {
  auto request = std::make_shared<SummaryRequest>();
  CLI::App* command = app.add_subcommand(
      "summary",
      "One line per data sheet of each workbook, as the sheet shows it: complex, points, the "
      "parameters \u00B1 u, F12 and whether it shows a fit. Changes no file.");
  AddBooks(*command, request->books)->required();
  command->remove_option(command->get_option("--sheet"));
  command->add_flag("--csv", request->csv, "comma-separated, with a header line");
  command->callback(
      [&run, request] { run = [request] { return RunSummary(*request, std::cout, std::cerr); }; });
}

}  // namespace

void AddBookCommands(CLI::App& app, Run& run) {
  AddCheck(app, run);
  AddFit(app, run);
  AddExport(app, run);
  AddCompare(app, run);
  AddSummary(app, run);
#ifdef TAVRIX_WITH_PLOT
  AddPlot(app, run);
#endif
  AddReport(app, run);
  AddTable(app, run);
}

}  // namespace tavrix::cli
