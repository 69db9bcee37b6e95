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

TEST(FitError, WeightedRootMeanSquareOfTheCountedPoints) {
  // Deviations 1 and 0 with weights 2 and 1: sqrt(4 / 5); weight 0 and "<"
  // points are shown but not counted. A tiny negative deviation is written
  // as a zero without a sign.
  const Points p{{4, 2}, {5, 1}, {9, 0}, {0, -1}, {5.0004f, 0}};
  const FitErrors errors = FitErrorAtPoints(p.sheet, p.evaluation, {5, 0, 0});
  EXPECT_DOUBLE_EQ(errors.total, std::sqrt(0.8));
  MemoryGrid grid;
  WritePointResults(grid, errors.points);
  WriteFitError(grid, FitErrorCell::kOptimized, errors.total);
  EXPECT_EQ(grid.CellText(12, 6), "0.894");
  EXPECT_EQ(grid.At(15, 6).content, CellContent::Number(5));
  EXPECT_EQ(grid.At(15, 7).content, CellContent::Number(1));
  EXPECT_EQ(grid.CellText(17, 7), "-4");
  EXPECT_EQ(grid.CellText(18, 7), "5");
  EXPECT_EQ(grid.At(18, 7).numberFormat, "0.000");
  EXPECT_EQ(grid.At(19, 7).content, CellContent::Number(0));
  EXPECT_FALSE(std::signbit(grid.At(19, 7).content.number()));
}

TEST(FitError, NothingCountedOrAParameterUndefinedIsUndefined) {
  const Points none{{4, 0}, {5, -1}};
  EXPECT_EQ(FitError(none.sheet, none.evaluation, {5, 0, 0}), 1E35);
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

}  // namespace
}  // namespace tavrix
