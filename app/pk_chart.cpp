#include "pk_chart.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

namespace tavrix {
namespace {

QColor ColumnColor(int column) {
  static const QColor kColors[] = {QColor("#1f77b4"), QColor("#ff7f0e"), QColor("#2ca02c"),
                                   QColor("#d62728"), QColor("#9467bd")};
  return kColors[(column - 1) % 5];
}

// A downward triangle: the mark of an upper limit.
QImage DownTriangle(const QColor& color) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(color);
  painter.setPen(QPen(color.darker(), 1));
  const QPointF corners[3] = {QPointF(1, 2), QPointF(15, 2), QPointF(8, 15)};
  painter.drawPolygon(corners, 3);
  return image;
}

}  // namespace

QChart* MakePkChart(const PlotData& plot, const std::string& title) {
  auto* chart = new QChart();
  chart->setTitle(QString::fromStdString(title));
  auto* axisX = new QValueAxis();
  axisX->setTitleText(QString::fromUtf8("t (\u00B0C)"));
  axisX->setRange(0, 500);
  auto* axisY = new QValueAxis();
  axisY->setTitleText("pK");
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);

  double low = 1e300;
  double high = -1e300;
  const auto extend = [&](double pK) {
    if (std::isfinite(pK)) low = std::min(low, pK), high = std::max(high, pK);
  };

  std::vector<bool> named(6, false);
  for (const PlotCurve& curve : plot.curves) {
    auto* series = new QLineSeries();
    QPen pen(ColumnColor(curve.column), 2);
    if (!curve.inRange) pen.setStyle(Qt::DashLine);
    series->setPen(pen);
    for (const auto& [t, pK] : curve.points) series->append(t, pK), extend(pK);
    chart->addSeries(series);
    series->attachAxis(axisX);
    series->attachAxis(axisY);
    // One legend entry per column.
    if (!named[static_cast<std::size_t>(curve.column)]) {
      series->setName(QString::fromStdString(ColumnName(curve.column)));
      named[static_cast<std::size_t>(curve.column)] = true;
    } else {
      chart->legend()->markers(series).front()->setVisible(false);
    }
  }

  for (const PlotPoint& point : plot.points) {
    auto* series = new QScatterSeries();
    const QColor color = ColumnColor(point.column);
    series->setMarkerSize(9);
    series->setPen(QPen(color, 1.5));
    switch (point.kind) {
      case PlotPoint::Kind::kWeighted:
        series->setBrush(color);
        break;
      case PlotPoint::Kind::kIgnored:
        series->setBrush(Qt::white);
        break;
      case PlotPoint::Kind::kLimit:
        series->setLightMarker(DownTriangle(color));
        break;
    }
    series->append(point.t, point.pK);
    extend(point.pK);
    chart->addSeries(series);
    series->attachAxis(axisX);
    series->attachAxis(axisY);
    chart->legend()->markers(series).front()->setVisible(false);
  }
  if (low <= high) axisY->setRange(std::floor(low - 0.25), std::ceil(high + 0.25));
  double hottest = 500;  // the table's range, widened to the hottest point
  for (const PlotPoint& point : plot.points) hottest = std::max(hottest, point.t);
  axisX->setRange(0, std::ceil(hottest / 100) * 100);
  chart->legend()->setAlignment(Qt::AlignRight);
  return chart;
}

bool SaveChart(QChart* chart, const std::string& path, QSize size) {
  const QString file = QString::fromStdString(path);
  QChartView view(chart);
  view.setRenderHint(QPainter::Antialiasing);
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.resize(size);
  view.show();  // lays the chart out at this size
  QApplication::processEvents();
  bool saved = false;
  if (file.endsWith(".png", Qt::CaseInsensitive)) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.render(&painter);
    painter.end();
    saved = image.save(file, "PNG");
  } else if (file.endsWith(".svg", Qt::CaseInsensitive)) {
    QSvgGenerator generator;
    generator.setFileName(file);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    QPainter painter;
    saved = painter.begin(&generator);
    if (saved) {
      view.render(&painter);
      saved = painter.end();
    }
  }
  view.setChart(new QChart());  // the view would delete the caller's chart
  return saved;
}

}  // namespace tavrix
