#include "tavrix/report/report.h"

#include <ctime>

#include "html.h"
#include "tables.h"
#include "tavrix/datasheet/steam_points.h"
#include "tavrix/exports/exports.h"
#include "tavrix/fit/covariance.h"
#include "tavrix/fit/diagnostics.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/plot/plot_data.h"
#include "tavrix/plot/plot_svg.h"
#include "tavrix/version.h"

namespace tavrix {
namespace {

using report::Element;
using report::Escape;
using report::WithDecimalMark;

constexpr double kPlotWidth = 900, kPlotHeight = 560;
constexpr double kResidualWidth = 450, kResidualHeight = 300;

// Screen and A4 paper alike: the system's sans-serif fonts, figures that
// scale to the page, tables that break between rows, and the collapsed
// sections printed open.
constexpr char kStyle[] = R"(
body { font-family: "DejaVu Sans", "Liberation Sans", Arial, Helvetica, sans-serif;
  font-size: 10.5pt; line-height: 1.35; color: #111; background: #fff;
  max-width: 62em; margin: 1.5em auto; padding: 0 1em; }
h1 { font-size: 1.6em; margin: 0 0 0.2em; }
h2 { font-size: 1.2em; margin: 1.6em 0 0.5em; border-bottom: 1px solid #ccc; break-after: avoid; }
p.source { font-style: italic; margin: 0.2em 0; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; margin: 0.5em 0; }
th, td { padding: 0.15em 0.6em; border-bottom: 1px solid #e6e6e6; text-align: left; vertical-align: top; }
thead th { border-bottom: 1px solid #999; }
.n { text-align: right; white-space: nowrap; }
.held { color: #666; }
.warn, ul.warnings li { color: #b00000; }
tr.flagged td { background: #fde8e8; }
td.outside { color: #888; font-style: italic; }
table.points { font-size: 8.5pt; }
dl.summary { display: grid; grid-template-columns: max-content auto; gap: 0.1em 1em; }
dl.summary dt { color: #444; } dl.summary dd { margin: 0; }
figure { margin: 1em 0; break-inside: avoid; }
figure svg { display: block; width: 100%; height: auto; }
figcaption { font-size: 0.9em; color: #444; margin-top: 0.3em; }
.pair { display: grid; grid-template-columns: 1fr 1fr; gap: 1em; }
pre { font-size: 8.5pt; background: #f5f5f5; padding: 0.6em; white-space: pre-wrap;
  overflow-wrap: anywhere; }
details { margin: 0.5em 0; } summary { cursor: pointer; font-weight: bold; }
footer { margin-top: 2em; padding-top: 0.4em; border-top: 1px solid #ccc; font-size: 0.85em; color: #555; }
@page { size: A4; margin: 14mm 12mm; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 9.5pt; }
  tr { break-inside: avoid; } thead { display: table-header-group; }
  details::details-content { content-visibility: visible; display: block; }
  summary { list-style: none; }
}
)";

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "NaCl = Na+ + Cl-", as the sheet gives the complex and its species.
std::string Dissociation(const DataSheet& sheet) {
  std::string text = Trimmed(sheet.complex) + " =";
  for (std::size_t i = 0; i < sheet.species.size(); ++i) {
    const Species& s = sheet.species[i];
    text += i == 0 ? " " : " + ";
    if (s.coefficient != 1) text += std::to_string(s.coefficient) + " ";
    text += Trimmed(s.name);
  }
  return text;
}

std::string Head(const ReportedFit& fit) {
  const std::string complex = Trimmed(fit.sheet.complex);
  return "<header>\n" + Element("h1", complex + ": the RB model fitted to pK of dissociation") +
         "\n" + Element("p", fit.sheet.title, "class=\"source\"") + "\n" +
         Element("p", "Dissociation: " + Dissociation(fit.sheet)) + "\n</header>\n";
}

std::string Summary(const ReportedFit& fit, const ReportSettings& settings,
                    const FitDiagnostics& diagnostics) {
  const bool comma = settings.decComma;
  const Evaluation& e = fit.evaluation;
  const auto item = [](const std::string& term, const std::string& value,
                       const std::string& attributes = "") {
    return Element("dt", term) + Element("dd", value, attributes) + "\n";
  };
  std::string html = "<section id=\"fit\">\n<h2>Fitted parameters</h2>\n" +
                     report::ParameterTable(fit, comma) + "<dl class=\"summary\">\n";
  html += item("fit error (F12)", ShownText(FitErrorContent(fit.outcome.errors.total), comma),
               "data-value=\"f12\"");
  html +=
      item("points", std::to_string(fit.sheet.points.size()) + ": " + std::to_string(e.weighted) +
                         " weighted, " + std::to_string(e.ignored) + " of weight 0, " +
                         std::to_string(e.limits.size()) + " \"<\" upper limits");
  html += item("degrees of freedom", std::to_string(fit.outcome.dof));
  html += item("weighted standard error s", report::Significant(diagnostics.s, 3, comma));
  if (const auto span = SpanOfWeightedPoints(fit.sheet))
    html += item("span of the weighted points", span->Text(comma));
  if (!fit.outcome.activeLimits.empty())
    html += item("\"<\" points held as limits", std::to_string(fit.outcome.activeLimits.size()));
  html += "</dl>\n";
  if (const std::string correlation = report::CorrelationTable(diagnostics, comma);
      !correlation.empty())
    html += "<h3>Correlation of the fitted parameters</h3>\n" + correlation;

  std::vector<std::string> warnings;
  for (const SteamPoint& point : SteamPoints(fit.sheet)) warnings.push_back(SteamWarning(point));
  for (const std::string& line : DiagnosticWarnings(fit.sheet, diagnostics))
    warnings.push_back(line);
  if (warnings.empty()) {
    html +=
        "<p>No point lies more than 3 s from the fit or pulls it strongly, and the data tell "
        "the fitted parameters apart.</p>\n";
  } else {
    html += "<ul class=\"warnings\">\n";
    for (const std::string& line : warnings)
      html += Element("li", WithDecimalMark(line, comma)) + "\n";
    html += "</ul>\n";
  }
  return html + "</section>\n";
}

std::string Figure(const std::string& svg, const std::string& caption) {
  return "<figure>\n" + svg + Element("figcaption", caption) + "\n</figure>\n";
}

std::string Plots(const ReportedFit& fit, const ReportSettings& settings) {
  const bool comma = settings.decComma;
  PlotData plot = PlotOfFit(fit.sheet, fit.evaluation, fit.outcome, fit.shown, settings.noLimits);
  for (auto& [point, note] : plot.notes) note = WithDecimalMark(note, comma);
  const auto span = SpanOfWeightedPoints(fit.sheet);
  std::string html = "<section id=\"plot\">\n<h2>The fit</h2>\n";
  html += Figure(
      PlotSvg(plot, kPlotWidth, kPlotHeight, {true, comma}),
      "pK against t: a curve for each condition the data were measured at, where the pK table "
      "has a value, with its band of \u00B1u(pK) (about 95 %); solid over the span of the "
      "weighted points" +
          (span ? " (" + span->Text(comma) + ")" : std::string()) +
          ", dashed beyond it, thin outside the model's range of confidence. Points ringed in red "
          "may be outliers or pull the fit strongly (their tips say why).");

  std::vector<std::optional<double>> residuals;
  for (std::size_t k = 0; k < fit.sheet.points.size(); ++k) {
    const std::optional<double>& calculated = fit.outcome.errors.points.at(k).calculated;
    residuals.push_back(calculated ? std::optional<double>(fit.sheet.points[k].pK - *calculated)
                                   : std::nullopt);
  }
  html += "<h2>Residuals</h2>\n<div class=\"pair\">\n";
  for (const ResidualAxis against : {ResidualAxis::kTemperature, ResidualAxis::kDensity}) {
    const PlotData residual = ResidualPlotData(plot, fit.sheet, residuals, against);
    html += Figure(PlotSvg(residual, kResidualWidth, kResidualHeight, {false, comma}),
                   against == ResidualAxis::kTemperature
                       ? "Experimental minus calculated pK against t"
                       : "Experimental minus calculated pK against the density of water");
  }
  return html + "</div>\n<p class=\"note\">Colours and marks as in the plot of the fit.</p>\n" +
         "</section>\n";
}

std::string Tables(const ReportedFit& fit, const ReportSettings& settings,
                   const FitDiagnostics& diagnostics) {
  const auto span = SpanOfWeightedPoints(fit.sheet);
  return "<section id=\"points\">\n<h2>Points</h2>\n"
         "<p>Residual: experimental minus calculated pK. Studentized residual, leverage and "
         "Cook's distance of the weighted points; an outlier lies more than 3 s from the fit, an "
         "influential point has a Cook's distance above 4/n.</p>\n" +
         report::PointTable(fit, diagnostics, settings.decComma) +
         "</section>\n<section id=\"table\">\n<h2>pK table</h2>\n" +
         report::PkTable(fit, settings) +
         Element("p",
                 WithDecimalMark("1.234? outside the model's range of confidence (doubtful); --- "
                                 "saturation above the critical temperature; gas: water of 0.31 "
                                 "g/cm3 or less, where the model has no value",
                                 settings.decComma) +
                     (span ? "; grey: outside the data of the fit (" +
                                 span->Text(settings.decComma) + ")"
                           : std::string()) +
                     ".",
                 "class=\"note\"") +
         "\n</section>\n";
}

// A record for other codes, as they read it (with '.'), or why there is
// none.
std::string Collapsible(const std::string& summary, const ExportResult& result, bool decComma) {
  std::string html = "<details>\n" + Element("summary", summary) + "\n";
  if (!result) {
    return html +
           Element("p", WithDecimalMark("Not made: " + result.error, decComma), "class=\"warn\"") +
           "\n</details>\n";
  }
  if (!result.warning.empty())
    html += Element("p", WithDecimalMark(result.warning, decComma), "class=\"warn\"") + "\n";
  return html + Element("pre", result.text) + "\n</details>\n";
}

std::string Exports(const ReportedFit& fit, bool decComma) {
  const ExportedFit exported = ExportedFitOf(fit.sheet, fit.shown, CovarianceOf(fit.outcome));
  return "<section id=\"exports\">\n<h2>For other codes</h2>\n" +
         Collapsible("ThermoFun reaction record (JSON)", ThermoFunRecords({exported}), decComma) +
         Collapsible("PHREEQC SOLUTION_SPECIES block", PhreeqcBlock(exported), decComma) +
         "</section>\n";
}

}  // namespace

std::string FitReport(const ReportedFit& fit, const ReportSettings& settings) {
  const FitDiagnostics diagnostics = DiagnosticsOf(fit.sheet, fit.evaluation, fit.outcome);
  const std::string complex = Trimmed(fit.sheet.complex);
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<meta name=\"generator\" content=\"tavrix " +
         std::string(kProgramVersion) + "\">\n" + Element("title", "Fit of " + complex) +
         "\n<style>" + kStyle + "</style>\n</head>\n<body>\n" + Head(fit) +
         Summary(fit, settings, diagnostics) + Plots(fit, settings) +
         Tables(fit, settings, diagnostics) + Exports(fit, settings.decComma) +
         Element("footer",
                 "Made by tavrix " + std::string(kProgramVersion) + " on " + settings.date) +
         "\n</body>\n</html>\n";
}

std::string ReportDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

}  // namespace tavrix
