#include "pk_chart.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <array>
#include <cmath>
#include <memory>

namespace tavrix {
namespace {

constexpr int kMarker = 11;  // pixels

QColor GroupColor(int group) {
  static const QColor kColors[] = {QColor("#1f77b4"), QColor("#ff7f0e"), QColor("#2ca02c"), QColor("#d62728"),
                                   QColor("#9467bd"), QColor("#8c564b"), QColor("#e377c2"), QColor("#7f7f7f"),
                                   QColor("#bcbd22"), QColor("#17becf")};
  return kColors[static_cast<std::size_t>(group) % std::size(kColors)];
}

// The mark of a point: a filled circle (weighted), a hollow one (weight 0),
// a downward triangle (an upper limit).
QImage Marker(PlotPoint::Kind kind, const QColor& color) {
  QImage image(kMarker, kMarker, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kind == PlotPoint::Kind::kIgnored ? color : color.darker(), 1.5));
  const QRectF box(1, 1, kMarker - 2, kMarker - 2);
  switch (kind) {
    case PlotPoint::Kind::kWeighted:
      painter.setBrush(color);
      painter.drawEllipse(box);
      break;
    case PlotPoint::Kind::kIgnored:
      painter.setBrush(Qt::white);
      painter.drawEllipse(box);
      break;
    case PlotPoint::Kind::kLimit: {
      painter.setBrush(color);
      const QPointF corners[3] = {box.topLeft(), box.topRight(), QPointF(box.center().x(), box.bottom())};
      painter.drawPolygon(corners, 3);
      break;
    }
  }
  return image;
}

const char* KindName(PlotPoint::Kind kind) {
  switch (kind) {
    case PlotPoint::Kind::kWeighted:
      return "measured";
    case PlotPoint::Kind::kIgnored:
      return "weight 0 (not fitted)";
    case PlotPoint::Kind::kLimit:
      return "\"<\" upper limit";
  }
  return "";
}

QScatterSeries* PointSeries(PlotPoint::Kind kind, const QColor& color) {
  auto* series = new QScatterSeries();
  series->setMarkerSize(kMarker);
  series->setLightMarker(Marker(kind, color));
  return series;
}

QValueAxis* Axis(const PlotAxis& axis, const QString& title) {
  auto* value = new QValueAxis();
  value->setTitleText(title);
  value->setRange(axis.low, axis.high);
  value->setTickType(QValueAxis::TicksDynamic);
  value->setTickAnchor(0);
  value->setTickInterval(axis.step);
  value->setLabelFormat(axis.step < 1 ? "%.1f" : "%.0f");
  return value;
}

}  // namespace

QChart* MakePkChart(const PlotData& plot) {
  auto* chart = new QChart();
  QValueAxis* axisX = Axis(plot.t, QString::fromUtf8("t (\u00B0C)"));
  QValueAxis* axisY = Axis(plot.pK, "pK");
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  const auto add = [&](QXYSeries* series) {
    chart->addSeries(series);
    series->attachAxis(axisX);
    series->attachAxis(axisY);
  };

  // One legend entry per condition: its first piece of curve.
  std::vector<bool> named(plot.groups.size(), false);
  for (const PlotCurve& curve : plot.curves) {
    auto* series = new QLineSeries();
    QPen pen(GroupColor(curve.group), 2);
    if (!curve.inRange) pen.setStyle(Qt::DashLine);
    series->setPen(pen);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.points.size()));
    for (const auto& [t, pK] : curve.points) points.append(QPointF(t, pK));
    series->replace(points);
    add(series);
    const auto g = static_cast<std::size_t>(curve.group);
    if (!named[g]) {
      series->setName(QString::fromStdString(plot.groups[g].name));
      named[g] = true;
    } else {
      chart->legend()->markers(series).front()->setVisible(false);
    }
  }

  // The points: one series per condition and kind, no legend entries; the
  // shapes are explained by black entries of their own.
  constexpr std::array<PlotPoint::Kind, 3> kKinds = {PlotPoint::Kind::kWeighted, PlotPoint::Kind::kIgnored,
                                                      PlotPoint::Kind::kLimit};
  std::vector<std::array<QList<QPointF>, 3>> byGroup(plot.groups.size());
  std::array<bool, 3> present{};
  for (const PlotPoint& point : plot.points) {
    const auto kind = static_cast<std::size_t>(point.kind);
    byGroup[static_cast<std::size_t>(point.group)][kind].append(QPointF(point.t, point.pK));
    present[kind] = true;
  }
  for (std::size_t g = 0; g < byGroup.size(); ++g) {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
      if (byGroup[g][kind].isEmpty()) continue;
      QScatterSeries* series = PointSeries(kKinds[kind], GroupColor(static_cast<int>(g)));
      series->replace(byGroup[g][kind]);
      add(series);
      chart->legend()->markers(series).front()->setVisible(false);
    }
  }
  for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
    if (!present[kind]) continue;
    QScatterSeries* series = PointSeries(kKinds[kind], Qt::black);
    series->setName(KindName(kKinds[kind]));
    add(series);
  }
  chart->legend()->setAlignment(Qt::AlignRight);
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  return chart;
}

bool SavePlot(const PlotData& plot, const std::string& path, QSize size) {
  const QString file = QString::fromStdString(path);
  const bool png = file.endsWith(".png", Qt::CaseInsensitive);
  if (!png && !file.endsWith(".svg", Qt::CaseInsensitive)) return false;
  // A chart of its own, in a view of its own, laid out at this size.
  QChartView view(MakePkChart(plot));
  view.setRenderHint(QPainter::Antialiasing);
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.resize(size);
  view.show();
  QApplication::processEvents();
  if (png) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.render(&painter);
    painter.end();
    return image.save(file, "PNG");
  }
  QSvgGenerator generator;
  generator.setFileName(file);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  QPainter painter;
  if (!painter.begin(&generator)) return false;
  view.render(&painter);
  return painter.end();
}

std::string PlotFileName(const std::string& chosen, const std::string& filter) {
  if (chosen.empty() || !QFileInfo(QString::fromStdString(chosen)).suffix().isEmpty()) return chosen;
  return chosen + (filter.rfind("SVG", 0) == 0 ? ".svg" : ".png");
}

}  // namespace tavrix
