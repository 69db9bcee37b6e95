#include <gtest/gtest.h>

#include "tavrix/fit/optimize.h"
#include "tavrix/sheet/memory_grid.h"

namespace tavrix {
namespace {

// Four points whose calculated pK is pK298, with deviations of +-0.1 from
// pK298 = 1: a fit error of exactly 0.1.
Problem FourPoints() {
  Problem p;
  p.PtBasis.push_back({0, 0, 0, 0});
  p.PtPK.push_back(0);
  p.PtW.push_back(0);
  for (const double pK : {0.9, 1.1, 0.9, 1.1}) {
    p.PtBasis.push_back({pK, 1, 0, 0});
    p.PtPK.push_back(static_cast<float>(pK));
    p.PtW.push_back(1);
  }
  p.NPoints = p.NWeighted = 4;
  p.OptPar = {1.0, 2.5f, -100.0f};
  p.IniPar = p.OptPar;
  return p;
}

FitMat Diagonal(double v1, double v2, double v3) {
  FitMat inverse;
  inverse(1, 1) = v1;
  inverse(2, 2) = v2;
  inverse(3, 3) = v3;
  return inverse;
}

HeadlessView Boxes(bool pK, bool A, bool B) {
  HeadlessView view;
  view.fit = {pK, A, B};
  return view;
}

TEST(WriteFitResult, UncertaintyFromTheCoverageFactor) {
  // dof = 1, S = 0.1, NWeighted = 4: u = 12.704 * 2 * 0.1 * sqrt(0.01).
  MemoryGrid grid;
  WriteFitResult(FourPoints(), Diagonal(0.01, 0.01, 0.01), grid, Boxes(true, true, true));
  EXPECT_EQ(grid.At(9, 7).content, CellContent::Number(0.254));
  EXPECT_EQ(grid.At(10, 7).content, CellContent::Number(0.254));
  EXPECT_EQ(grid.At(11, 7).content, CellContent::Number(0.25));  // B's mask has two decimals
  EXPECT_EQ(grid.At(9, 6).content, CellContent::Number(1));
  EXPECT_EQ(grid.At(10, 6).content, CellContent::Number(2.5));
  EXPECT_EQ(grid.At(11, 6).content, CellContent::Number(-100));
  EXPECT_EQ(grid.CellText(12, 6), "0.1");
  EXPECT_EQ(grid.CellText(16, 7), "-0.1");
}

TEST(WriteFitResult, SmallOrUndefinedUncertaintiesShowAsOptimized) {
  MemoryGrid grid;
  // u = 2.54 sqrt(v): 0.003 for B formats as "    0.00", shown "0";
  // 0.0004 is too small; a negative diagonal entry gives no uncertainty.
  const double b = (0.003 / 2.5408) * (0.003 / 2.5408);
  const double small = (0.0004 / 2.5408) * (0.0004 / 2.5408);
  WriteFitResult(FourPoints(), Diagonal(small, -0.01, b), grid, Boxes(true, true, true));
  EXPECT_EQ(grid.CellText(9, 7), "optimized");
  EXPECT_EQ(grid.CellText(10, 7), "optimized");
  EXPECT_EQ(grid.CellText(11, 7), "0");
}

TEST(WriteFitResult, NoDegreesOfFreedomLeaveEveryFittedParameterOptimized) {
  Problem p = FourPoints();
  p.NWeighted = 3;  // as many weighted points as fitted parameters
  MemoryGrid grid;
  WriteFitResult(p, Diagonal(1, 1, 1), grid, Boxes(true, true, true));
  for (int row = 9; row <= 11; ++row) EXPECT_EQ(grid.CellText(row, 7), "optimized");
}

TEST(WriteFitResult, FixedParametersGetNoUncertainty) {
  MemoryGrid grid;
  grid.Put(10, 7, CellContent::Text("old"));
  // Only pK(298) and B fitted (dof = 2, t(2) = 4.307): their diagonal
  // entries are the first two.
  WriteFitResult(FourPoints(), Diagonal(0.01, 0.04, 99), grid, Boxes(true, false, true));
  EXPECT_EQ(grid.CellText(9, 7), "0.061");
  EXPECT_EQ(grid.CellText(10, 7), "");
  EXPECT_EQ(grid.CellText(11, 7), "0.12");
  EXPECT_EQ(grid.CellText(10, 6), "2.5");
}

TEST(WriteFitResult, ValueTooLargeForItsMaskShowsTheMask) {
  Problem p = FourPoints();
  p.OptPar.B = 1e6f;
  MemoryGrid grid;
  WriteFitResult(p, Diagonal(0.01, 0.01, 0.01), grid, Boxes(true, false, false));
  EXPECT_EQ(grid.At(11, 6).content, CellContent::Text("#####.##"));
}

}  // namespace
}  // namespace tavrix
