#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>

#include "book.h"
#include "commands.h"
#include "model_names.h"
#include "tavrix/fit/covariance.h"
#include "tavrix/fit/model_comparison.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/plot/plot_picture.h"
#include "tavrix/sheet/leftovers.h"

namespace tavrix::cli {
namespace {

namespace fs = std::filesystem;

// The toolkit's own diagnostics are no message for the user of a command.
void QuietToolkit(QtMsgType, const QMessageLogContext&, const QString&) {}

// Drawing needs an application object; without a display it draws
// offscreen. The toolkit wants a runtime folder of the user's: when there
// is none, it gets a private one for this run instead of making its own.
class Drawing {
 public:
  Drawing() {
    if (QCoreApplication::instance()) return;
    qInstallMessageHandler(QuietToolkit);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
      std::string folder = (fs::temp_directory_path() / "tavrix-runtime-XXXXXX").string();
      if (::mkdtemp(folder.data()) != nullptr) {
        runtime_ = folder;
        leftover_ = Leftover(Leftover::Kind::kFolder, folder);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(folder));
      }
    }
    static int argc = 1;
    static char name[] = "tavrix";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  ~Drawing() {
    application_.reset();
    if (runtime_.empty()) return;
    qunsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    fs::remove_all(runtime_, ignored);
  }

 private:
  std::unique_ptr<QGuiApplication> application_;
  std::string runtime_;
  Leftover leftover_;
};

// The models --models names beside the sheet's RB fit (drawn already), each
// fitted to the sheet's points as tavrix compare fits it; a model that
// cannot be fitted is said so, and nothing is drawn (exit code 3).
int AddOtherModels(const PlotRequest& request, Book& book, const Output& output, PlotData& plot) {
  const auto models = ModelsNamed(request.models, "tavrix plot", output.err);
  if (!models) return kExitBadInput;
  if (request.models.empty()) return kExitOk;
  plot.models = {RBModel().name};
  for (const Model* model : *models) {
    if (model == &RBModel()) continue;
    const ModelFit fit =
        FitSheetModel(book.data(), book.pass.evaluation, *model, RBChoice(book), request.limits);
    if (!fit) {
      output.err << output.prefix << model->name << ": Could not find solution: " << fit.reason
                 << "\n";
      return kExitNoSolution;
    }
    plot.models.push_back(model->name);
    AddModelCurves(plot, book.data(), FittedModelOf(fit), static_cast<int>(plot.models.size()) - 1,
                   book.settings.noLimits);
  }
  if (plot.models.size() == 1) plot.models.clear();  // the sheet's fit alone
  return kExitOk;
}

}  // namespace

int RunPlot(const PlotRequest& request, std::ostream& out, std::ostream& err) {
  if (request.books.books.size() != 1) {
    err << "tavrix plot: one data sheet at a time\n";
    return kExitBadInput;
  }
  const fs::path folder = fs::absolute(request.output).parent_path();
  if (!fs::is_directory(folder)) {
    err << "tavrix plot: the folder '" << folder.string() << "' does not exist\n";
    return kExitBadInput;
  }
  const Drawing drawing;

  Books books;
  Book book;
  book.path = request.books.books.front();
  book.sheetName = request.books.sheet;
  book.separator = request.books.separator;
  Output output{out, err, ""};
  if (const int code =
          OpenAndPass(books, book, request.books.noLimits, Books::Access::kRead, output);
      code != kExitOk)
    return code;
  const ShownFit shown = CheckShownFit(*book.host, book.data().optimized, book.settings.decComma);
  if (!shown.shown) {
    err << output.prefix << "the sheet does not show fitted parameters; run tavrix fit first\n";
    return kExitNoResultShown;
  }
  // The same picture as the table window's plot, with the band of +/- u(pK)
  // and the rings of doubtful points where the sheet's points still give the
  // fit it shows.
  const auto outcome =
      ShownFitOutcome(*book.host, book.data(), book.pass.evaluation, book.settings.decComma);
  if (!outcome) {
    err << output.prefix
        << "note: no band of \u00B1u(pK): the sheet's points and fitted parameters no longer "
           "give F9:F11; run tavrix fit again for it\n";
  } else if (!CovarianceOf(*outcome)) {
    err << output.prefix
        << "note: no band of \u00B1u(pK): the fit has as many parameters as weighted points\n";
  }
  PlotData plot = outcome ? PlotOfFit(book.data(), book.pass.evaluation, *outcome, shown.parameters,
                                      book.settings.noLimits)
                          : BuildPlotData(book.data(), shown.parameters, book.settings.noLimits);
  if (const int code = AddOtherModels(request, book, output, plot); code != kExitOk) return code;
  if (!SavePlot(plot, request.output)) {
    err << "could not write the plot to " << request.output << " (use .png or .svg)\n";
    return kExitBadInput;
  }
  out << "plot written to " << request.output << "\n";
  return kExitOk;
}

}  // namespace tavrix::cli
