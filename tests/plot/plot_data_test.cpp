#include "tavrix/plot/plot_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tavrix/plot/plot_layout.h"
#include "tavrix/plot/plot_svg.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

// Points at saturation, at 900 bar (weight 0), at 1500 bar above the
// table's 500 C ("<"), given by density, and at 5000 bar.
DataSheet Measured() {
  DataSheet sheet;
  sheet.species = {{1, "Na+"}};
  sheet.points = {{100, SatPressure(KelvinOf(100)), 0.95f, PointKind::kWeighted, 1, -0.6f},
                  {300, 900.0f, 0.8f, PointKind::kIgnored, 0, 0.5f},
                  {809, 1500.0f, 0.5f, PointKind::kUpperLimit, 0, 1.0f},
                  {450, std::nullopt, 0.6f, PointKind::kWeighted, 1, 0.9f},
                  {25, 5000.0f, 1.1f, PointKind::kWeighted, 1, -1.0f}};
  return sheet;
}

const RBPar kFit{-1.2, 0.55f, -120.0f};

// The coldest and hottest t of the curves of `group` (of all with -1).
std::pair<double, double> SpanOf(const PlotData& plot, int group = -1) {
  std::pair<double, double> span{1e9, -1e9};
  for (const PlotCurve& curve : plot.curves) {
    if (group >= 0 && curve.group != group) continue;
    for (const auto& point : curve.points)
      span = {std::min(span.first, point.first), std::max(span.second, point.first)};
  }
  return span;
}

TEST(PlotData, OneCurvePerMeasuredConditionOverTheDataRange) {
  const PlotData plot = BuildPlotData(Measured(), kFit, false);
  std::vector<std::string> names;
  for (const PlotGroup& group : plot.groups) names.push_back(group.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"Psat", "900 bar", "1500 bar", "5000 bar", "0.6 g/cm3"}));
  const int expected[5] = {0, 1, 2, 4, 3};
  ASSERT_EQ(plot.points.size(), 5u);
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(plot.points[k].group, expected[k]) << k;
  EXPECT_EQ(plot.points[1].kind, PlotPoint::Kind::kIgnored);
  EXPECT_EQ(plot.points[2].kind, PlotPoint::Kind::kLimit);

  EXPECT_GT(SpanOf(plot, 0).second, 370);  // the saturation curve up to the critical point
  EXPECT_LT(SpanOf(plot, 0).second, 374.1);
  EXPECT_DOUBLE_EQ(SpanOf(plot, 2).second, 809);  // the 1500 bar curve as far as its hottest point
  // A charged complex leaves its range above 1 g/cm3: dense water at 25 C, 5000 bar.
  EXPECT_TRUE(std::any_of(plot.curves.begin(), plot.curves.end(), [](const PlotCurve& curve) {
    return curve.group == 3 && !curve.inRange && curve.points.front().first == 25;
  }));
}

TEST(PlotData, EachCurvesBandIsTheUncertaintyOfItsPk) {
  ParameterCovariance covariance{};
  covariance[0][0] = 0.04;  // pK(298) alone, +/- 0.2: u(pK) = 0.2 tau
  const PlotData plot = BuildPlotData(Measured(), kFit, false, covariance);
  for (const PlotCurve& curve : plot.curves) {
    ASSERT_EQ(curve.band.size(), curve.points.size());
    for (std::size_t i = 0; i < curve.points.size(); ++i) {
      const float T = KelvinOf(static_cast<float>(curve.points[i].first));
      EXPECT_NEAR(curve.band[i], 0.2 * 298.15 / T, 1e-12);
    }
  }
}

TEST(PlotData, ManyPressuresShareCurvesNamedByTheirRange) {
  DataSheet sheet;
  for (float P = 100; P <= 3000; P += 100)
    sheet.points.push_back({200, P, 0.9f, PointKind::kWeighted, 1, 0.1f});
  const PlotData plot = BuildPlotData(sheet, kFit, false);
  ASSERT_EQ(plot.groups.size(), kMaxPlotGroups);
  EXPECT_EQ(plot.groups.front().name, "100\u2013300 bar");
  EXPECT_EQ(plot.groups.back().name, "2800\u20133000 bar");
  EXPECT_EQ(plot.points[3].group, 1);  // 400 bar
}

