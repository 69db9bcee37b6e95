#include "tavrix/plot/plot_picture.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>

namespace tavrix {
namespace {

constexpr double kMarker = 11;  // pixels
constexpr double kMargin = 12;

QColor GroupColor(int group) {
  static const QColor kColors[] = {QColor("#1f77b4"), QColor("#ff7f0e"), QColor("#2ca02c"),
                                   QColor("#d62728"), QColor("#9467bd"), QColor("#8c564b"),
                                   QColor("#e377c2"), QColor("#7f7f7f"), QColor("#bcbd22"),
                                   QColor("#17becf")};
  return kColors[static_cast<std::size_t>(group) % std::size(kColors)];
}

// The mark of a point, centred on `at`: a filled circle (weighted), a
// hollow one (weight 0), a downward triangle (an upper limit).
void DrawMarker(QPainter& painter, PlotPoint::Kind kind, const QColor& color, const QPointF& at) {
  painter.setPen(QPen(kind == PlotPoint::Kind::kIgnored ? color : color.darker(), 1.5));
  const QRectF box(at.x() - kMarker / 2 + 1, at.y() - kMarker / 2 + 1, kMarker - 2, kMarker - 2);
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
      const QPointF corners[3] = {box.topLeft(), box.topRight(),
                                  QPointF(box.center().x(), box.bottom())};
      painter.drawPolygon(corners, 3);
      break;
    }
  }
}

// A marker drawn once: tens of thousands of points are copies of it.
QImage MarkerImage(PlotPoint::Kind kind, const QColor& color) {
  QImage image(static_cast<int>(kMarker), static_cast<int>(kMarker),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawMarker(painter, kind, color, QPointF(kMarker / 2, kMarker / 2));
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

// A tick label with as many decimals as the step needs.
QString TickText(double value, double step) {
  const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  return QString::number(std::fabs(value) < step * 1e-6 ? 0.0 : value, 'f', decimals);
}

constexpr int kBandAlpha = 45;  // of the band's fill, out of 255

QColor BandColor(int group) {
  QColor color = GroupColor(group);
  color.setAlpha(kBandAlpha);
  return color;
}

// The legend's entries: the conditions with a curve, the band, then the
// shapes of the points there are.
struct LegendEntry {
  QString text;
  int group;             // a condition's colour, -1 for a shape, -2 for the band
  PlotPoint::Kind kind;  // the shape, for group -1
};
constexpr int kBandEntry = -2;

std::vector<LegendEntry> Legend(const PlotData& plot) {
  std::vector<LegendEntry> entries;
  std::vector<bool> drawn(plot.groups.size(), false);
  for (const PlotCurve& curve : plot.curves) drawn[static_cast<std::size_t>(curve.group)] = true;
  for (std::size_t g = 0; g < plot.groups.size(); ++g) {
    if (drawn[g])
      entries.push_back({QString::fromStdString(plot.groups[g].name), static_cast<int>(g), {}});
  }
  const bool band = std::any_of(plot.curves.begin(), plot.curves.end(),
                                [](const PlotCurve& curve) { return !curve.band.empty(); });
  if (band) entries.push_back({QString::fromUtf8("\u00B1u(pK), about 95 %"), kBandEntry, {}});
  std::array<bool, 3> present{};
  for (const PlotPoint& point : plot.points) present[static_cast<std::size_t>(point.kind)] = true;
  for (std::size_t kind = 0; kind < present.size(); ++kind) {
    if (present[kind])
      entries.push_back(
          {KindName(static_cast<PlotPoint::Kind>(kind)), -1, static_cast<PlotPoint::Kind>(kind)});
  }
  return entries;
}

// Maps (t, pK) into the frame of the axes.
struct Frame {
  QRectF box;
  PlotAxis t;
  PlotAxis pK;
  QPointF At(double x, double y) const {
    return {box.left() + (x - t.low) / (t.high - t.low) * box.width(),
            box.bottom() - (y - pK.low) / (pK.high - pK.low) * box.height()};
  }
};

void DrawAxes(QPainter& painter, const Frame& frame, const QFontMetricsF& metrics) {
  painter.setPen(QPen(QColor(225, 225, 225), 1));
  for (double x = frame.t.low; x <= frame.t.high + frame.t.step / 2; x += frame.t.step) {
    painter.drawLine(frame.At(x, frame.pK.low), frame.At(x, frame.pK.high));
  }
  for (double y = frame.pK.low; y <= frame.pK.high + frame.pK.step / 2; y += frame.pK.step) {
    painter.drawLine(frame.At(frame.t.low, y), frame.At(frame.t.high, y));
  }
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(frame.box);
  for (double x = frame.t.low; x <= frame.t.high + frame.t.step / 2; x += frame.t.step) {
    const QPointF at = frame.At(x, frame.pK.low);
    painter.drawLine(at, at + QPointF(0, 4));
    const QString text = TickText(x, frame.t.step);
    painter.drawText(
        QPointF(at.x() - metrics.horizontalAdvance(text) / 2, at.y() + 6 + metrics.ascent()), text);
  }
  for (double y = frame.pK.low; y <= frame.pK.high + frame.pK.step / 2; y += frame.pK.step) {
    const QPointF at = frame.At(frame.t.low, y);
    painter.drawLine(at, at - QPointF(4, 0));
    const QString text = TickText(y, frame.pK.step);
    painter.drawText(
        QPointF(at.x() - 7 - metrics.horizontalAdvance(text), at.y() + metrics.ascent() / 2 - 1),
        text);
  }
  const QString tTitle = QString::fromUtf8("t (\u00B0C)");
  painter.drawText(QPointF(frame.box.center().x() - metrics.horizontalAdvance(tTitle) / 2,
                           frame.box.bottom() + 10 + 2 * metrics.height()),
                   tTitle);
  painter.save();
  painter.translate(frame.box.left() - 2 * kMargin - metrics.horizontalAdvance("-00.0"),
                    frame.box.center().y());
  painter.rotate(-90);
  painter.drawText(QPointF(-metrics.horizontalAdvance("pK") / 2, 0), "pK");
  painter.restore();
}

// The band pK +/- u(pK) of every curve that has one, under the lines.
void DrawBands(QPainter& painter, const Frame& frame, const PlotData& plot) {
  painter.setPen(Qt::NoPen);
  for (const PlotCurve& curve : plot.curves) {
    if (curve.band.size() != curve.points.size()) continue;
    QPolygonF area;
    area.reserve(2 * static_cast<qsizetype>(curve.points.size()));
    for (std::size_t i = 0; i < curve.points.size(); ++i) {
      area.append(frame.At(curve.points[i].first, curve.points[i].second + curve.band[i]));
    }
    for (std::size_t i = curve.points.size(); i-- > 0;) {
      area.append(frame.At(curve.points[i].first, curve.points[i].second - curve.band[i]));
    }
    painter.setBrush(BandColor(curve.group));
    painter.drawPolygon(area);
  }
}

void DrawCurves(QPainter& painter, const Frame& frame, const PlotData& plot) {
  painter.setBrush(Qt::NoBrush);
  for (const PlotCurve& curve : plot.curves) {
    QPen pen(GroupColor(curve.group), 2);
    if (!curve.inRange) pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(curve.points.size()));
    for (const auto& [t, pK] : curve.points) line.append(frame.At(t, pK));
    painter.drawPolyline(line);
  }
}

void DrawPoints(QPainter& painter, const Frame& frame, const PlotData& plot) {
  std::map<std::pair<int, PlotPoint::Kind>, QImage> markers;
  for (const PlotPoint& point : plot.points) {
    const auto key = std::make_pair(point.group, point.kind);
    auto marker = markers.find(key);
    if (marker == markers.end())
      marker = markers.emplace(key, MarkerImage(point.kind, GroupColor(point.group))).first;
    painter.drawImage(frame.At(point.t, point.pK) - QPointF(kMarker / 2, kMarker / 2),
                      marker->second);
  }
}

void DrawLegend(QPainter& painter, const std::vector<LegendEntry>& entries, const QRectF& area,
                const QFontMetricsF& metrics) {
  double y = area.top() + metrics.height();
  for (const LegendEntry& entry : entries) {
    const double middle = y - metrics.ascent() / 3;
    if (entry.group >= 0) {
      painter.setPen(QPen(GroupColor(entry.group), 2));
      painter.drawLine(QPointF(area.left(), middle), QPointF(area.left() + 24, middle));
    } else if (entry.group == kBandEntry) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(0, 0, 0, kBandAlpha));
      painter.drawRect(QRectF(area.left(), middle - kMarker / 2, 24, kMarker));
    } else {
      DrawMarker(painter, entry.kind, Qt::black, QPointF(area.left() + 12, middle));
    }
    painter.setPen(Qt::black);
    painter.drawText(QPointF(area.left() + 32, y), entry.text);
    y += metrics.height() * 1.4;
  }
}

}  // namespace

