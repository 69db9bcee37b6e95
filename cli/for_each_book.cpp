#include "for_each_book.h"

#include <algorithm>
#include <exception>
#include <ostream>

#include "tavrix/fit/covariance.h"
#include "tavrix/fit/model_comparison.h"
#include "tavrix/fit/shown_fit.h"

namespace tavrix::cli {
namespace {

// The sheets of an opened book the command runs on, each after its pass;
// the highest exit code any gave.
int ForEachSheet(Books& books, Book& book, bool allSheets, Output& output,
                 const SheetCommand& command) {
  if (!allSheets) {
    const int code = PassSheet(book, output);
    return code == kExitOk ? command(books, book, output) : code;
  }
  int worst = kExitOk;
  int dataSheets = 0;
  for (const std::string& name : SheetNamesOf(book)) {
    Output o = output;
    SelectSheet(book, name);
    if (!IsDataSheet(*book.host)) {
      NameSheet(book, o);
      o.err << o.prefix << "note: skipped: no data sheet ('Complex:' is not in B2)\n";
      continue;
    }
    ++dataSheets;
    int code = PassSheet(book, o);
    if (code == kExitOk) code = command(books, book, o);
    worst = std::max(worst, code);
  }
  if (dataSheets == 0) {
    output.err << output.prefix << "'" << book.path
               << "' has no data sheet ('Complex:' in B2) in any of its sheets\n";
    return kExitSheetError;
  }
  return worst;
}

}  // namespace

int ForEachBook(const BookOptions& options, Books::Access access, std::ostream& out,
                std::ostream& err, const SheetCommand& command) {
  int worst = kExitOk;
  Books books;
  for (const std::string& path : options.books) {
    Output output{out, err, options.books.size() > 1 ? path + ": " : ""};
    Book book;
    book.path = path;
    book.sheetName = options.sheet;
    book.separator = options.separator;
    book.ignoreLock = options.ignoreLock;
    const bool save = access == Books::Access::kWrite;
    int code = kExitBadInput;
    try {
      code = OpenBook(books, book, options.noLimits, access, output);
      if (code != kExitOk) {
        worst = std::max(worst, code);
        continue;
      }
      code = ForEachSheet(books, book, options.allSheets, output, command);
      if (save && code == kExitOk) {
        if (!Save(books, book, output)) code = kExitBadInput;
      } else if (save && options.allSheets) {
        output.err << output.prefix << "'" << path
                   << "' is left as it was, as not every data sheet gave a result\n";
      }
    } catch (const std::exception& e) {  // a failing host after the sheet was read
      output.err << output.prefix << "Unexpected error: " << e.what() << "\n";
      code = kExitBadInput;
    }
    worst = std::max(worst, code);
  }
  return worst;
}

std::optional<RBPar> ShownFitOf(Book& book, const Output& output) {
  const ShownFit shown = CheckShownFit(*book.host, book.data().optimized, book.settings.decComma);
  if (shown.shown) return shown.parameters;
  output.err << output.prefix
             << "the sheet does not show fitted parameters; run tavrix fit first\n";
  return std::nullopt;
}

std::optional<ParameterCovariance> ShownCovarianceOf(Book& book, const Output& output,
                                                     const std::string& what) {
  const auto covariance =
      ShownFitCovariance(*book.host, book.data(), book.pass.evaluation, book.settings.decComma);
  if (covariance) return covariance;
  if (!ShownFitHasDegreesOfFreedom(*book.host, book.pass.evaluation, book.settings.decComma)) {
    output.err << output.prefix << what
               << " is not known: the fit the sheet shows has as many parameters as weighted "
                  "points; it needs more points, or fewer parameters fitted\n";
    return std::nullopt;
  }
  output.err << output.prefix << what
             << " needs the fit the sheet shows, but its points and fitted parameters (the "
                "\u00B1 in G9:G11) no longer give F9:F11; run tavrix fit again\n";
  return std::nullopt;
}

std::optional<FittedModel> OtherModelOf(Book& book, const Model& model, bool limits,
                                        const Output& output) {
  const ModelFit fit = FitSheetModel(book.data(), book.pass.evaluation, model, {}, limits);
  if (fit) return FittedModelOf(fit);
  output.err << output.prefix << "Could not fit " << model.name << ": " << fit.reason << "\n";
  return std::nullopt;
}

}  // namespace tavrix::cli
