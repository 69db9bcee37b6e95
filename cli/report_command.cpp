// tavrix report: the report of the fit a sheet shows, one HTML page
// written in one piece over its file.
#include <filesystem>
#include <fstream>
#include <ostream>

#include "book.h"
#include "commands.h"
#include "for_each_book.h"
#include "tavrix/fit/covariance.h"
#include "tavrix/report/report.h"
#include "tavrix/sheet/file_replace.h"

namespace tavrix::cli {
namespace {

namespace fs = std::filesystem;

// The page beside its workbook: nacl.csv gives nacl.html, a worksheet of a
// workbook of several its own page (nacl-Sheet2.html).
std::string PageBeside(const Book& book) {
  fs::path page = book.path;
  if (book.sheetCount > 1) page.replace_filename(page.stem().string() + "-" + book.sheetName);
  return page.replace_extension(".html").string();
}

void Write(const std::string& path, const std::string& page) {
  ReplaceFile(path, [&](const std::string& file) {
    std::ofstream stream(file, std::ios::binary);
    stream << page;
    stream.flush();
    if (!stream) throw HostError("cannot write '" + path + "'");
  });
}

}  // namespace

int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err) {
  if (!request.output.empty() && request.books.books.size() != 1) {
    err << "tavrix report: -o names the page of one data sheet; without it each sheet's report "
           "goes beside its file\n";
    return kExitBadInput;
  }
  const std::string date = ReportDate();
  return ForEachBook(
      request.books, Books::Access::kRead, out, err, [&](Books&, Book& book, const Output& o) {
        const std::optional<RBPar> shown = ShownFitOf(book, o);
        if (!shown) return kExitNoResultShown;
        const std::optional<FitOutcome> outcome =
            ShownFitOutcome(*book.host, book.data(), book.pass.evaluation, book.settings.decComma);
        if (!outcome) {
          o.err << o.prefix
                << "the report needs the fit the sheet shows, but its points and fitted "
                   "parameters (the \u00B1 in G9:G11) no longer give F9:F11; run tavrix fit "
                   "again\n";
          return kExitNoResultShown;
        }
        const std::string page = FitReport({book.data(), book.pass.evaluation, *outcome, *shown},
                                           {book.settings.noLimits, book.settings.decComma, date});
        const std::string path = request.output.empty() ? PageBeside(book) : request.output;
        try {
          Write(path, page);
        } catch (const HostError& e) {
          o.err << o.prefix << e.what() << "; the report was not written\n";
          return kExitBadInput;
        }
        o.out << o.prefix << "Wrote the report of the fit to '"
              << fs::path(path).filename().string() << "' (" << path << ")\n";
        return kExitOk;
      });
}

}  // namespace tavrix::cli
