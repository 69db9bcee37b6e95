#include "tavrix/plot/plot_svg.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace tavrix {
namespace {

constexpr double kFontSize = 12;  // pixels
constexpr char kFontFamily[] = "DejaVu Sans, Liberation Sans, Arial, Helvetica, sans-serif";

// Widths of characters in a sans-serif font, in ems: enough to size the
// margins and the legend, and rather wide than narrow.
double CharWidth(char32_t c) {
  if (c >= '0' && c <= '9') return 0.64;
  if (c > 0x7f) return 0.62;
  switch (c) {
    case ' ':
    case '.':
    case ',':
    case ':':
    case ';':
    case 'i':
    case 'j':
    case 'l':
    case '!':
    case '|':
    case '\'':
      return 0.32;
    case '(':
    case ')':
    case '-':
    case '/':
    case 'f':
    case 'r':
    case 't':
    case '"':
      return 0.42;
    case 'm':
    case 'w':
    case 'M':
    case 'W':
      return 0.98;
    default:
      break;
  }
  return c >= 'A' && c <= 'Z' ? 0.72 : 0.62;
}

double TextWidth(std::string_view text) {
  double ems = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xc0) == 0x80) continue;  // the rest of a character begun before
    ems += CharWidth(byte < 0x80 ? byte : 0x80);
  }
  return ems * kFontSize;
}

// Writes the SVG, piece by piece, into one string.
class SvgWriter {
 public:
  explicit SvgWriter(const PlotData& plot) : plot_(plot) {}

  std::string Write(const PlotScene& scene) {
    const PixelBox& area = scene.area;
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" viewBox=\"";
    Numbers({area.left, area.top, area.Width(), area.Height()});
    out_ += "\" width=\"";
    Number(area.Width());
    out_ += "\" height=\"";
    Number(area.Height());
    out_ += "\" font-family=\"";
    out_ += kFontFamily;
    out_ += "\" font-size=\"";
    Number(kFontSize);
    out_ += "\" aria-label=\"";
    Escaped(plot_.yTitle + " against " + plot_.xTitle);
    out_ += "\">\n<rect";
    Box(area);
    Paint("fill", kBackground);
    out_ += "/>\n";
    Layer(scene.axes);
    // A nested viewport clips what lies outside it.
    out_ += "<svg";
    Box(scene.clip);
    out_ += " viewBox=\"";
    Numbers({scene.clip.left, scene.clip.top, scene.clip.Width(), scene.clip.Height()});
    out_ += "\">\n";
    for (const ScenePath& path : scene.inside.paths) Path(path);
    ForEachPointMark(plot_, scene, [this](const SceneMarker& marker) { Marker(marker); });
    MarksAndTexts(scene.inside);
    out_ += "</svg>\n";
    Layer(scene.legend);
    out_ += "</svg>\n";
    return std::move(out_);
  }

