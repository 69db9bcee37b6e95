#include <cmath>

#include "html.h"
#include "tables.h"
#include "tavrix/fit/table_of_fit.h"
#include "tavrix/model/domain.h"
#include "tavrix/model/parameters.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/layout.h"

namespace tavrix::report {
namespace {

std::string Cell(std::string_view text, std::string_view attributes = "class=\"n\"") {
  return Element("td", text, attributes);
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// A correlation with the decimals that keep one near +-1 from reading as 1.
std::string CorrelationText(double r, bool decComma) {
  int decimals = 3;
  while (decimals < 9 &&
         std::fabs(std::round(r * std::pow(10, decimals))) >= std::pow(10, decimals))
    ++decimals;
  return Fixed(r, decimals, decComma);
}

std::string Flags(const PointDiagnostics& point) {
  if (point.outlier && point.influential) return "outlier, influential";
  if (point.outlier) return "outlier";
  return point.influential ? "influential" : "";
}

std::string WeightText(const DataPoint& point, bool decComma) {
  if (point.kind == PointKind::kUpperLimit) return "<";
  return WithDecimalMark(ShortNumber(point.weight), decComma);
}

}  // namespace

std::string ParameterTable(const ReportedFit& fit, bool decComma) {
  std::string html =
      "<table class=\"parameters\">\n<thead><tr><th>parameter</th><th class=\"n\">value</th>"
      "<th class=\"n\">\u00B1 (about 95 %)</th></tr></thead>\n<tbody>\n";
  for (int i = 0; i < kParameterCount; ++i) {
    const ParameterInfo& info = kParameters[static_cast<std::size_t>(i)];
    const std::string uncertainty = ShownText(UncertaintyCell(i, fit.outcome), decComma);
    html += "<tr>" + Element("td", info.name) +
            Cell(ShownText(OptimizedCell(i, fit.outcome.parameters), decComma),
                 "class=\"n\" data-parameter=\"" + std::string(info.option) + "\"") +
            (uncertainty.empty() ? Cell("held fixed", "class=\"n held\"")
                                 : Cell(uncertainty, "class=\"n\" data-uncertainty=\"" +
                                                         std::string(info.option) + "\"")) +
            "</tr>\n";
  }
  return html + "</tbody>\n</table>\n";
}

std::string CorrelationTable(const FitDiagnostics& diagnostics, bool decComma) {
  std::vector<int> fitted;
  for (int i = 0; i < kParameterCount; ++i) {
    if (!std::isnan(
            diagnostics.correlation[static_cast<std::size_t>(i)][static_cast<std::size_t>(i)]))
      fitted.push_back(i);
  }
  if (fitted.size() < 2) return "";
  std::string html = "<table class=\"correlation\">\n<thead><tr><th></th>";
  for (const int j : fitted)
    html += Element("th", kParameters[static_cast<std::size_t>(j)].name, "class=\"n\"");
  html += "</tr></thead>\n<tbody>\n";
  for (const int i : fitted) {
    html += "<tr>" + Element("th", kParameters[static_cast<std::size_t>(i)].name);
    for (const int j : fitted) {
      const double r =
          diagnostics.correlation[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      html += Cell(i == j ? "1" : CorrelationText(r, decComma),
                   i != j && std::fabs(r) > kCorrelationLimit ? "class=\"n warn\"" : "class=\"n\"");
    }
    html += "</tr>\n";
  }
  return html + "</tbody>\n</table>\n";
}

std::string PointTable(const ReportedFit& fit, const FitDiagnostics& diagnostics, bool decComma) {
  std::vector<const PointDiagnostics*> diagnosed(fit.sheet.points.size(), nullptr);
  for (const PointDiagnostics& point : diagnostics.points)
    diagnosed.at(static_cast<std::size_t>(point.point)) = &point;

  std::string html =
      "<table class=\"points\">\n<thead><tr><th class=\"n\">row</th><th class=\"n\">t "
      "(\u00B0C)</th>"
      "<th class=\"n\">P (bar)</th><th class=\"n\">density (g/cm3)</th><th class=\"n\">weight</th>"
      "<th class=\"n\">pK</th><th class=\"n\">calculated</th><th class=\"n\">residual</th>"
      "<th class=\"n\">studentized</th><th class=\"n\">leverage</th>"
      "<th class=\"n\">Cook's distance</th><th>flags</th></tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < fit.sheet.points.size(); ++k) {
    const DataPoint& point = fit.sheet.points[k];
    const std::optional<double>& calculated = fit.outcome.errors.points.at(k).calculated;
    const PointDiagnostics* d = diagnosed[k];
    const bool flagged = d && (d->outlier || d->influential);
    html += flagged
                ? "<tr class=\"flagged\" title=\"" +
                      Escape(WithDecimalMark(PointWarning(fit.sheet, diagnostics, *d), decComma)) +
                      "\">"
                : std::string("<tr>");
    html += Cell(std::to_string(layout::PointRow(static_cast<int>(k) + 1)));
    html += Cell(WithDecimalMark(ShortNumber(point.t), decComma));
    html += Cell(point.pressure ? WithDecimalMark(ShortNumber(*point.pressure, 5), decComma) : "");
    html += Cell(WithDecimalMark(ShortNumber(point.density, 4), decComma));
    html += Cell(WeightText(point, decComma));
    html += Cell(WithDecimalMark(ShortNumber(point.pK), decComma));
    html += Cell(calculated ? Fixed(*calculated, 3, decComma) : "");
    html += Cell(d ? Fixed(d->residual, 3, decComma)
                   : (calculated ? Fixed(point.pK - *calculated, 3, decComma) : ""));
    html += Cell(d ? Fixed(d->studentized, 2, decComma) : "");
    html += Cell(d ? Fixed(d->leverage, 3, decComma) : "");
    html += Cell(d ? Significant(d->cooksDistance, 2, decComma) : "");
    html += Element("td", d ? Flags(*d) : "", "class=\"flag\"") + "</tr>\n";
  }
  return html + "</tbody>\n</table>\n";
}

std::string PkTable(const ReportedFit& fit, const ReportSettings& settings) {
  const PkTableInput input = TableOfFit(fit.sheet, fit.shown, settings.noLimits, settings.decComma);
  const PkTableCells cells = PkTableCellsOf(input);
  const std::optional<DataSpan> span = SpanOfWeightedPoints(fit.sheet);
  SpeciesNames species = SpeciesNamesOf(fit.sheet);
  const DomainRules rules{ComplexIsCharged(species), settings.noLimits};

  std::string html = "<table class=\"pk-table\">\n<thead><tr><th class=\"n\">t (\u00B0C)</th>";
  for (int j = 1; j <= kTableColumns; ++j) {
    const float P = TablePressure(j);
    html += Element("th", P == 0 ? "Psat" : ShortNumber(P) + " bar", "class=\"n\"");
  }
  html += "</tr></thead>\n<tbody>\n";
  for (int i = 1; i <= kTableRows; ++i) {
    const float t = TableTemperature(i);
    html +=
        "<tr>" + Element("th", WithDecimalMark(ShortNumber(t), settings.decComma), "class=\"n\"");
    for (int j = 1; j <= kTableColumns; ++j) {
      const PkTableCell& cell =
          cells[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
      const ModelCondition c = ConditionAtPressure(t, TablePressure(j), rules);
      const bool value =
          cell.kind == PkTableCell::Kind::kValue || cell.kind == PkTableCell::Kind::kOutsideRange;
      const bool outside = value && span && !span->Contains(t, c.density);
      html += Cell(Trimmed(PkTableCellText(cell, settings.decComma)),
                   outside ? "class=\"n outside\"" : "class=\"n\"");
    }
    html += "</tr>\n";
  }
  return html + "</tbody>\n</table>\n";
}

}  // namespace tavrix::report
