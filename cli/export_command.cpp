// tavrix export: the data.txt record of a fit (appended to the file), or
// the fit in the form of a code (ThermoFun, PHREEQC, logK grids), printed
// or written in one piece over the file --to names.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "book.h"
#include "commands.h"
#include "for_each_book.h"
#include "grid_input.h"
#include "point_input.h"
#include "tavrix/exports/exports.h"
#include "tavrix/fit/covariance.h"
#include "tavrix/fit/export.h"
#include "tavrix/sheet/file_replace.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

namespace fs = std::filesystem;

int AppendDataTxt(const ExportRequest& request, std::ostream& out, std::ostream& err) {
  const std::string path = request.to.empty() ? HomeDir() + "data.txt" : request.to;
  return ForEachBook(request.books, Books::Access::kRead, out, err,
                     [&](Books&, Book& book, const Output& o) {
                       const std::optional<RBPar> fit = ShownFitOf(book, o);
                       if (!fit) return kExitNoResultShown;
                       const AppendResult result =
                           AppendRecord(path, RecordOf(book.data(), *fit, book.settings.decComma));
                       if (!result) {
                         o.err << o.prefix << "cannot write '" << path
                               << "': " << std::strerror(result.error) << "\n";
                         return kExitBadInput;
                       }
                       o.out << o.prefix << "Added to the file '"
                             << fs::path(path).filename().string() << "' (" << path << ")\n";
                       return kExitOk;
                     });
}

const char* FormatName(ExportFormat format) {
  switch (format) {
    case ExportFormat::kDataTxt:
      return "data.txt";
    case ExportFormat::kThermoFun:
      return "the ThermoFun record";
    case ExportFormat::kPhreeqc:
      return "the PHREEQC block";
    default:
      return "the logK grid";
  }
}

bool EndsWithCsv(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".csv";
}

// What --t and --p ask of the export: the grid's points, or the range of
// the -analytic fit. False, with the message, when they do not fit the
// format.
struct Conditions {
  std::vector<GridPoint> grid = Eq36Grid();
  float tLow = 0;
  float tHigh = 350;
};
bool ReadConditions(const ExportRequest& request, Conditions& conditions, std::ostream& err) {
  const bool grid = request.format == ExportFormat::kGrid;
  if ((!request.p.empty() && !grid) ||
      (!request.t.empty() && !grid && request.format != ExportFormat::kPhreeqc)) {
    err << "tavrix export: --t and --p go with --format grid (--t also with --format phreeqc)\n";
    return false;
  }
  std::string error;
  std::optional<std::vector<float>> t, p;
  if (!request.t.empty() && !(t = ReadList(request.t, 0, kMaxCalculatorCelsius, error))) {
    err << "tavrix export: --t: " << error << "\n";
    return false;
  }
  if (!request.p.empty() && !(p = ReadList(request.p, 0, kMaxCalculatorPressure, error))) {
    err << "tavrix export: --p: " << error << "\n";
    return false;
  }
  if (request.format == ExportFormat::kPhreeqc && t) {
    conditions.tLow = *std::min_element(t->begin(), t->end());
    conditions.tHigh = *std::max_element(t->begin(), t->end());
    if (!(conditions.tLow >= 0 && conditions.tLow < conditions.tHigh &&
          KelvinOf(conditions.tHigh) < kCriticalT)) {
      err << "tavrix export: --t gives the range of the -analytic fit along saturation, from 0 "
             "to below 374 C, e.g. --t 0,300\n";
      return false;
    }
  }
  if (grid && (t || p)) {
    std::vector<float> temperatures;
    for (const GridPoint& point : conditions.grid) temperatures.push_back(point.t);
    conditions.grid.clear();
    for (const float P : p ? *p : std::vector<float>{0}) {
      for (const float temperature : t ? *t : temperatures)
        conditions.grid.push_back({temperature, P});
    }
  }
  return true;
}

