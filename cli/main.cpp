// tavrix: the command-line program. Each subcommand is set up in its own
// file (book_command_line.cpp, calculator_command_line.cpp); this reads the
// command line and runs the one chosen.
#include <CLI/CLI.hpp>
#include <clocale>
#include <iostream>
#include <string>

#include "command_line.h"
#include "commands.h"
#include "interrupts.h"
#include "tavrix/version.h"

namespace {

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
  return tavrix::cli::kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
  tavrix::cli::EndOnInterrupts();
  // The user's number format decides the decimal separator of the sheet and the table.
  std::setlocale(LC_ALL, "");

  CLI::App app{"Tavrix: fits the RB model of the dissociation constant of aqueous complexes"};
  app.set_version_flag("--version", std::string("tavrix ") + tavrix::kProgramVersion);
  app.require_subcommand(1);
  tavrix::cli::Run run;
  tavrix::cli::AddBookCommands(app, run);
  tavrix::cli::AddCalculatorCommands(app, run);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e);
  }
  return run();
}
