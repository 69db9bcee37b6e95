// The sheet pass, the fit and everything after it on sheets made by
// editing a valid data sheet at random. Nothing may crash or hang, a sheet
// the pass rejects always ends in one of the program's own messages, and
// a sheet the program wrote reads back: a second pass never stops at a
// cell the program wrote, and a fit it wrote stays shown.
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <string>

#include "support/data_sheet.h"
#include "support/recording_sheet.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/fit/optimize.h"
#include "tavrix/sheet/sheet_pass.h"

using namespace tavrix;

namespace {

// Texts that reach the interesting branches, besides arbitrary bytes.
const char* const kWords[] = {"",       "0",       "1",        "-1",   "<",     "?",   "2.5",
                              "1e40",   "0.31",    "0.3",      "5000", "5001",  "374", "380",
                              "1000",   "-273.15", "Complex:", "pK",   "32001", "1,5", " 7 ",
                              "1E-300", "-0",      "NaN",      "inf"};

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string Text() {
    const std::uint8_t choice = Byte();
    if (choice < 200) return kWords[choice % (sizeof kWords / sizeof *kWords)];
    std::string text;
    for (std::uint8_t n = Byte() % 12; n > 0 && !Empty(); --n) text += static_cast<char>(Byte());
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  testing_support::SheetContents contents;
  contents.points = {{"25", "1", "", "1", "1"},
                     {"100", "0", "", "<", "0.8"},
                     {"300", "500", "", "2", "0.5"},
                     {"200", "", "0.9", "0", "0.7"}};
  // The decimal separator of the sheet and of the process go together.
  const bool comma = input.Byte() % 2 == 1 && std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  if (!comma) std::setlocale(LC_NUMERIC, "C");
  MemoryGrid grid = testing_support::BuildSheet(contents, comma);
  for (int edits = input.Byte() % 16; edits > 0 && !input.Empty(); --edits) {
    const int row = 1 + input.Byte() % 22;
    const int col = 1 + input.Byte() % 9;
    testing_support::Type(grid, row, col, input.Text());
  }

  testing_support::RecordingSheet sheet(grid);
  Problem problem;
  problem.NoLimits = input.Byte() % 2 == 1;
  HeadlessView view;
  SheetPass(problem, sheet, view, "fuzz.xls", "Sheet1");
  if (problem.ErrCode != kNoError) {
    if (problem.ErrCode < 1 || problem.ErrCode > kNoDensity) __builtin_trap();
    const std::string& shown = view.messages.back().text;
    if (shown.rfind(ErrorMessage(problem.ErrCode) + " (row=", 0) != 0) __builtin_trap();
    return 0;
  }

  const std::uint8_t boxes = input.Byte();
  for (int i = 0; i < 3; ++i) view.SetFitParameter(i, (boxes >> i) & 1);
  view.limits = (boxes >> 3) & 1;
  UpdateOptimizeButton(problem, view);
  if (!view.optimizeEnabled) return 0;
  if (!Optimize(problem, sheet, view)) {
    if (view.messages.back().text != "Could not find solution") __builtin_trap();
    return 0;
  }
  ShowParams(problem, grid, view);
  if (!ResultIsShown(problem, grid, view)) __builtin_trap();
  (void)BuildPkTable(problem, grid);
  (void)ExportRecord(problem, grid);

  Problem again;
  again.NoLimits = problem.NoLimits;
  HeadlessView seen;
  SheetPass(again, grid, seen, "fuzz.xls", "Sheet1");
  if (again.ErrCode != kNoError) {
    int row = 0, col = 0;
    const std::string& text = seen.messages.back().text;
    std::sscanf(text.c_str() + text.rfind("(row="), "(row=%d, col=%d)", &row, &col);
    if (sheet.Wrote(row, col)) __builtin_trap();
  } else if (!ResultIsShown(again, grid, seen)) {
    __builtin_trap();
  }
  return 0;
}
