#include <algorithm>
#include <ostream>

#include "book.h"
#include "commands.h"
#include "for_each_book.h"
#include "tavrix/datasheet/steam_points.h"
#include "tavrix/fit/diagnostics.h"
#include "tavrix/fit/fit.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/fit/table_of_fit.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix::cli {
namespace {

// One line on standard error for every point that the equation of state
// takes as steam; the fit keeps such points as they are.
void WarnOfSteamPoints(const Book& book, const Output& output) {
  for (const SteamPoint& point : SteamPoints(book.data())) {
    output.err << output.prefix << SteamWarning(point) << "\n";
  }
}

int Count(const ParameterChoice& choice) {
  return static_cast<int>(std::count(choice.begin(), choice.end(), true));
}

// Why a choice of parameters gives nothing to fit, or "".
std::string NothingToFit(const Book& book, const ParameterChoice& choice) {
  const int points = static_cast<int>(book.data().points.size());
  const int chosen = Count(choice);
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

// The parameters --fit names, refusing to hold fixed one whose initial
// value is no number (the window ticks such a box again).
std::optional<ParameterChoice> ChosenParameters(const Book& book,
                                                const std::vector<std::string>& names,
                                                const Output& output) {
  ParameterChoice choice{};
  for (const std::string& name : names) {
    const auto known = std::find_if(kParameters.begin(), kParameters.end(),
                                    [&](const ParameterInfo& info) { return name == info.option; });
    if (known == kParameters.end()) {
      output.err << output.prefix << "unknown parameter '" << name
                 << "' in --fit (use pK298, A, B)\n";
      return std::nullopt;
    }
    choice[static_cast<std::size_t>(known - kParameters.begin())] = true;
  }
  for (int i = 0; i < kParameterCount; ++i) {
    const ParameterInfo& info = kParameters[static_cast<std::size_t>(i)];
    if (!choice[static_cast<std::size_t>(i)] && !HasValue(ParamValue(book.data().initial, i))) {
      output.err << output.prefix << info.name
                 << " has no initial value and cannot be held fixed; add " << info.option
                 << " to --fit\n";
      return std::nullopt;
    }
  }
  return choice;
}

std::string Shown(const CellContent& cell, const Book& book) {
  return ShownText(cell, book.settings.decComma);
}

}  // namespace

int RunCheck(const CheckRequest& request, std::ostream& out, std::ostream& err) {
  const auto access = request.write ? Books::Access::kWrite : Books::Access::kRead;
  return ForEachBook(request.books, access, out, err, [&](Books&, Book& book, const Output& o) {
    WarnOfSteamPoints(book, o);
    const Evaluation& e = book.pass.evaluation;
    o.out << o.prefix << "complex: " << book.data().complex << "\n"
          << o.prefix << "points: " << book.data().points.size() << " (weighted " << e.weighted
          << ", weight 0 " << e.ignored << ", \"<\" " << e.limits.size() << ")\n"
          << o.prefix << "error of the initial values (E12): "
          << Shown(FitErrorContent(book.pass.initialError), book) << "\n";
    for (int i = 0; i < kParameterCount; ++i) {
      o.out << o.prefix << kParameters[static_cast<std::size_t>(i)].name << ": "
            << TrimBlanks(ShownParameter(*book.host, i, book.settings.decComma)) << "\n";
    }
    return kExitOk;
  });
}

int RunFit(const FitRequest& request, std::ostream& out, std::ostream& err) {
  const auto access = request.dryRun ? Books::Access::kRead : Books::Access::kWrite;
  return ForEachBook(request.books, access, out, err, [&](Books&, Book& book, const Output& o) {
    WarnOfSteamPoints(book, o);
    std::optional<ParameterChoice> choice = MarkedForFit(*book.host, book.settings.decComma);
    if (request.fit) choice = ChosenParameters(book, *request.fit, o);
    if (!choice) return kExitBadInput;
    if (const std::string why = NothingToFit(book, *choice); !why.empty()) {
      o.err << o.prefix << why << "\n";
      return kExitBadInput;
    }
    const FitOutcome outcome = Fit(book.data(), book.pass.evaluation, {*choice, request.limits});
    if (!outcome) {
      o.err << o.prefix << "Could not find solution: " << outcome.reason << "\n";
      return kExitNoSolution;  // the file is left as it was
    }
    WriteFitOutcome(*book.host, outcome);

    for (int i = 0; i < kParameterCount; ++i) {
      const std::string uncertainty = Shown(UncertaintyCell(i, outcome), book);
      o.out << o.prefix << kParameters[static_cast<std::size_t>(i)].name << ": "
            << Shown(OptimizedCell(i, outcome.parameters), book)
            << (uncertainty.empty() ? " (fixed)" : " \u00B1 " + uncertainty) << "\n";
    }
    o.out << o.prefix << "fit error (F12): " << Shown(FitErrorContent(outcome.errors.total), book)
          << "\n";
    // Outliers, points that pull the fit, parameters not told apart: the
    // result stands, the user is told.
    const FitDiagnostics diagnostics = DiagnosticsOf(book.data(), book.pass.evaluation, outcome);
    for (const std::string& warning : DiagnosticWarnings(book.data(), diagnostics))
      o.err << o.prefix << warning << "\n";
    return kExitOk;  // saved once every sheet of the book is fitted
  });
}

int RunSheetTable(const SheetTableRequest& request, std::ostream& out, std::ostream& err) {
  return ForEachBook(
      request.books, Books::Access::kRead, out, err, [&](Books&, Book& book, const Output& o) {
        const std::optional<RBPar> fit = ShownFitOf(book, o);
        if (!fit) return kExitNoResultShown;
        const PkTableInput table =
            TableOfFit(book.data(), *fit, book.settings.noLimits, book.settings.decComma);
        for (const std::string& line : TableTextLines(PkTableLines(table), request.forExcel)) {
          o.out << o.prefix << line << "\n";
        }
        return kExitOk;
      });
}

}  // namespace tavrix::cli
