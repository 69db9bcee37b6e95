// The pass, the fit and everything after it on sheets made by editing a
// valid data sheet at random. Nothing may crash or hang, a failed read
// always ends in one of the program's own errors, and a sheet the program
// wrote reads back: a second read never stops at a cell the program wrote,
// and a fit it wrote stays shown.
#include <clocale>
#include <cstdint>
#include <string>

#include "support/data_sheet.h"
#include "support/recording_sheet.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/export.h"
#include "tavrix/fit/fit.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/fit/table_of_fit.h"

using namespace tavrix;

// Texts that reach the interesting branches; a choice of 200 or more
// types arbitrary bytes instead.
const char* const kWords[] = {"",       "0",       "1",        "-1",   "<",     "?",       "2.5",
                              "1e40",   "0.31",    "0.3",      "5000", "5001",  "374",     "380",
                              "1000",   "-273.15", "Complex:", "pK",   "32001", "1,5",     " 7 ",
                              "1E-300", "-0",      "NaN",      "inf",  "1e10",  "####.###"};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t at = 0;
  const auto byte = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
  const auto text = [&]() -> std::string {
    const std::uint8_t choice = byte();
    if (choice < 200) return kWords[choice % std::size(kWords)];
    std::string typed;
    for (std::uint8_t n = byte() % 12; n > 0 && at < size; --n) typed += static_cast<char>(byte());
    return typed;
  };
  testing_support::SheetContents contents;
  contents.points = {{"25", "1", "", "1", "1"},
                     {"100", "0", "", "<", "0.8"},
                     {"300", "500", "", "2", "0.5"},
                     {"200", "", "0.9", "0", "0.7"}};
  // The decimal separator of the sheet and of the process go together.
  const bool comma = byte() % 2 == 1 && std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  if (!comma) std::setlocale(LC_NUMERIC, "C");
  MemoryGrid grid = testing_support::BuildSheet(contents, comma);
  for (int edits = byte() % 16; edits > 0 && at < size; --edits) {
    const int row = 1 + byte() % 22;
    const int col = 1 + byte() % 9;
    testing_support::Type(grid, row, col, text());
  }

  const ReadSettings settings{byte() % 2 == 1, comma};
  testing_support::RecordingSheet sheet(grid);
  const SheetPassResult pass = PassOverSheet(sheet, settings);
  if (!pass.clean()) {
    const SheetError& error = *pass.read.error;
    if (error.code < 1 || error.code > kNoDensity) __builtin_trap();
    if (error.Message().rfind(ErrorMessage(error.code) + " (row=", 0) != 0) __builtin_trap();
    return 0;
  }

  const std::uint8_t boxes = byte();
  FitOptions options;
  for (int i = 0; i < 3; ++i) options.fitted[static_cast<std::size_t>(i)] = (boxes >> i) & 1;
  options.enforceLimits = (boxes >> 3) & 1;
  const FitOutcome fit = Fit(pass.read.sheet, pass.evaluation, options);
  WriteFitOutcome(sheet, fit);
  if (!fit) {
    if (fit.reason.empty()) __builtin_trap();
    return 0;
  }
  const ShownFit shown = CheckShownFit(grid, fit.parameters, comma);
  if (!shown.shown) __builtin_trap();
  (void)PkTableLines(TableOfFit(pass.read.sheet, shown.parameters, settings.noLimits, comma));
  (void)RecordOf(pass.read.sheet, shown.parameters, comma);

  const SheetRead again = ReadDataSheet(grid, settings);
  if (again.error) {
    if (sheet.Wrote(again.error->row, again.error->col)) __builtin_trap();
  } else if (!CheckShownFit(grid, again.sheet.optimized, comma).shown) {
    __builtin_trap();
  }
  return 0;
}
