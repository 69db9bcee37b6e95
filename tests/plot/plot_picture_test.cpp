#include "tavrix/plot/plot_picture.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "support/temp_folder.h"

namespace tavrix {
namespace {

PlotData Diagonal() {
  PlotData plot;
  plot.groups = {{PlotGroup::Kind::kPressure, 500, "500 bar"}};
  plot.curves = {{0, true, false, {{0, 0}, {100, 10}}}};
  plot.points = {{50, 5, PlotPoint::Kind::kWeighted, 0}};
  plot.x = {0, 100, 20};
  plot.y = {0, 10, 2};
  return plot;
}

template <typename Test>
int Count(const QImage& image, Test test) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += test(image.pixelColor(x, y)) ? 1 : 0;
  return count;
}

const auto Blue = [](const QColor& c) { return c.blue() > 150 && c.red() < 100; };
const auto Red = [](const QColor& c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; };
// A light tint of blue: the band's fill on white.
const auto Tinted = [](const QColor& c) {
  return c.red() > 180 && c.red() < 245 && c.blue() > c.red() + 10;
};

using PlotPicture = testing_support::TempFolderTest;

// The PNG is painted (PaintPlot), the SVG written (PlotSvg).
TEST_F(PlotPicture, FilesShowTheCurveItsBandThePointsAndARedRingAroundAFlaggedOne) {
  PlotData plot = Diagonal();
  const std::string png = PathOf("plot.png");
  const std::string svg = PathOf("plot.svg");
  ASSERT_TRUE(SavePlot(plot, png, QSize(600, 400)));
  ASSERT_TRUE(SavePlot(plot, svg, QSize(600, 400)));
  EXPECT_FALSE(SavePlot(plot, PathOf("plot.jpg")));

  // The point lies on the curve, in the middle of the frame: its colour is
  // there, and none of it in the frame's empty upper left.
  const QImage image(QString::fromStdString(png));
  ASSERT_EQ(image.size(), QSize(600, 400));
  EXPECT_GT(Count(image, Blue), 300);
  EXPECT_EQ(Count(image.copy(0, 0, 200, 120), Blue), 0);
  EXPECT_EQ(Count(image, Red), 0);
  EXPECT_NE(Read(svg).find("500 bar"), std::string::npos);  // the scene is in plot_data_test

  plot.curves[0].band = {1, 1};  // pK +/- 1 all along: a tenth of the frame's height
  plot.points[0].flagged = true;
  ASSERT_TRUE(SavePlot(plot, png, QSize(600, 400)));
  const QImage banded(QString::fromStdString(png));
  EXPECT_GT(Count(banded, Tinted), Count(image, Tinted) + 5000);
  EXPECT_GT(Count(banded, Red), 2 * 40);  // two rings: the point's and the legend's
}

TEST(PlotFileName, TakesTheFiltersExtensionWhenTheNameHasNone) {
  EXPECT_EQ(PlotFileName("/tmp/fit", "SVG (*.svg)"), "/tmp/fit.svg");
  EXPECT_EQ(PlotFileName("/tmp/fit.png", "SVG (*.svg)"), "/tmp/fit.png");
  EXPECT_EQ(PlotFileName("", "PNG (*.png)"), "");
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
