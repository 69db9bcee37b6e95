#include "tavrix/sheet/fit_error.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix {
namespace {

// Points whose only basis term is tau = 1: the calculated pK is pK298.
Problem PointsAt(std::initializer_list<std::pair<float, float>> pkAndWeight) {
  Problem p;
  p.PtBasis.push_back({0, 0, 0, 0});
  p.PtPK.push_back(0);
  p.PtW.push_back(0);
  for (const auto& [pK, w] : pkAndWeight) {
    p.PtBasis.push_back({pK, 1, 0, 0});
    p.PtPK.push_back(pK);
    p.PtW.push_back(w);
  }
  p.NPoints = static_cast<int>(pkAndWeight.size());
  return p;
}

RBPar Par(double pK298) {
  return {pK298, 0, 0};
}

TEST(FitError, WeightedRootMeanSquare) {
  // Deviations 1 and 0 with weights 2 and 1: sqrt(4 / 5).
  const Problem p = PointsAt({{4, 2}, {5, 1}});
  MemoryGrid grid;
  EXPECT_DOUBLE_EQ(FitError(p, Par(5), kFitErrorOptimized, grid), std::sqrt(0.8));
  EXPECT_EQ(grid.CellText(12, 6), "0.894");
  EXPECT_EQ(grid.At(15, 6).content, CellContent::Number(5));
  EXPECT_EQ(grid.At(15, 7).content, CellContent::Number(1));
  EXPECT_EQ(grid.At(16, 7).content, CellContent::Number(0));
}

TEST(FitError, IgnoredAndLimitPointsAreShownButNotCounted) {
  const Problem p = PointsAt({{4, 1}, {9, 0}, {0, -1}});
  MemoryGrid grid;
  EXPECT_DOUBLE_EQ(FitError(p, Par(5), kFitErrorOptimized, grid), 1.0);
  EXPECT_EQ(grid.CellText(16, 7), "-4");
  EXPECT_EQ(grid.CellText(17, 7), "5");
}

TEST(FitError, NoWeightedPointIsUndefined) {
  const Problem p = PointsAt({{4, 0}, {5, -1}});
  MemoryGrid grid;
  EXPECT_EQ(FitError(p, Par(5), kFitErrorInitial, grid), 1E35);
  EXPECT_EQ(grid.CellText(12, 5), "?");
}

TEST(FitError, UndefinedParameterLeavesNoCalculatedPk) {
  const Problem p = PointsAt({{4, 1}, {5, 1}});
  MemoryGrid grid;
  grid.Put(15, 7, CellContent::Number(3));
  const RBPar par{5, 1E35f, 0};
  EXPECT_EQ(FitError(p, par, kFitErrorOptimized, grid), 1E35);
  EXPECT_EQ(grid.CellText(15, 6), "?");
  EXPECT_EQ(grid.CellText(15, 7), "");
  EXPECT_EQ(grid.CellText(12, 6), "?");
}

TEST(FitError, OutputGoesOnlyWhereTheColumnSays) {
  const Problem p = PointsAt({{4, 1}});
  MemoryGrid initial;
  FitError(p, Par(5), kFitErrorInitial, initial);
  EXPECT_EQ(initial.CellText(12, 5), "1");
  EXPECT_EQ(initial.RowCount(), 12);  // no point cells

  MemoryGrid none;
  FitError(p, Par(5), kFitErrorNoOutput, none);
  EXPECT_EQ(none.RowCount(), 0);
}

TEST(FitError, TinyNegativeDeviationIsWrittenAsZero) {
  const Problem p = PointsAt({{5.0004f, 1}});
  MemoryGrid grid;
  FitError(p, Par(5), kFitErrorOptimized, grid);
  ASSERT_TRUE(grid.At(15, 7).content.IsNumber());
  EXPECT_EQ(grid.At(15, 7).content.number(), 0.0);
}

}  // namespace
}  // namespace tavrix