void PaintPlot(QPainter& painter, const PlotData& plot, const QRectF& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, Qt::white);
  const QFontMetricsF metrics(painter.font());
  const std::vector<LegendEntry> legend = Legend(plot);
  double legendWidth = 0;
  for (const LegendEntry& entry : legend)
    legendWidth = std::max(legendWidth, 32 + metrics.horizontalAdvance(entry.text));
  legendWidth = std::min(legendWidth, area.width() / 3);

  const double left =
      area.left() + 3 * kMargin + metrics.horizontalAdvance("-00.0") + metrics.height();
  const double bottom = area.bottom() - kMargin - 2.5 * metrics.height();
  const double right = area.right() - 2 * kMargin - legendWidth;
  const Frame frame{
      QRectF(QPointF(left, area.top() + kMargin + metrics.height() / 2), QPointF(right, bottom)),
      plot.t, plot.pK};
  if (frame.box.width() > 10 && frame.box.height() > 10) {
    DrawAxes(painter, frame, metrics);
    painter.save();
    painter.setClipRect(frame.box.adjusted(-kMarker, -kMarker, kMarker, kMarker));
    DrawBands(painter, frame, plot);
    DrawCurves(painter, frame, plot);
    DrawPoints(painter, frame, plot);
    painter.restore();
  }
  DrawLegend(painter, legend, QRectF(QPointF(right + kMargin, frame.box.top()), area.bottomRight()),
             metrics);
  painter.restore();
}

bool SavePlot(const PlotData& plot, const std::string& path, QSize size) {
  const QString file = QString::fromStdString(path);
  if (file.endsWith(".png", Qt::CaseInsensitive)) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPlot(painter, plot, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image.save(file, "PNG");
  }
  if (!file.endsWith(".svg", Qt::CaseInsensitive)) return false;
  QSvgGenerator generator;
  generator.setFileName(file);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  QPainter painter;
  if (!painter.begin(&generator)) return false;
  PaintPlot(painter, plot, QRectF(QPointF(0, 0), QSizeF(size)));
  return painter.end();
}

std::string PlotFileName(const std::string& chosen, const std::string& filter) {
  if (chosen.empty() || !QFileInfo(QString::fromStdString(chosen)).suffix().isEmpty())
    return chosen;
  return chosen + (filter.rfind("SVG", 0) == 0 ? ".svg" : ".png");
}

}  // namespace tavrix
