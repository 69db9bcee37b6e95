#pragma once

#include <gtest/gtest.h>

#include "support/data_sheet.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/fit.h"

namespace tavrix::testing_support {

// A sheet built from its contents and passed over, then fitted as asked,
// the fit written back into it.
struct FittedSheet {
  explicit FittedSheet(const SheetContents& contents)
      : grid(BuildSheet(contents)), pass(PassOverSheet(grid, {})) {
    EXPECT_TRUE(pass.clean()) << pass.read.error->Message();
  }
  const FitOutcome& Run(ParameterChoice fitted, bool limits = false) {
    outcome = Fit(pass.read.sheet, pass.evaluation, {fitted, limits});
    WriteFitOutcome(grid, outcome);
    return outcome;
  }
  MemoryGrid grid;
  SheetPassResult pass;
  FitOutcome outcome;
};

}  // namespace tavrix::testing_support