DataSheet AtPressure(float P, std::initializer_list<float> temperatures) {
  DataSheet sheet;
  for (const float t : temperatures)
    sheet.points.push_back({t, P, WaterDensity(KelvinOf(t), P), PointKind::kWeighted, 1, 0.1f});
  return sheet;
}

TEST(PlotData, CurvesStopWhereThePkTableHasNoValue) {
  // 100 bar boils at 311.0 C (IAPWS): above it the model's water is steam.
  // Steam and gas (model_test's Domain tests) end a curve alike; the edge is found to 0.1 C.
  const DataSheet boiling = AtPressure(100, {25, 400});
  const auto last = static_cast<float>(SpanOf(BuildPlotData(boiling, kFit, false), 0).second);
  EXPECT_GE(100, SatPressure(KelvinOf(last)));
  EXPECT_LT(100, SatPressure(KelvinOf(last + 0.1f)));
  EXPECT_DOUBLE_EQ(SpanOf(BuildPlotData(boiling, kFit, true), 0).second, 400);  // --ie
}

TEST(PlotData, CurvesAreExtrapolatedBeyondTheSpanOfTheWeightedPoints) {
  // Weighted points from 100 to 300 C; points of weight 0 stretch the
  // curve from 25 to 450 C. At one pressure the density falls with t, so
  // the span is that of t.
  DataSheet sheet = AtPressure(1000, {100, 200, 300, 25, 450});
  sheet.points[3].kind = sheet.points[4].kind = PointKind::kIgnored;
  const PlotData plot = BuildPlotData(sheet, kFit, false);
  std::vector<std::pair<double, double>> solid;
  for (const PlotCurve& curve : plot.curves) {
    ASSERT_GE(curve.points.size(), 2u);
    const double from = curve.points.front().first, to = curve.points.back().first;
    if (curve.extrapolated) {
      EXPECT_TRUE(to <= 100.001 || from >= 299.999) << from << ".." << to;
    } else {
      solid.emplace_back(from, to);
    }
  }
  ASSERT_EQ(solid.size(), 1u);
  EXPECT_NEAR(solid[0].first, 100, 1e-3);
  EXPECT_NEAR(solid[0].second, 300, 1e-3);
  EXPECT_NEAR(SpanOf(plot).first, 25, 1e-9);
  EXPECT_NEAR(SpanOf(plot).second, 450, 1e-9);
}

TEST(PlotData, FlaggedPointsCarryTheirWarningAndReachTheResidualPlots) {
  const DataSheet sheet = Measured();
  PlotData plot = BuildPlotData(sheet, kFit, false);
  FitDiagnostics diagnostics;
  diagnostics.points = {{0, 0.1, 0.2, 0.5, 0.01}, {3, 0.9, 0.3, 4.2, 0.1, true}};
  MarkDiagnostics(plot, sheet, diagnostics);
  EXPECT_FALSE(plot.points[0].flagged);
  EXPECT_TRUE(plot.points[3].flagged);
  ASSERT_EQ(plot.notes.size(), 1u);
  EXPECT_EQ(plot.notes[3].rfind("row 18: pK 0.9 lies 4.2 s from the fit", 0), 0u) << plot.notes[3];

  const std::vector<std::optional<double>> residuals = {0.1, std::nullopt, std::nullopt, -0.3,
                                                        0.05};
  const PlotData byT = ResidualPlotData(plot, sheet, residuals, ResidualAxis::kTemperature);
  const PlotData byDensity = ResidualPlotData(plot, sheet, residuals, ResidualAxis::kDensity);
  ASSERT_EQ(byT.points.size(), 3u);
  EXPECT_EQ(byT.points[1].x, 450);
  EXPECT_EQ(byDensity.points[1].x, 0.6f);
  EXPECT_EQ(byT.points[1].y, -0.3);
  EXPECT_TRUE(byT.points[1].flagged);
  EXPECT_EQ(byT.notes.at(1), plot.notes[3]);
  EXPECT_EQ(byT.points[1].group, plot.points[3].group);
  EXPECT_TRUE(byT.curves.empty());
  EXPECT_EQ(byT.guides, std::vector<double>{0});
  EXPECT_LE(byT.y.low, -0.3);
  EXPECT_DOUBLE_EQ(byT.y.low, -byT.y.high);  // about 0
}

