#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <ostream>

#include "book.h"
#include "commands.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/fit/optimize.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/sheet/layout.h"
#include "tavrix/sheet/sheet_pass.h"
#include "tavrix/sheet/steam_points.h"

namespace tavrix::cli {
namespace {

using layout::kColE;
using layout::kColF;
using layout::kColG;

constexpr const char* kParameterNames[3] = {"pK(298)", "A(zz/a)", "B(zz/a)"};
constexpr const char* kFitNames[3] = {"pK298", "A", "B"};

// Runs `command` on every book after a clean sheet pass; the exit code is
// the highest any book gave.
int ForEachBook(const BookOptions& options, Books::Access access, std::ostream& out,
                std::ostream& err, const std::function<int(Books&, Book&, const Output&)>& command) {
  int worst = kExitOk;
  Books books;
  for (const std::string& path : options.books) {
    Output output{out, err, options.books.size() > 1 ? path + ": " : ""};
    Book book;
    book.path = path;
    book.sheetName = options.sheet;
    int code = kExitBadInput;
    try {
      code = books.OpenAndPass(book, options.noLimits, access, output);
      if (code == kExitOk) code = command(books, book, output);
    } catch (const std::exception& e) {  // a failing host after the sheet was read
      output.err << output.prefix << "Unexpected error: " << e.what() << "\n";
    }
    worst = std::max(worst, code);
  }
  return worst;
}

std::string Cell(Book& book, int row, int col) {
  return book.sheet->CellText(row, col);
}

int GateOnShownResult(Book& book, const Output& output) {
  if (ResultIsShown(book.problem, *book.sheet, book.view)) return kExitOk;
  output.err << output.prefix
             << "the sheet does not show fitted parameters; run tavrix fit first\n";
  return kExitNoResultShown;
}

// One line on standard error for every point that the equation of state
// takes as steam; the fit keeps such points as they are.
void WarnOfSteamPoints(const Book& book, const Output& output) {
  for (const SteamPoint& point : SteamPoints(book.problem)) {
    output.err << output.prefix << SteamWarning(point) << "\n";
  }
}

// Why the fit boxes as they stand give nothing to fit, or "".
std::string NothingToFit(const Book& book) {
  const int points = book.problem.NPoints;
  int chosen = 0;
  for (int i = 0; i < 3; ++i) chosen += book.view.fit[static_cast<std::size_t>(i)] ? 1 : 0;
  if (points == 0) return "nothing to fit: the sheet has no experimental points (from row 15 on)";
  if (chosen == 0) {
    return "nothing to fit: the sheet marks no parameter to fit; choose them with --fit "
           "(e.g. --fit pK298,A,B)";
  }
  if (chosen > points) {
    return "cannot fit " + std::to_string(chosen) + " parameters to " + std::to_string(points) +
           (points == 1 ? " point" : " points") + "; choose at most " + std::to_string(points) +
           " with --fit (e.g. --fit pK298" + (points > 1 ? ",A" : "") + ")";
  }
  return "";
}

// Sets the fit boxes from --fit, refusing to hold fixed a parameter whose
// initial value is no number (the window ticks such a box again).
bool ChooseFittedParameters(Book& book, const std::vector<std::string>& names,
                            const Output& output) {
  for (const std::string& name : names) {
    if (std::find(std::begin(kFitNames), std::end(kFitNames), name) == std::end(kFitNames)) {
      output.err << output.prefix << "unknown parameter '" << name
                 << "' in --fit (use pK298, A, B)\n";
      return false;
    }
  }
  for (int i = 0; i < 3; ++i) {
    const bool fitted = std::find(names.begin(), names.end(), kFitNames[i]) != names.end();
    const bool noValue =
        !IsNumericText(Cell(book, layout::ParamRow(i), kColE), book.problem.DecComma);
    if (!fitted && noValue) {
      output.err << output.prefix << kParameterNames[i]
                 << " has no initial value and cannot be held fixed; add " << kFitNames[i]
                 << " to --fit\n";
      return false;
    }
    book.view.SetFitParameter(i, fitted);
  }
  UpdateOptimizeButton(book.problem, book.view);
  return true;
}

}  // namespace

int RunCheck(const CheckRequest& request, std::ostream& out, std::ostream& err) {
  const auto access = request.write ? Books::Access::kWrite : Books::Access::kRead;
  return ForEachBook(request.books, access, out, err, [&](Books& books, Book& book, const Output& o) {
    WarnOfSteamPoints(book, o);
    const Problem& p = book.problem;
    o.out << o.prefix << "complex: " << Cell(book, layout::kComplexRow, layout::kColC) << "\n"
          << o.prefix << "points: " << p.NPoints << " (weighted " << p.NWeighted << ", weight 0 "
          << p.NZero << ", \"<\" " << p.NRestr << ")\n"
          << o.prefix
          << "error of the initial values (E12): " << Cell(book, layout::kErrorRow, kColE) << "\n";
    for (int i = 0; i < 3; ++i) {
      o.out << o.prefix << kParameterNames[i] << ": "
            << TrimBlanks(book.view.labels[static_cast<std::size_t>(i)]) << "\n";
    }
    if (request.write && !books.Save(book, o)) return kExitBadInput;
    return kExitOk;
  });
}

int RunFit(const FitRequest& request, std::ostream& out, std::ostream& err) {
  const auto access = request.dryRun ? Books::Access::kRead : Books::Access::kWrite;
  return ForEachBook(request.books, access, out, err, [&](Books& books, Book& book, const Output& o) {
    WarnOfSteamPoints(book, o);
    if (request.fit && !ChooseFittedParameters(book, *request.fit, o)) return kExitBadInput;
    if (const std::string why = NothingToFit(book); !why.empty()) {
      o.err << o.prefix << why << "\n";
      return kExitBadInput;
    }
    book.view.limits = request.limits;
    if (const OptimizeResult result = Optimize(book.problem, *book.sheet, book.view); !result) {
      o.err << o.prefix << book.view.messages.back().text << ": " << result.reason << "\n";
      return kExitNoSolution;  // the file is left as it was
    }
    ShowParams(book.problem, *book.sheet, book.view);

    for (int i = 0; i < 3; ++i) {
      const int row = layout::ParamRow(i);
      const std::string uncertainty = Cell(book, row, kColG);
      o.out << o.prefix << kParameterNames[i] << ": " << Cell(book, row, kColF)
            << (uncertainty.empty() ? " (fixed)" : " \u00B1 " + uncertainty) << "\n";
    }
    o.out << o.prefix << "fit error (F12): " << Cell(book, layout::kErrorRow, kColF) << "\n";
    if (!request.dryRun && !books.Save(book, o)) return kExitBadInput;
    return kExitOk;
  });
}

int RunSheetTable(const SheetTableRequest& request, std::ostream& out, std::ostream& err) {
  return ForEachBook(request.books, Books::Access::kRead, out, err,
                     [&](Books&, Book& book, const Output& o) {
    if (const int code = GateOnShownResult(book, o); code != kExitOk) return code;
    for (const std::string& line :
         TableTextLines(BuildPkTable(book.problem, *book.sheet), request.forExcel)) {
      o.out << o.prefix << line << "\n";
    }
    return kExitOk;
  });
}

int RunExport(const ExportRequest& request, std::ostream& out, std::ostream& err) {
  const std::string path = request.to.empty() ? HomeDir() + "data.txt" : request.to;
  return ForEachBook(request.books, Books::Access::kRead, out, err,
                     [&](Books&, Book& book, const Output& o) {
    if (const int code = GateOnShownResult(book, o); code != kExitOk) return code;
    const ExportResult result = ExportToDataTxt(book.problem, *book.sheet, book.view, path);
    if (!result) {
      o.err << o.prefix << "cannot write '" << path << "': " << std::strerror(result.error)
            << "\n";
      return kExitBadInput;
    }
    o.out << o.prefix << book.view.messages.back().text << "(" << path << ")\n";
    return kExitOk;
  });
}

}  // namespace tavrix::cli
