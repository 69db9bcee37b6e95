#include "for_each_book.h"

#include <algorithm>
#include <exception>
#include <ostream>

#include "tavrix/fit/covariance.h"
#include "tavrix/fit/shown_fit.h"

namespace tavrix::cli {

int ForEachBook(const BookOptions& options, Books::Access access, std::ostream& out,
                std::ostream& err,
                const std::function<int(Books&, Book&, const Output&)>& command) {
  int worst = kExitOk;
  Books books;
  for (const std::string& path : options.books) {
    Output output{out, err, options.books.size() > 1 ? path + ": " : ""};
    Book book;
    book.path = path;
    book.sheetName = options.sheet;
    book.separator = options.separator;
    book.ignoreLock = options.ignoreLock;
    int code = kExitBadInput;
    try {
      code = OpenAndPass(books, book, options.noLimits, access, output);
      if (code == kExitOk) code = command(books, book, output);
    } catch (const std::exception& e) {  // a failing host after the sheet was read
      output.err << output.prefix << "Unexpected error: " << e.what() << "\n";
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

}  // namespace tavrix::cli