TEST(PlotData, AnotherModelsCurvesFollowItsPkInTheirOwnStyle) {
  PlotData plot = BuildPlotData(Measured(), kFit, false);
  const std::size_t rbCurves = plot.curves.size();
  FittedModel density3{ModelNamed("density3"), {2.0, -900.0, 3.0}};
  AddModelCurves(plot, Measured(), density3, 1, false);
  ASSERT_GT(plot.curves.size(), rbCurves);
  for (std::size_t c = 0; c < plot.curves.size(); ++c) {
    const PlotCurve& curve = plot.curves[c];
    EXPECT_EQ(curve.model, c < rbCurves ? 0 : 1);
    EXPECT_TRUE(curve.band.empty());  // RB's without its covariance, another model's always
    const PlotGroup& group = plot.groups[static_cast<std::size_t>(curve.group)];
    if (c < rbCurves || group.kind != PlotGroup::Kind::kPressure) continue;
    const auto [t, pK] = curve.points.back();
    const float T = KelvinOf(static_cast<float>(t));
    const double rho = WaterDensity(T, static_cast<float>(group.value));
    EXPECT_NEAR(pK, 2.0 - 900.0 / T + 3.0 * std::log10(rho), 1e-9);  // p1 + p2/T + p3 log10 rho
  }
}

TEST(PlotData, AxesTickAtRoundNumbers) {
  const struct {
    double low, high;
    int ticks;
    double minStep;
    PlotAxis axis;
  } cases[] = {
      {17, 809, 9, 10, {0, 900, 100}},  // the NaCl data: 0, 100, ... 900 C
      {20, 80, 9, 10, {20, 80, 10}},     {-1.3, 2.2, 8, 0.5, {-1.5, 2.5, 0.5}},  // half pK units
      {0.1, 0.2, 8, 0.5, {0, 0.5, 0.5}},  // never finer than half a unit
      {-4.2, 9.7, 8, 0.5, {-6, 10, 2}},  {3, 3, 8, 0.5, {2.5, 3.5, 0.5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high));
    const PlotAxis axis = NiceAxis(c.low, c.high, c.ticks, c.minStep);
    EXPECT_DOUBLE_EQ(axis.low, c.axis.low);
    EXPECT_DOUBLE_EQ(axis.high, c.axis.high);
    EXPECT_DOUBLE_EQ(axis.step, c.axis.step);
  }
  EXPECT_DOUBLE_EQ(BuildPlotData(Measured(), kFit, false).x.step, 100);
}

// Two pieces of one curve, over 0-100 by 0-10: solid to (50, 5), dashed
// beyond; a weighted point, and a flagged one.
PlotData TwoPieces() {
  PlotData plot;
  plot.groups = {{PlotGroup::Kind::kPressure, 500, "500 bar <&>"}};
  plot.curves = {{0, true, false, {{0, 0}, {50, 5}}}, {0, true, true, {{50, 5}, {100, 10}}}};
  plot.points = {{20, 2, PlotPoint::Kind::kWeighted, 0},
                 {80, 6, PlotPoint::Kind::kWeighted, 0, true}};
  plot.notes = {{1, "row 16: pK 6 lies 4.0 s <far>"}};
  plot.x = {0, 100, 50};
  plot.y = {0, 10, 0.5};
  return plot;
}

const TextMetrics kMetrics{[](std::string_view text) { return 6.0 * text.size(); }, 10, 14};

bool Shows(const SceneLayer& layer, const std::string& text) {
  return std::any_of(layer.texts.begin(), layer.texts.end(),
                     [&](const SceneText& shown) { return shown.text == text; });
}

