// tavrix summary: one line per data sheet of every workbook, as the sheet
// shows it: its complex, points, parameters with their ±, F12 and whether
// it shows a fit. Nothing is written.
#include <algorithm>
#include <ostream>

#include "commands.h"
#include "csv_line.h"
#include "for_each_book.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/sheet/layout.h"

namespace tavrix::cli {
namespace {

struct SheetSummary {
  std::string file, sheet, complex, points;
  std::string value[kParameterCount], uncertainty[kParameterCount];
  std::string f12;
  bool fitShown = false;
};

std::string Cell(SheetHost& host, int row, int col, bool decComma) {
  std::string text(TrimBlanks(host.CellText(row, col)));
  if (decComma) std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

SheetSummary SummaryOf(Book& book) {
  SheetHost& host = *book.host;
  const bool comma = book.settings.decComma;
  SheetSummary s;
  s.file = book.path;
  s.sheet = book.sheetName;
  s.complex = book.data().complex;
  s.points = std::to_string(book.data().points.size());
  s.fitShown = CheckShownFit(host, book.data().optimized, comma).shown;
  for (int i = 0; i < kParameterCount; ++i) {
    s.value[i] = TrimBlanks(ShownParameter(host, i, comma));
    if (s.fitShown) s.uncertainty[i] = Cell(host, layout::ParamRow(i), layout::kColG, false);
  }
  if (s.fitShown) s.f12 = Cell(host, layout::kErrorRow, layout::kColF, false);
  return s;
}

std::string WithPoint(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  return text;
}

std::vector<std::string> CsvFields(const SheetSummary& s) {
  std::vector<std::string> fields = {s.file, s.sheet, s.complex, s.points};
  for (int i = 0; i < kParameterCount; ++i) {
    fields.push_back(WithPoint(s.value[i]));
    fields.push_back(WithPoint(s.uncertainty[i]));
  }
  fields.push_back(WithPoint(s.f12));
  fields.push_back(s.fitShown ? "yes" : "no");
  return fields;
}

std::vector<std::string> TextFields(const SheetSummary& s) {
  std::vector<std::string> fields = {s.file, s.sheet, s.complex, s.points};
  for (int i = 0; i < kParameterCount; ++i) {
    const std::string& u = s.uncertainty[i];
    fields.push_back(s.value[i] + (u.empty() ? "" : " \u00B1 " + u));
  }
  fields.push_back(s.f12.empty() ? "-" : s.f12);
  fields.push_back(s.fitShown ? "yes" : "no");
  return fields;
}

}  // namespace

int RunSummary(const SummaryRequest& request, std::ostream& out, std::ostream& err) {
  BookOptions books = request.books;
  books.allSheets = true;
  std::vector<std::vector<std::string>> rows;
  if (request.csv) {
    out << CsvLine({"file", "sheet", "complex", "points", "pK298", "u_pK298", "A", "u_A", "B",
                    "u_B", "F12", "fit_shown"});
  } else {
    rows.push_back({"file", "sheet", "complex", "points", "pK(298)", "A(zz/a)", "B(zz/a)", "F12",
                    "fit shown"});
  }
  const int code =
      ForEachBook(books, Books::Access::kRead, out, err, [&](Books&, Book& book, const Output&) {
        const SheetSummary summary = SummaryOf(book);
        if (request.csv)
          out << CsvLine(CsvFields(summary));
        else
          rows.push_back(TextFields(summary));
        return kExitOk;
      });
  if (rows.size() > 1) {
    for (const std::string& line : AlignedColumns(rows)) out << line << "\n";
  }
  return code;
}

}  // namespace tavrix::cli
