#include "tavrix/datasheet/fit_error.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tavrix/sheet/memory_grid.h"

namespace tavrix {
namespace {

// Points whose only term is tau = 1: the calculated pK is pK298. A
// negative weight stands for a "<" point.
struct Points {
  Points(std::initializer_list<std::pair<float, float>> pkAndWeight) {
    for (const auto& [pK, w] : pkAndWeight) {
      const PointKind kind =
          w > 0 ? PointKind::kWeighted : (w == 0 ? PointKind::kIgnored : PointKind::kUpperLimit);
      sheet.points.push_back({25, 1.0f, 1, kind, w > 0 ? w : 0, pK});
      evaluation.terms.push_back({pK, {1, 0, 0}});
    }
  }
  DataSheet sheet;
  Evaluation evaluation;
};

RBPar Par(double pK298) {
  return {pK298, 0, 0};
}

TEST(FitError, WeightedRootMeanSquareOfTheCountedPoints) {
  // Deviations 1 and 0 with weights 2 and 1: sqrt(4 / 5); weight 0 and "<"
  // points are shown but not counted.
  const Points p{{4, 2}, {5, 1}, {9, 0}, {0, -1}};
  const FitErrors errors = FitErrorAtPoints(p.sheet, p.evaluation, Par(5));
  EXPECT_DOUBLE_EQ(errors.total, std::sqrt(0.8));
  EXPECT_EQ(FitError(p.sheet, p.evaluation, Par(5)), errors.total);
  MemoryGrid grid;
  WritePointResults(grid, errors.points);
  WriteFitError(grid, FitErrorCell::kOptimized, errors.total);
  EXPECT_EQ(grid.CellText(12, 6), "0.894");
  EXPECT_EQ(grid.At(15, 6).content, CellContent::Number(5));
  EXPECT_EQ(grid.At(15, 7).content, CellContent::Number(1));
  EXPECT_EQ(grid.CellText(17, 7), "-4");
  EXPECT_EQ(grid.CellText(18, 7), "5");
  EXPECT_EQ(grid.At(18, 7).numberFormat, "0.000");
}

TEST(FitError, NothingCountedOrAParameterUndefinedIsUndefined) {
  const Points none{{4, 0}, {5, -1}};
  EXPECT_EQ(FitError(none.sheet, none.evaluation, Par(5)), 1E35);
  MemoryGrid grid;
  WriteFitError(grid, FitErrorCell::kInitial, 1E35);
  EXPECT_EQ(grid.CellText(12, 5), "?");

  const Points two{{4, 1}, {5, 1}};
  const FitErrors errors = FitErrorAtPoints(two.sheet, two.evaluation, {5, 1E35f, 0});
  EXPECT_EQ(errors.total, 1E35);
  grid.Put(15, 7, CellContent::Number(3));
  WritePointResults(grid, errors.points);
  EXPECT_EQ(grid.CellText(15, 6), "?");
  EXPECT_EQ(grid.CellText(15, 7), "");
}

TEST(FitError, TinyNegativeDeviationIsWrittenAsZero) {
  const Points p{{5.0004f, 1}};
  MemoryGrid grid;
  WritePointResults(grid, FitErrorAtPoints(p.sheet, p.evaluation, Par(5)).points);
  ASSERT_TRUE(grid.At(15, 7).content.IsNumber());
  EXPECT_FALSE(std::signbit(grid.At(15, 7).content.number()));
  EXPECT_EQ(grid.At(15, 7).content.number(), 0.0);
}

}  // namespace
}  // namespace tavrix
