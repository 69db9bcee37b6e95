#include "tavrix/app/plot_data.h"

#include <gtest/gtest.h>

#include "tavrix/water/water.h"

namespace tavrix {
namespace {

Problem Fitted(bool noLimits) {
  Problem p;
  p.NoLimits = noLimits;
  p.OptPar = {-1.2, 0.55f, -120.0f};
  p.Species[1] = "Na+";
  p.NPoints = 3;
  p.PtT = {0, 100, 300, 450};
  p.PtP = {0, SatPressure(KelvinOf(100)), 900, 1E35f};
  p.PtD = {0, 0.95f, 0.8f, 0.6f};
  p.PtW = {0, 1, 0, -1};
  p.PtPK = {0, -0.6f, 0.5f, 1.0f};
  return p;
}

TEST(PlotData, CurvesFollowTheTableColumns) {
  const PlotData plot = BuildPlotData(Fitted(false));
  double hottestSaturation = 0;
  bool gap = false;
  for (const PlotCurve& curve : plot.curves) {
    ASSERT_GE(curve.points.size(), 1u);
    if (curve.column == 1) hottestSaturation = std::max(hottestSaturation, curve.points.back().first);
    if (curve.column == 2) gap = gap || curve.points.back().first < 500;  // gas near 500 C
  }
  EXPECT_LT(hottestSaturation, 374.1);  // no saturation above the critical point
  EXPECT_GT(hottestSaturation, 370);
  EXPECT_TRUE(gap);
  // A charged complex leaves its range above 1 g/cm3: dense water at 25 C, 5000 bar.
  bool dashedAtHighPressure = false;
  for (const PlotCurve& curve : plot.curves) {
    if (curve.column == 5 && !curve.inRange && curve.points.front().first == 25) dashedAtHighPressure = true;
  }
  EXPECT_TRUE(dashedAtHighPressure);
}

TEST(PlotData, PointsKeepTheirKindAndColumn) {
  const PlotData plot = BuildPlotData(Fitted(false));
  ASSERT_EQ(plot.points.size(), 3u);
  EXPECT_EQ(plot.points[0].kind, PlotPoint::Kind::kWeighted);
  EXPECT_EQ(plot.points[0].column, 1);  // at saturation
  EXPECT_EQ(plot.points[1].kind, PlotPoint::Kind::kIgnored);
  EXPECT_EQ(plot.points[1].column, 3);  // 900 bar is nearest 1000
  EXPECT_EQ(plot.points[2].kind, PlotPoint::Kind::kLimit);
  EXPECT_EQ(ColumnName(1), "Psat");
  EXPECT_EQ(ColumnName(4), "2000 bar");
}

}  // namespace
}  // namespace tavrix
