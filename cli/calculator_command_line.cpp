#include <iostream>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "parameter_options.h"

namespace tavrix::cli {
namespace {

void AddPointValues(CLI::App& command, std::vector<std::string>& values, const char* what) {
  command.add_option("values", values, what)->required()->allow_extra_args();
}

void AddWater(CLI::App& app, Run& run) {
  auto request = std::make_shared<WaterRequest>();
  CLI::App* command = app.add_subcommand(
      "water",
      "Saturation pressure and density of water. Prints t, the pressure used, "
      "SatPressure(T) and the density, tab-separated; a pressure of 0 means saturation.");
  AddPointValues(*command, request->values,
                 "pairs of t (degrees C) and P (bar), or - to read them from standard input");
  command->callback([&run, request] {
    run = [request] { return RunWater(*request, std::cin, std::cout, std::cerr); };
  });
}

void AddPk(CLI::App& app, Run& run) {
  auto request = std::make_shared<PkRequest>();
  auto fromBook = std::make_shared<PkFromBookRequest>();
  auto parameters = std::make_shared<ParameterOptions>();
  CLI::App* command = app.add_subcommand(
      "pk",
      "pK of dissociation by the RB model. Prints t, P, density and pK, tab-separated; with "
      "--from, of the fit a data sheet shows, and u(pK) and 'yes' where the point lies outside "
      "the data of the fit after them (exit code 4 when the sheet shows no fit, its points no "
      "longer give it, or they leave no degrees of freedom). Marks as in tavrix table: '?' after "
      "a value outside the model's range of confidence; 'gas', 'steam' (a pressure below the "
      "saturation pressure) and '---' (saturation above the critical temperature) where the "
      "model has no value, in place of it with --from and after it otherwise.");
  AddParameterOptions(*command, *parameters);
  command->add_option("--from", fromBook->book,
                      "the data sheet whose fit to use, instead of --pk298, --A and --B");
  command->add_option("--sheet", fromBook->sheet, "with --from: the worksheet to use");
  CLI::Option* model =
      AddModelOption(*command, fromBook->model,
                     "with --from: the model, rb (default: the fit the sheet shows), or "
                     "density3, density5, density7 fitted to the sheet's points");
  CLI::Option* limits = command->add_flag(
      "--limits", fromBook->limits,
      "with --from and --model: enforce the \"<\" points as upper limits of that model");
  command->add_flag("--density", request->density,
                    "the second number of each pair is the water density in g/cm3");
  AddSpeciesOption(*command, request->species,
                   "with parameters: a basic species of the complex, in order (up to four; "
                   "--species once for each); a charged complex has a narrower range of "
                   "confidence");
  command->add_flag("--ie", request->noLimits,
                    "lift the gas and steam limits: values there, as tavrix table --ie");
  AddPointValues(*command, request->values,
                 "pairs of t (degrees C) and P (bar, 0 = saturation) or density, or - for "
                 "standard input");
  command->callback([&run, request, fromBook, parameters, model, limits] {
    if (fromBook->book.empty() && (model->count() > 0 || limits->count() > 0)) {
      throw CLI::ValidationError("--model and --limits go with --from");
    }
    run = [request, fromBook, parameters] {
      if (!fromBook->book.empty()) {
        if (parameters->AnyGiven()) {
          std::cerr << "tavrix pk: give either --from or --pk298, --A and --B, not both\n";
          return kExitBadInput;
        }
        fromBook->density = request->density;
        fromBook->noLimits = request->noLimits;
        fromBook->values = request->values;
        return RunPkFromBook(*fromBook, std::cin, std::cout, std::cerr);
      }
      if (!TakeParameters(*parameters, *request, "tavrix pk")) return kExitBadInput;
      return RunPk(*request, std::cin, std::cout, std::cerr);
    };
  });
}

}  // namespace

void AddCalculatorCommands(CLI::App& app, Run& run) {
  AddWater(app, run);
  AddPk(app, run);
}

}  // namespace tavrix::cli