 private:
  void Number(double x) {
    if (!std::isfinite(x)) x = 0;
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, 1);
    std::string_view digits(text, static_cast<std::size_t>(end.ptr - text));
    if (digits.size() > 2 && digits.substr(digits.size() - 2) == ".0") digits.remove_suffix(2);
    if (digits == "-0") digits = "0";
    out_ += digits;
  }

  void Numbers(std::initializer_list<double> values) {
    bool first = true;
    for (const double x : values) {
      if (!first) out_ += ' ';
      Number(x);
      first = false;
    }
  }

  void Attribute(const char* name, double x) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    Number(x);
    out_ += '"';
  }

  void Box(const PixelBox& box) {
    Attribute("x", box.left);
    Attribute("y", box.top);
    Attribute("width", box.Width());
    Attribute("height", box.Height());
  }

  void Paint(const char* what, Rgba color) {
    char text[64];
    std::snprintf(text, sizeof text, " %s=\"#%02x%02x%02x\"", what, color.r, color.g, color.b);
    out_ += text;
    if (color.a != 255) {
      out_ += ' ';
      out_ += what;
      out_ += "-opacity=\"";
      std::snprintf(text, sizeof text, "%.3g", color.a / 255.0);
      out_ += text;
      out_ += '"';
    }
  }

  void StrokeOf(const Stroke& stroke) {
    Paint("stroke", stroke.color);
    Attribute("stroke-width", stroke.width);
    if (stroke.dashes.empty()) return;
    out_ += " stroke-dasharray=\"";
    for (std::size_t i = 0; i < stroke.dashes.size(); ++i) {
      if (i > 0) out_ += ' ';
      Number(stroke.dashes[i]);
    }
    out_ += '"';
  }

  void Escaped(std::string_view text) {
    for (const char c : text) {
      switch (c) {
        case '&':
          out_ += "&amp;";
          break;
        case '<':
          out_ += "&lt;";
          break;
        case '>':
          out_ += "&gt;";
          break;
        case '"':
          out_ += "&quot;";
          break;
        default:
          out_ += c;
      }
    }
  }

  void Points(const std::vector<Pixel>& points) {
    out_ += " points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (i > 0) out_ += ' ';
      Number(points[i].x);
      out_ += ',';
      Number(points[i].y);
    }
    out_ += '"';
  }

  void Path(const ScenePath& path) {
    if (path.points.size() < 2) return;
    out_ += path.fill ? "<polygon" : "<polyline";
    Points(path.points);
    if (path.fill) {
      Paint("fill", *path.fill);
    } else {
      out_ += " fill=\"none\"";
    }
    if (path.stroke) {
      StrokeOf(*path.stroke);
      out_ += " stroke-linejoin=\"round\"";
    }
    out_ += "/>\n";
  }

  void Marker(const SceneMarker& marker) {
    const MarkerStyle style = MarkerStyleOf(marker.kind, marker.color);
    const double r = kMarker / 2 - 1;
    if (marker.kind == PlotPoint::Kind::kLimit) {
      out_ += "<polygon";
      Points({{marker.at.x - r, marker.at.y - r},
              {marker.at.x + r, marker.at.y - r},
              {marker.at.x, marker.at.y + r}});
    } else {
      out_ += "<circle";
      Attribute("cx", marker.at.x);
      Attribute("cy", marker.at.y);
      Attribute("r", r);
    }
    Paint("fill", style.fill);
    StrokeOf(style.outline);
    out_ += "/>\n";
  }

  void Ring(const SceneRing& ring) {
    out_ += "<circle";
    Attribute("cx", ring.at.x);
    Attribute("cy", ring.at.y);
    Attribute("r", kRingRadius);
    out_ += " fill=\"none\" pointer-events=\"all\"";
    StrokeOf(RingStroke());
    const auto note = plot_.notes.find(ring.point);
    if (note == plot_.notes.end() || note->second.empty()) {
      out_ += "/>\n";
      return;
    }
    out_ += "><title>";
    Escaped(note->second);
    out_ += "</title></circle>\n";
  }

  void Text(const SceneText& text) {
    out_ += "<text";
    Attribute("x", text.at.x);
    Attribute("y", text.at.y);
    if (text.anchor != SceneText::Anchor::kStart)
      out_ += text.anchor == SceneText::Anchor::kMiddle ? " text-anchor=\"middle\""
                                                        : " text-anchor=\"end\"";
    if (text.vertical) {
      out_ += " transform=\"rotate(-90 ";
      Numbers({text.at.x, text.at.y});
      out_ += ")\"";
    }
    Paint("fill", kTextColor);
    out_ += '>';
    Escaped(text.text);
    out_ += "</text>\n";
  }

  // The rest of a layer, over its paths and the points' marks.
  void MarksAndTexts(const SceneLayer& layer) {
    for (const SceneMarker& marker : layer.markers) Marker(marker);
    for (const SceneRing& ring : layer.rings) Ring(ring);
    for (const SceneText& text : layer.texts) Text(text);
  }

  void Layer(const SceneLayer& layer) {
    for (const ScenePath& path : layer.paths) Path(path);
    MarksAndTexts(layer);
  }

  const PlotData& plot_;
  std::string out_;
};

}  // namespace

TextMetrics SvgTextMetrics() {
  return {TextWidth, 0.93 * kFontSize, 1.17 * kFontSize};
}

std::string PlotSvg(const PlotData& plot, double width, double height,
                    const PlotLayoutOptions& options) {
  const PlotScene scene = LayOutPlot(plot, {0, 0, width, height}, SvgTextMetrics(), options);
  return SvgWriter(plot).Write(scene);
}

}  // namespace tavrix
