#include "tavrix/plot/plot_picture.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <algorithm>
#include <fstream>
#include <vector>

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

// The images of the marks, each drawn once: tens of thousands of points
// are copies of a few of them.
class Stamps {
 public:
  const QImage& Of(PlotPoint::Kind kind, Rgba color) {
    const std::uint64_t key = (std::uint64_t{color.r} << 32) | (std::uint64_t{color.g} << 24) |
                              (std::uint64_t{color.b} << 16) | (std::uint64_t{color.a} << 8) |
                              static_cast<std::uint64_t>(kind);
    auto stamp = stamps_.find(key);
    if (stamp == stamps_.end()) stamp = stamps_.emplace(key, MarkerImage(kind, color)).first;
    return stamp->second;
  }

 private:
  std::unordered_map<std::uint64_t, QImage> stamps_;
};

void DrawMarker(QPainter& painter, Stamps& stamps, const SceneMarker& marker) {
  painter.drawImage(QPointF(marker.at.x - kMarker / 2, marker.at.y - kMarker / 2),
                    stamps.Of(marker.kind, marker.color));
}

void DrawPaths(QPainter& painter, const std::vector<ScenePath>& paths) {
  for (const ScenePath& path : paths) {
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
}

// The rest of a layer, over its paths and the points' marks.
void DrawMarksAndTexts(QPainter& painter, const SceneLayer& layer, const QFontMetricsF& metrics,
                       Stamps& stamps) {
  for (const SceneMarker& marker : layer.markers) DrawMarker(painter, stamps, marker);
  painter.setPen(PenOf(RingStroke()));
  painter.setBrush(Qt::NoBrush);
  for (const SceneRing& ring : layer.rings)
    painter.drawEllipse(PointOf(ring.at), kRingRadius, kRingRadius);
  for (const SceneText& text : layer.texts) DrawText(painter, text, metrics);
}

// The plot laid out into the area for text in the font the metrics measure.
PlotScene LaidOut(const PlotData& plot, const QFontMetricsF& metrics, const QRectF& area) {
  const TextMetrics measure{[&metrics](std::string_view text) {
                              return metrics.horizontalAdvance(QString::fromUtf8(
                                  text.data(), static_cast<qsizetype>(text.size())));
                            },
                            metrics.ascent(), metrics.height()};
  return LayOutPlot(plot, {area.left(), area.top(), area.right(), area.bottom()}, measure);
}

}  // namespace

std::string PlotTipAt(const PlotData& plot, const QFont& font, const QRectF& area,
                      const QPointF& at) {
  const PlotScene scene = LaidOut(plot, QFontMetricsF(font), area);
  return FlaggedPointTip(plot, scene, {at.x(), at.y()});
}

void PaintPlot(QPainter& painter, const PlotData& plot, const QRectF& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, ColorOf(kBackground));
  const QFontMetricsF metrics(painter.font());
  const PlotScene scene = LaidOut(plot, metrics, area);
  Stamps stamps;
  DrawPaths(painter, scene.axes.paths);
  DrawMarksAndTexts(painter, scene.axes, metrics, stamps);
  painter.save();
  painter.setClipRect(QRectF(QPointF(scene.clip.left, scene.clip.top),
                             QPointF(scene.clip.right, scene.clip.bottom)));
  DrawPaths(painter, scene.inside.paths);
  ForEachPointMark(plot, scene,
                   [&](const SceneMarker& marker) { DrawMarker(painter, stamps, marker); });
  DrawMarksAndTexts(painter, scene.inside, metrics, stamps);
  painter.restore();
  DrawPaths(painter, scene.legend.paths);
  DrawMarksAndTexts(painter, scene.legend, metrics, stamps);
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
