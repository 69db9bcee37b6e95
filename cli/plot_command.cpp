#include <QApplication>
#include <memory>
#include <ostream>

#include "book.h"
#include "commands.h"
#include "pk_chart.h"
#include "tavrix/app/plot_data.h"
#include "tavrix/fit/fit_result.h"

namespace tavrix::cli {

int RunPlot(const PlotRequest& request, std::ostream& out, std::ostream& err) {
  if (request.books.books.size() != 1) {
    err << "tavrix plot: one data sheet at a time\n";
    return kExitBadInput;
  }
  // Drawing needs an application object; without a display it draws offscreen.
  std::unique_ptr<QApplication> application;
  if (!QCoreApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "tavrix";
    static char* argv[] = {name, nullptr};
    application = std::make_unique<QApplication>(argc, argv);
  }

  Books books;
  Book book;
  book.path = request.books.books.front();
  book.sheetName = request.books.sheet;
  const Output output{out, err, ""};
  if (const int code = books.OpenAndPass(book, request.books.noLimits, output); code != kExitOk) return code;
  if (!ResultIsShown(book.problem, *book.sheet, book.view)) {
    err << "the sheet does not show fitted parameters; run tavrix fit first\n";
    return kExitNoResultShown;
  }
  // The same picture as the table window's plot.
  if (!SavePlot(BuildPlotData(book.problem), request.output)) {
    err << "could not write the plot to " << request.output << " (use .png or .svg)\n";
    return kExitBadInput;
  }
  out << "plot written to " << request.output << "\n";
  return kExitOk;
}

}  // namespace tavrix::cli
