#include "tavrix/sheet/memory_grid.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

TEST(MemoryGrid, NumbersReadBackAsAGeneralFormatShowsThem) {
  MemoryGrid grid;
  grid.SetCell(1, 1, CellContent::Number(3.142));
  grid.SetCell(1, 2, CellContent::Number(1E35));
  grid.SetCell(1, 3, CellContent::Number(0.1 + 0.2));
  grid.SetCell(1, 4, CellContent::Number(0.00001));
  grid.SetCell(1, 5, CellContent::Number(-300));
  EXPECT_EQ(grid.CellText(1, 1), "3.142");
  EXPECT_EQ(grid.CellText(1, 2), "1E+35");
  EXPECT_EQ(grid.CellText(1, 3), "0.3");  // 15 significant digits
  EXPECT_EQ(grid.CellText(1, 4), "1E-05");
  EXPECT_EQ(grid.CellText(1, 5), "-300");
  EXPECT_EQ(grid.CellText(7, 7), "");

  MemoryGrid comma(true);
  comma.SetCell(1, 1, CellContent::Number(-0.75));
  EXPECT_EQ(comma.CellText(1, 1), "-0,75");
}

TEST(MemoryGrid, ClearingKeepsFormatsAndAnEmptyTextEmptiesTheCell) {
  MemoryGrid grid;
  grid.SetCell(2, 2, CellContent::Text("x"));
  grid.SetNumberFormat({2, 2, 3, 3}, "0.000");
  grid.SetFontColor({2, 2, 2, 3}, kRed);
  grid.ClearCells({1, 1, 2, 2});
  EXPECT_TRUE(grid.At(2, 2).content.IsEmpty());
  EXPECT_EQ(grid.At(2, 2).numberFormat, "0.000");
  EXPECT_EQ(grid.At(3, 3).numberFormat, "0.000");
  EXPECT_EQ(grid.At(2, 3).fontColor, kRed);
  EXPECT_FALSE(grid.At(3, 3).fontColor.has_value());

  grid.SetCell(4, 4, CellContent::Text("y"));
  grid.SetCell(4, 4, CellContent::Text(""));
  EXPECT_TRUE(grid.At(4, 4).content.IsEmpty());
}

}  // namespace
}  // namespace tavrix