// Writes the whole text over the file, or prints it.
int Deliver(const ExportRequest& request, const std::string& text, std::size_t books,
            std::ostream& out, std::ostream& err) {
  if (request.to.empty()) {
    out << text;
    return kExitOk;
  }
  try {
    ReplaceFile(request.to, [&](const std::string& file) {
      std::ofstream stream(file, std::ios::binary);
      stream << text;
      stream.flush();
      if (!stream) throw HostError("cannot write '" + request.to + "'");
    });
  } catch (const HostError& e) {
    err << "tavrix export: " << e.what() << "\n";
    return kExitBadInput;
  }
  out << "Wrote " << FormatName(request.format) << (books > 1 ? "s of " : " of ") << books
      << (books > 1 ? " sheets" : " sheet") << " to '" << fs::path(request.to).filename().string()
      << "' (" << request.to << ")\n";
  return kExitOk;
}

}  // namespace

int RunExport(const ExportRequest& request, std::ostream& out, std::ostream& err) {
  const Model* model = ModelNamed(request.model);
  const bool rbOnly =
      request.format == ExportFormat::kDataTxt || request.format == ExportFormat::kThermoFun;
  if (model != &RBModel() && rbOnly) {
    err << "tavrix export: " << FormatName(request.format) << " holds the RB model's parameters; "
        << model->name << " goes with --format grid or phreeqc\n";
    return kExitBadInput;
  }
  if (request.format == ExportFormat::kDataTxt) {
    if (!request.t.empty() || !request.p.empty()) {
      err << "tavrix export: --t and --p go with --format grid (--t also with --format phreeqc)\n";
      return kExitBadInput;
    }
    return AppendDataTxt(request, out, err);
  }
  Conditions conditions;
  if (!ReadConditions(request, conditions, err)) return kExitBadInput;
  const GridFormat gridFormat =
      request.csv || EndsWithCsv(request.to) ? GridFormat::kCsv : GridFormat::kTsv;

  std::vector<ExportedFit> fits;
  std::string text;
  // The fit's text added to the others, or the message why there is none.
  const auto add = [&](const ExportedFit& fit, const Book& book, const Output& o) {
    const ExportResult result =
        request.format == ExportFormat::kThermoFun ? ThermoFunRecords({fit})
        : request.format == ExportFormat::kPhreeqc
            ? PhreeqcBlock(fit, conditions.tLow, conditions.tHigh)
            : LogKGrid(fit, conditions.grid, gridFormat, book.settings.noLimits);
    if (!result) {
      o.err << o.prefix << "cannot export: " << result.error << "\n";
      return kExitSheetError;
    }
    if (!result.warning.empty()) {
      o.err << o.prefix << "note: " << result.warning << " (--t 0,250)\n";
    }
    fits.push_back(fit);
    text += result.text;
    return kExitOk;
  };
  const int code = ForEachBook(
      request.books, Books::Access::kRead, out, err, [&](Books&, Book& book, const Output& o) {
        if (model != &RBModel()) {
          const std::optional<FittedModel> other = OtherModelOf(book, *model, request.limits, o);
          if (!other) return kExitNoSolution;
          return add(ExportedFitOf(book.data(), *other), book, o);
        }
        const std::optional<RBPar> shown = ShownFitOf(book, o);
        if (!shown) return kExitNoResultShown;
        std::optional<ParameterCovariance> covariance;
        if (request.format == ExportFormat::kGrid) {
          covariance = ShownCovarianceOf(book, o, "u(logK)");
          if (!covariance) return kExitNoResultShown;
        } else {  // u(log K) in the PHREEQC block's comment where the fit gives it
          covariance = ShownFitCovariance(*book.host, book.data(), book.pass.evaluation,
                                          book.settings.decComma);
        }
        return add(ExportedFitOf(book.data(), *shown, covariance), book, o);
      });
  if (code != kExitOk) {
    if (!request.to.empty()) err << "tavrix export: '" << request.to << "' is left as it was\n";
    return code;
  }
  // Several ThermoFun records make one array.
  if (request.format == ExportFormat::kThermoFun) text = ThermoFunRecords(fits).text;
  return Deliver(request, text, fits.size(), out, err);
}

}  // namespace tavrix::cli
