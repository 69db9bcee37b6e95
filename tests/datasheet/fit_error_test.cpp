#include "tavrix/datasheet/fit_error.h"

#include <gtest/gtest.h>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix {
namespace {

// The fit error and each point's cells after a fit (weights, "<" points and
// weight 0 shown but not counted, the mask, a zero without a sign, "?" for
// no error) are the golden sheets' F and G cells. A point without a
// calculated pK comes after no fit the program writes back.
TEST(WritePointResults, APointWithoutACalculatedPkShowsAQuestionMarkAndNoDeviation) {
  MemoryGrid grid;
  grid.Put(15, 7, CellContent::Number(3));
  WritePointResults(grid, {PointResult{}});
  EXPECT_EQ(grid.CellText(15, 6), "?");
  EXPECT_EQ(grid.CellText(15, 7), "");
}

}  // namespace
}  // namespace tavrix