TEST(PlotStyle, EachModelHasALineOfItsOwnWithinAndBeyondTheData) {
  std::vector<std::vector<double>> seen;
  for (int model = 0; model < 4; ++model) {
    for (const bool extrapolated : {false, true}) {
      const Stroke stroke = CurveStroke(PlotCurve{3, true, extrapolated, {}, {}, model});
      EXPECT_EQ(stroke.color, GroupColor(3));
      EXPECT_EQ(stroke.dashes.empty(), model == 0 && !extrapolated);
      EXPECT_EQ(std::count(seen.begin(), seen.end(), stroke.dashes), 0) << model << extrapolated;
      seen.push_back(stroke.dashes);
      const Stroke doubtful = CurveStroke(PlotCurve{3, false, extrapolated, {}, {}, model});
      EXPECT_LT(doubtful.width, stroke.width);
      EXPECT_FALSE(doubtful.color == stroke.color);
      EXPECT_EQ(doubtful.dashes, stroke.dashes);
    }
  }
}

TEST(PlotLayout, PlacesPointsRingsAndTheLegendOfWhatIsDrawn) {
  const PlotData plot = TwoPieces();
  const PlotScene scene = LayOutPlot(plot, {0, 0, 600, 400}, kMetrics, {true, true});
  std::vector<SceneMarker> marks;
  ForEachPointMark(plot, scene, [&](const SceneMarker& mark) { marks.push_back(mark); });
  ASSERT_EQ(marks.size(), 2u);
  ASSERT_EQ(scene.inside.rings.size(), 1u);
  EXPECT_EQ(scene.inside.rings[0].point, 1);
  EXPECT_DOUBLE_EQ(scene.inside.rings[0].at.x, marks[1].at.x);
  // The marks lie in the frame (the clip less a mark around it) in
  // proportion to their values.
  const PixelBox& clip = scene.clip;
  const double width = clip.Width() - 2 * kMarker, height = clip.Height() - 2 * kMarker;
  EXPECT_NEAR(marks[0].at.x, clip.left + kMarker + 0.2 * width, 1e-9);
  EXPECT_NEAR(marks[1].at.y, clip.bottom - kMarker - 0.6 * height, 1e-9);
  // Only the flagged point has a tip, within a few pixels of its mark.
  EXPECT_EQ(FlaggedPointTip(plot, scene, {marks[1].at.x + 3, marks[1].at.y - 3}), plot.notes.at(1));
  EXPECT_EQ(FlaggedPointTip(plot, scene, {marks[1].at.x + 9, marks[1].at.y}), "");
  EXPECT_EQ(FlaggedPointTip(plot, scene, marks[0].at), "");

  EXPECT_TRUE(Shows(scene.legend, "beyond the data (extrapolated)"));
  EXPECT_FALSE(Shows(scene.legend, "outside the range of confidence (?)"));
  EXPECT_TRUE(Shows(scene.legend, "outlier, or pulls the fit"));
  EXPECT_TRUE(Shows(scene.axes, "2,5"));  // tick labels in the decimal mark asked for
  EXPECT_TRUE(LayOutPlot(plot, {0, 0, 600, 400}, kMetrics, {false}).legend.texts.empty());
}

TEST(PlotSvg, WritesTheSceneAsEscapedSvgWithTipsOnTheRings) {
  const std::string svg = PlotSvg(TwoPieces(), 600, 400);
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_NE(svg.find("viewBox=\"0 0 600 400\""), std::string::npos);
  EXPECT_NE(svg.find(">500 bar &lt;&amp;&gt;</text>"), std::string::npos);
  EXPECT_NE(svg.find("<title>row 16: pK 6 lies 4.0 s &lt;far&gt;</title>"), std::string::npos);
  EXPECT_NE(svg.find("stroke-dasharray=\"7 4\""), std::string::npos);
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_EQ(svg.find("href"), std::string::npos);
  // Every element closed: as many ends as starts of the nested viewport.
  const auto count = [&](const std::string& s) {
    std::size_t n = 0;
    for (std::size_t at = svg.find(s); at != std::string::npos; at = svg.find(s, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<svg"), 2u);
  EXPECT_EQ(count("</svg>"), 2u);
  EXPECT_EQ(count("<text"), count("</text>"));
}

TEST(PlotLayout, TickTextsHaveTheDecimalsOfTheirStep) {
  EXPECT_EQ(TickText(100, 100, false), "100");
  EXPECT_EQ(TickText(-1.5, 0.5, true), "-1,5");
  EXPECT_EQ(TickText(0.05, 0.05, false), "0.05");
  EXPECT_EQ(TickText(-1e-17, 0.5, false), "0.0");
}

}  // namespace
}  // namespace tavrix
