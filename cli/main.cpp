#include <CLI/CLI.hpp>
#include <clocale>
#include <iostream>

#include "commands.h"

namespace {

using namespace tavrix::cli;

void AddPointValues(CLI::App& command, std::vector<std::string>& values, const char* what) {
  command.add_option("values", values, what)->required()->allow_extra_args();
}

void AddParameters(CLI::App& command, double& pK298, double& A, double& B) {
  command.add_option("--pk298", pK298, "pK(298), the pK at 298.15 K")->required();
  command.add_option("--A", A, "A(zz/a)")->required();
  command.add_option("--B", B, "B(zz/a)")->required();
}

}  // namespace

int main(int argc, char** argv) {
  // The user's number format decides the decimal separator of the pK table.
  std::setlocale(LC_ALL, "");

  CLI::App app{"Tavrix: the RB model of the dissociation constant of aqueous complexes"};
  app.require_subcommand(1);
  app.positionals_at_end();

  WaterRequest water;
  CLI::App* waterCommand = app.add_subcommand(
      "water",
      "Saturation pressure and density of water. Prints t, the pressure used, "
      "SatPressure(T) and the density, tab-separated; a pressure of 0 means saturation.");
  AddPointValues(*waterCommand, water.values,
                 "pairs of t (degrees C) and P (bar), or - to read them from standard input");

  PkRequest pk;
  CLI::App* pkCommand = app.add_subcommand(
      "pk", "pK of dissociation by the RB model. Prints t, P, density and pK, tab-separated.");
  AddParameters(*pkCommand, pk.pK298, pk.A, pk.B);
  pkCommand->add_flag("--density", pk.density,
                      "the second number of each pair is the water density in g/cm3");
  AddPointValues(*pkCommand, pk.values,
                 "pairs of t (degrees C) and P (bar, 0 = saturation) or density, or - for "
                 "standard input");

  TableRequest table;
  CLI::App* tableCommand = app.add_subcommand(
      "table", "The pK table over 25-500 degrees C and saturation-5000 bar.");
  AddParameters(*tableCommand, table.pK298, table.A, table.B);
  tableCommand->add_option("--species", table.species,
                           "a basic species of the complex, in order (up to four)");
  tableCommand->add_option("--complex", table.complex, "the complex's name, for the title");
  tableCommand->add_flag("--ie", table.noLimits, "lift the model's density limits");
  tableCommand->add_flag("--comma", table.decComma, "write a decimal comma");
  tableCommand->add_flag("--excel", table.forExcel, "tab-separated columns for a spreadsheet");

  CLI11_PARSE(app, argc, argv);

  if (waterCommand->parsed()) return RunWater(water, std::cin, std::cout, std::cerr);
  if (pkCommand->parsed()) return RunPk(pk, std::cin, std::cout, std::cerr);
  return RunTable(table, std::cout, std::cerr);
}
