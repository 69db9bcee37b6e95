#include "tavrix/sheet/memory_grid.h"

#include <gtest/gtest.h>

namespace tavrix {
namespace {

TEST(MemoryGrid, NumbersReadBackAsAGeneralFormatShowsThem) {
  const struct {
    double number;
    bool comma;
    const char* text;
  } cases[] = {{3.142, false, "3.142"},   {1E35, false, "1E+35"},
               {0.1 + 0.2, false, "0.3"},  // 15 significant digits
               {0.00001, false, "1E-05"}, {-300, false, "-300"},
               {-0.75, true, "-0,75"}};
  for (const auto& c : cases) {
    MemoryGrid grid(c.comma);
    grid.SetCell(1, 1, CellContent::Number(c.number));
    EXPECT_EQ(grid.CellText(1, 1), c.text);
  }
  EXPECT_EQ(MemoryGrid().CellText(7, 7), "");
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
