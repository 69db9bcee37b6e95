#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace tavrix::cli {

// What the chosen subcommand does once the command line is read: its exit code.
using Run = std::function<int()>;

// The subcommands on data sheets: check, fit, table, export, plot, report. The
// table subcommand also takes parameters instead of sheets.
void AddBookCommands(CLI::App& app, Run& run);

// The calculators: water and pk.
void AddCalculatorCommands(CLI::App& app, Run& run);

}  // namespace tavrix::cli
