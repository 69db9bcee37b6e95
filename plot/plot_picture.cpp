#include "tavrix/plot/plot_picture.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <fstream>
#include <map>

#include "tavrix/plot/plot_layout.h"
#include "tavrix/plot/plot_svg.h"

namespace tavrix {
namespace {

QColor ColorOf(Rgba color) {
  return QColor(color.r, color.g, color.b, color.a);
}

QPointF PointOf(Pixel p) {
  return {p.x, p.y};
}

QPen PenOf(const Stroke& stroke) {
  QPen pen(ColorOf(stroke.color), stroke.width);
  if (!stroke.dashes.empty()) {
    QList<qreal> pattern;  // in widths of the pen
    for (const double length : stroke.dashes) pattern.append(length / stroke.width);
    pen.setDashPattern(pattern);
  }
  return pen;
}

void DrawMarker(QPainter& painter, PlotPoint::Kind kind, Rgba color, const QPointF& at) {
  const MarkerStyle style = MarkerStyleOf(kind, color);
  painter.setPen(PenOf(style.outline));
  painter.setBrush(ColorOf(style.fill));
  const QRectF box(at.x() - kMarker / 2 + 1, at.y() - kMarker / 2 + 1, kMarker - 2, kMarker - 2);
  if (kind == PlotPoint::Kind::kLimit) {
    const QPointF corners[3] = {box.topLeft(), box.topRight(),
                                QPointF(box.center().x(), box.bottom())};
    painter.drawPolygon(corners, 3);
  } else {
    painter.drawEllipse(box);
  }
}

// A mark drawn once: tens of thousands of points are copies of it.
QImage MarkerImage(PlotPoint::Kind kind, Rgba color) {
  QImage image(static_cast<int>(kMarker), static_cast<int>(kMarker),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawMarker(painter, kind, color, QPointF(kMarker / 2, kMarker / 2));
  return image;
}

void DrawText(QPainter& painter, const SceneText& text, const QFontMetricsF& metrics) {
  const QString line = QString::fromStdString(text.text);
  const double width = metrics.horizontalAdvance(line);
  const double shift = text.anchor == SceneText::Anchor::kStart    ? 0
                       : text.anchor == SceneText::Anchor::kMiddle ? width / 2
                                                                   : width;
  painter.setPen(ColorOf(kTextColor));
  if (!text.vertical) {
    painter.drawText(QPointF(text.at.x - shift, text.at.y), line);
    return;
  }
  painter.save();
  painter.translate(PointOf(text.at));
  painter.rotate(-90);
  painter.drawText(QPointF(-shift, 0), line);
  painter.restore();
}

void DrawLayer(QPainter& painter, const SceneLayer& layer, const QFontMetricsF& metrics) {
  for (const ScenePath& path : layer.paths) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(path.points.size()));
    for (const Pixel& p : path.points) polygon.append(PointOf(p));
    painter.setPen(path.stroke ? PenOf(*path.stroke) : QPen(Qt::NoPen));
    if (path.fill) {
      painter.setBrush(ColorOf(*path.fill));
      painter.drawPolygon(polygon);
    } else {
      painter.setBrush(Qt::NoBrush);
      painter.drawPolyline(polygon);
    }
  }
  std::map<std::pair<PlotPoint::Kind, std::uint32_t>, QImage> images;
  for (const SceneMarker& marker : layer.markers) {
    const std::uint32_t rgba = (std::uint32_t{marker.color.r} << 24) |
                               (std::uint32_t{marker.color.g} << 16) |
                               (std::uint32_t{marker.color.b} << 8) | marker.color.a;
    auto image = images.find({marker.kind, rgba});
    if (image == images.end())
      image =
          images.emplace(std::make_pair(marker.kind, rgba), MarkerImage(marker.kind, marker.color))
              .first;
    painter.drawImage(QPointF(marker.at.x - kMarker / 2, marker.at.y - kMarker / 2), image->second);
  }
  painter.setPen(PenOf(RingStroke()));
  painter.setBrush(Qt::NoBrush);
  for (const SceneRing& ring : layer.rings)
    painter.drawEllipse(PointOf(ring.at), kRingRadius, kRingRadius);
  for (const SceneText& text : layer.texts) DrawText(painter, text, metrics);
}

}  // namespace

void PaintPlot(QPainter& painter, const PlotData& plot, const QRectF& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, ColorOf(kBackground));
  const QFontMetricsF metrics(painter.font());
  const TextMetrics measure{[&metrics](std::string_view text) {
                              return metrics.horizontalAdvance(QString::fromUtf8(
                                  text.data(), static_cast<qsizetype>(text.size())));
                            },
                            metrics.ascent(), metrics.height()};
  const PlotScene scene =
      LayOutPlot(plot, {area.left(), area.top(), area.right(), area.bottom()}, measure);
  DrawLayer(painter, scene.axes, metrics);
  painter.save();
  painter.setClipRect(QRectF(QPointF(scene.clip.left, scene.clip.top),
                             QPointF(scene.clip.right, scene.clip.bottom)));
  DrawLayer(painter, scene.inside, metrics);
  painter.restore();
  DrawLayer(painter, scene.legend, metrics);
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
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << PlotSvg(plot, size.width(), size.height());
  out.flush();
  return static_cast<bool>(out);
}

std::string PlotFileName(const std::string& chosen, const std::string& filter) {
  if (chosen.empty() || !QFileInfo(QString::fromStdString(chosen)).suffix().isEmpty())
    return chosen;
  return chosen + (filter.rfind("SVG", 0) == 0 ? ".svg" : ".png");
}

}  // namespace tavrix
