// tavrix compare: the sheet's models side by side, fitted to the same
// points; nothing is written.
#include <algorithm>
#include <cmath>
#include <ostream>

#include "commands.h"
#include "csv_line.h"
#include "for_each_book.h"
#include "model_names.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/model_comparison.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix::cli {
namespace {

constexpr int kCsvDigits = 10;

std::string Number(double x) {
  return std::isfinite(x) ? SignificantText(x, kCsvDigits) : "";
}

std::vector<std::string> CsvHeader() {
  std::vector<std::string> header = {"file", "sheet", "model",     "n",
                                     "k",    "F12",   "AICc",      "dAICc",
                                     "BIC",  "LOO",   "max_abs_d", "max_abs_dpK_rb"};
  for (int i = 1; i <= kMaxModelParameters; ++i) {
    const std::string n = std::to_string(i);
    header.insert(header.end(), {"parameter" + n, "value" + n, "u" + n});
  }
  header.push_back("note");
  return header;
}

std::vector<std::string> CsvFields(const Book& book, const ComparedModel& c) {
  const ModelStatistics& s = c.statistics;
  std::vector<std::string> fields = {
      book.path,           book.sheetName,     c.fit.model->name,     std::to_string(s.n),
      std::to_string(s.k), Number(s.f12),      Number(s.aicc),        Number(s.deltaAicc),
      Number(s.bic),       Number(s.looError), Number(s.maxResidual), Number(s.maxDeltaRB)};
  for (int i = 0; i < kMaxModelParameters; ++i) {
    const bool shown = c.fit && i < c.fit.model->count;
    const std::optional<double> u = shown ? c.fit.Uncertainty(i) : std::nullopt;
    fields.insert(
        fields.end(),
        {shown ? c.fit.model->parameters[static_cast<std::size_t>(i)].name : "",
         shown ? Number(c.fit.values[static_cast<std::size_t>(i)]) : "", u ? Number(*u) : ""});
  }
  fields.push_back(c.fit ? "" : "not fitted: " + c.fit.reason);
  return fields;
}

}  // namespace

int RunCompare(const CompareRequest& request, std::ostream& out, std::ostream& err) {
  const auto models = ModelsNamed(request.models, "tavrix compare", err);
  if (!models) return kExitBadInput;
  if (request.csv) out << CsvLine(CsvHeader());
  return ForEachBook(
      request.books, Books::Access::kRead, out, err, [&](Books&, Book& book, const Output& o) {
        const std::vector<ComparedModel> compared =
            CompareModels(book.data(), book.pass.evaluation, *models,
                          {RBChoice(book), request.limits, book.settings.noLimits});
        if (request.csv) {
          for (const ComparedModel& c : compared) o.out << CsvLine(CsvFields(book, c));
        } else {
          const TextTable table = ComparisonTable(compared, book.settings.decComma);
          std::vector<std::vector<std::string>> rows = {table.header};
          rows.insert(rows.end(), table.rows.begin(), table.rows.end());
          for (const std::string& line : AlignedColumns(rows)) o.out << o.prefix << line << "\n";
        }
        const bool all = std::all_of(compared.begin(), compared.end(),
                                     [](const ComparedModel& c) { return c.fit.solved; });
        return all ? kExitOk : kExitNoSolution;
      });
}

}  // namespace tavrix::cli
