#include "tavrix/fit/shown_fit.h"

#include <gtest/gtest.h>

#include "support/data_sheet.h"
#include "tavrix/fit/fit.h"

namespace tavrix {
namespace {

using testing_support::Type;

// F9:F11 as a fit writes them.
MemoryGrid Showing(const RBPar& fitted) {
  MemoryGrid grid;
  for (int i = 0; i < 3; ++i) grid.Put(9 + i, 6, OptimizedCell(i, fitted));
  return grid;
}

TEST(ShownFit, TheValuesShownReplaceTheFittedOnesUntilOneDiffers) {
  const RBPar fitted{3.45678, 0.5f, -12.345f};
  MemoryGrid grid = Showing(fitted);  // shown as written: the golden sheets' tables take it
  Type(grid, 10, 6, "0.6");
  const ShownFit other = CheckShownFit(grid, fitted, false);
  EXPECT_FALSE(other.shown);
  EXPECT_EQ(other.parameters.pK298, 3.4570000171661377);  // 3.457 as a float: replaced before F10
  EXPECT_EQ(other.parameters.A, 0.5f);
  grid.ClearCells({9, 6, 12, 7});  // as a fit without solution leaves it
  EXPECT_FALSE(CheckShownFit(grid, fitted, false).shown);
}

TEST(ShownFit, RoundedInSinglePrecisionFirst) {
  // -19.9985 shows as -19.999 only when rounded to single precision first.
  MemoryGrid grid = Showing({0, 0, 0});
  Type(grid, 9, 6, "-19.999");
  EXPECT_TRUE(CheckShownFit(grid, {-19.9985, 0, 0}, false).shown);
  // 1.234499999999 shows as 1.234, but 1.235 in single precision: shown as written.
  MemoryGrid written = Showing({1.234499999999, 0, 0});
  ASSERT_EQ(written.CellText(9, 6), "1.234");
  EXPECT_TRUE(CheckShownFit(written, {1.234499999999, 0, 0}, false).shown);
}

}  // namespace
}  // namespace tavrix
