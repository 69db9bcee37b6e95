#include <gtest/gtest.h>

#include <algorithm>

#include "tavrix/plot/plot_layout.h"
#include "tavrix/plot/plot_svg.h"

namespace tavrix {
namespace {

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

// Each model's line has dashes of its own within and beyond the data (the
// first model's is solid within them), in the colour of its condition;
// outside the range of confidence it is thinner and paler.
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

  EXPECT_TRUE(Shows(scene.legend, "500 bar <&>"));
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
