// fit, FitResult, write_back and export.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "bindings.h"
#include "data_sheet_object.h"
#include "errors.h"
#include "fit_result_object.h"
#include "pk_table_object.h"
#include "process_books.h"
#include "tavrix/datasheet/steam_points.h"
#include "tavrix/fit/export.h"
#include "tavrix/fit/fit.h"
#include "tavrix/fit/model_comparison.h"
#include "tavrix/fit/shown_fit.h"
#include "tavrix/fit/table_of_fit.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/plot/plot_data.h"

namespace tavrix::python {
namespace {

using namespace pybind11::literals;
using SheetPtr = std::shared_ptr<SheetObject>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int Count(const ParameterChoice& choice) {
  return static_cast<int>(std::count(choice.begin(), choice.end(), true));
}

// The parameters named by `fit`: names, or one text of names between commas.
ParameterChoice ChosenParameters(const SheetObject& sheet, const py::object& fit) {
  if (fit.is_none()) return sheet.marked;
  std::vector<std::string> names;
  if (py::isinstance<py::str>(fit)) {
    std::string text = fit.cast<std::string>();
    for (std::size_t start = 0;;) {
      const std::size_t comma = text.find(',', start);
      names.push_back(text.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  } else {
    for (const py::handle name : fit) {
      if (!py::isinstance<py::str>(name)) throw py::type_error("fit names parameters: pK298, A, B");
      names.push_back(name.cast<std::string>());
    }
  }
  ParameterChoice choice{};
  for (const std::string& name : names) {
    const auto known = std::find_if(kParameters.begin(), kParameters.end(),
                                    [&](const ParameterInfo& info) { return name == info.option; });
    if (known == kParameters.end()) {
      throw py::value_error("unknown parameter '" + name + "' in fit (use pK298, A, B)");
    }
    choice[static_cast<std::size_t>(known - kParameters.begin())] = true;
  }
  for (int i = 0; i < kParameterCount; ++i) {
    const ParameterInfo& info = kParameters[static_cast<std::size_t>(i)];
    if (!choice[static_cast<std::size_t>(i)] && !HasValue(ParamValue(sheet.data.initial, i))) {
      throw py::value_error(std::string(info.name) +
                            " has no initial value and cannot be held fixed; add " + info.option +
                            " to fit");
    }
  }
  return choice;
}

void CheckSomethingToFit(const SheetObject& sheet, const ParameterChoice& choice) {
  const int points = static_cast<int>(sheet.data.points.size());
  const int chosen = Count(choice);
  if (points == 0) {
    throw py::value_error("nothing to fit: the sheet has no experimental points (from row 15 on)");
  }
  if (chosen == 0) {
    throw py::value_error(
        "nothing to fit: the sheet marks no parameter to fit; choose them with fit=(...) (e.g. "
        "fit=(\"pK298\", \"A\", \"B\"))");
  }
  if (chosen > points) {
    throw py::value_error("cannot fit " + std::to_string(chosen) + " parameters to " +
                          std::to_string(points) + (points == 1 ? " point" : " points") +
                          "; choose at most " + std::to_string(points) + " with fit=(...)");
  }
}

RBPar ShownParameters(const FitOutcome& outcome) {
  MemoryGrid grid;
  WriteFitOutcome(grid, outcome);
  return CheckShownFit(grid, outcome.parameters, grid.decimalComma()).parameters;
}

const Model& ModelCalled(const std::string& name) {
  const Model* model = ModelNamed(name);
  if (!model) {
    throw py::value_error("unknown model '" + name + "' (use " + ModelNameList() + ")");
  }
  return *model;
}

// --- What Python sees of a fit ---------------------------------------------

py::object Params(const FitResultObject& r) {
  std::vector<std::optional<double>> values;
  for (int i = 0; i < r.model().count; ++i) {
    const double x = r.outcome.values[static_cast<std::size_t>(i)];
    values.push_back(HasValue(x) ? std::optional<double>(x) : std::nullopt);
  }
  return ModelParametersObject(r.model(), values);
}

py::object Uncertainties(const FitResultObject& r) {
  std::vector<std::optional<double>> values;
  for (int i = 0; i < r.model().count; ++i) values.push_back(r.outcome.Uncertainty(i));
  return ModelParametersObject(r.model(), values);
}

py::array_t<double> Covariance(const FitResultObject& r) {
  const int count = r.model().count;
  py::array_t<double> covariance({count, count});
  auto c = covariance.mutable_unchecked<2>();
  const int dof = r.outcome.dof;
  const double S = r.outcome.errors.total;
  const double scale =
      dof > 0 ? r.sheet->evaluation.weighted / static_cast<double>(dof) * S * S : kNaN;
  int k[kMaxModelParameters] = {};  // the place of each fitted parameter among the unknowns
  for (int i = 0, next = 1; i < count; ++i) {
    if (r.outcome.fitted[static_cast<std::size_t>(i)]) k[i] = next++;
  }
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < count; ++j) {
      c(i, j) = k[i] && k[j] ? scale * r.outcome.inverse(k[i], k[j]) : 0.0;
    }
  }
  return covariance;
}

py::array_t<double> PointValues(const FitResultObject& r, bool deviation) {
  const auto& points = r.outcome.errors.points;
  py::array_t<double> values(static_cast<py::ssize_t>(points.size()));
  double* v = values.mutable_data();
  for (std::size_t k = 0; k < points.size(); ++k) {
    const std::optional<double>& x = deviation ? points[k].deviation : points[k].calculated;
    v[k] = x ? *x : kNaN;
  }
  return values;
}

// The lines `tavrix fit` prints for the fit; for another model, its
// parameters as `tavrix compare` shows them.
std::string Summary(const FitResultObject& r) {
  const bool comma = r.sheet->settings.decComma;
  std::string text;
  const std::string f12 =
      "fit error (F12): " + ShownText(FitErrorContent(r.outcome.errors.total), comma) + "\n";
  if (!r.rb()) {
    for (int i = 0; i < r.model().count; ++i) {
      std::string line = ParameterText(r.outcome, i, comma);
      line.insert(std::strlen(r.model().parameters[static_cast<std::size_t>(i)].name), ":");
      text += line + "\n";
    }
    return text + f12;
  }
  for (int i = 0; i < kParameterCount; ++i) {
    const std::string uncertainty = ShownText(UncertaintyCell(i, r.outcome), comma);
    text += std::string(kParameters[static_cast<std::size_t>(i)].name) + ": " +
            ShownText(OptimizedCell(i, r.outcome.parameters), comma) +
            (uncertainty.empty() ? " (fixed)" : " \u00B1 " + uncertainty) + "\n";
  }
  return text + f12;
}

py::dict PlotDataOf(const FitResultObject& r) {
  RequireRB(r, "plot_data()");
  const PlotData plot = BuildPlotData(r.sheet->data, r.shown, r.sheet->settings.noLimits);
  static const char* const kGroupKinds[] = {"saturation", "pressure", "density"};
  static const char* const kPointKinds[] = {"weighted", "ignored", "limit"};
  py::list groups;
  for (const PlotGroup& g : plot.groups) {
    const bool saturation = g.kind == PlotGroup::Kind::kSaturation;
    groups.append(py::dict("kind"_a = kGroupKinds[static_cast<int>(g.kind)],
                           "value"_a = saturation ? py::object(py::none()) : py::float_(g.value),
                           "name"_a = g.name));
  }
  py::list curves;
  for (const PlotCurve& curve : plot.curves) {
    std::vector<double> t, pK;
    for (const auto& [x, y] : curve.points) {
      t.push_back(x);
      pK.push_back(y);
    }
    curves.append(py::dict("group"_a = curve.group, "in_range"_a = curve.inRange,
                           "extrapolated"_a = curve.extrapolated,
                           "t"_a = py::array_t<double>(py::cast(t)),
                           "pK"_a = py::array_t<double>(py::cast(pK))));
  }
  std::vector<double> t, pK;
  std::vector<int> group;
  py::list kind;
  for (const PlotPoint& point : plot.points) {
    t.push_back(point.x);
    pK.push_back(point.y);
    group.push_back(point.group);
    kind.append(kPointKinds[static_cast<int>(point.kind)]);
  }
  const auto axis = [](const PlotAxis& a) { return py::make_tuple(a.low, a.high, a.step); };
  return py::dict("groups"_a = groups, "curves"_a = curves,
                  "points"_a = py::dict("t"_a = py::array_t<double>(py::cast(t)),
                                        "pK"_a = py::array_t<double>(py::cast(pK)), "kind"_a = kind,
                                        "group"_a = py::cast(group)),
                  "t_axis"_a = axis(plot.x), "pK_axis"_a = axis(plot.y));
}

// --- write_back and export ----------------------------------------------------

bool SameValue(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// Whether a sheet holds the points and initial values that were fitted.
bool SameData(const DataSheet& a, const DataSheet& b) {
  if (a.points.size() != b.points.size()) return false;
  for (std::size_t k = 0; k < a.points.size(); ++k) {
    const DataPoint& p = a.points[k];
    const DataPoint& q = b.points[k];
    if (p.t != q.t || p.pressure != q.pressure || p.density != q.density || p.kind != q.kind ||
        p.weight != q.weight || p.pK != q.pK) {
      return false;
    }
  }
  for (int i = 0; i < kParameterCount; ++i) {
    if (!SameValue(ParamValue(a.initial, i), ParamValue(b.initial, i))) return false;
  }
  return true;
}

std::string PathText(const py::object& path) {
  return py::str(py::module_::import("os").attr("fspath")(path));
}

void WriteBack(const py::object& pathObject, const FitResultObject& result,
               const std::optional<std::string>& sheetName, bool ignoreLock) {
  RequireRB(result, "write_back()");
  const std::string path = PathText(pathObject);
  const SheetObject& fitted = *result.sheet;
  std::string sheet = sheetName.value_or("");
  std::optional<char> separator;  // the one the sheet was read with
  std::error_code error;
  if (!fitted.path.empty() && std::filesystem::equivalent(path, fitted.path, error)) {
    if (!sheetName) sheet = fitted.sheetName;
    separator = fitted.separator;
  }
  ProcessBooks::PrepareFor(path);
  std::optional<SheetError> sheetError;
  bool same = true;
  try {
    ProcessBooks::Run([&](Books& books) {
      Book book;
      book.path = path;
      book.sheetName = sheet;
      book.separator = separator;
      book.ignoreLock = ignoreLock;
      books.Open(book, fitted.settings.noLimits, Books::Access::kWrite);
      book.Pass();
      if (book.pass.read.error) {
        sheetError = book.pass.read.error;
        return;
      }
      same = SameData(book.data(), fitted.data);
      if (!same) return;
      WriteFitOutcome(*book.host, result.outcome);
      books.Save(book);
    });
  } catch (const HostError& e) {
    RaiseFileError(e);
  }
  if (sheetError) RaiseSheetError(*sheetError, sheetError->detail);
  if (!same) {
    throw py::value_error("'" + path +
                          "' does not hold the points and initial values that were fitted; the "
                          "file is unchanged");
  }
}

// The folder of the tavrix program on the PATH, for the home folder.
std::string ProgramFolder() {
  const py::object program = py::module_::import("shutil").attr("which")("tavrix");
  if (program.is_none()) return "";
  const py::module_ os = py::module_::import("os");
  return py::str(os.attr("path").attr("dirname")(os.attr("path").attr("realpath")(program)));
}

std::string Export(const FitResultObject& result, const py::object& to) {
  RequireRB(result, "export()");
  const std::string path = to.is_none() ? HomeDir(ProgramFolder()) + "data.txt" : PathText(to);
  const SheetObject& sheet = *result.sheet;
  const AppendResult appended =
      AppendRecord(path, RecordOf(sheet.data, result.shown, sheet.settings.decComma));
  if (!appended) {
    RaiseSystemError(appended.error,
                     "cannot write '" + path + "': " + std::strerror(appended.error));
  }
  return path;
}

}  // namespace

FitResultObject FitSheet(const SheetPtr& sheet, const py::object& fit, bool limits,
                         const std::string& modelName) {
  const Model& model = ModelCalled(modelName);
  const bool rb = &model == &RBModel();
  if (!rb && !fit.is_none()) {
    throw py::value_error("fit chooses the RB parameters to fit; " + modelName +
                          " fits all of its own");
  }
  const ParameterChoice choice = rb ? ChosenParameters(*sheet, fit) : FitAll(model, limits).fitted;
  if (rb) CheckSomethingToFit(*sheet, choice);
  for (const SteamPoint& point : SteamPoints(sheet->data)) WarnOfSteam(SteamWarning(point));
  FitResultObject result{sheet, {choice, limits}, {}, {}};
  {
    py::gil_scoped_release release;
    if (rb)
      result.outcome = Fit(sheet->data, sheet->evaluation, result.options);
    else
      result.outcome = {FitSheetModel(sheet->data, sheet->evaluation, model, choice, limits), {}};
  }
  if (!result.outcome) RaiseFitError(result.outcome.reason);
  if (rb) result.shown = ShownParameters(result.outcome);
  return result;
}

FitResultObject ResultOf(const SheetPtr& sheet, const ModelFit& fit, const FitOptions& options) {
  FitResultObject result{sheet, options, {fit, {}}, {}};
  if (!result.rb()) return result;
  const ModelValues& v = fit.values;
  result.outcome.parameters = {v[0], static_cast<float>(v[1]), static_cast<float>(v[2])};
  result.shown = ShownParameters(result.outcome);
  return result;
}

ModelEvaluation EvaluationOf(const FitResultObject& r) {
  if (r.rb()) return ModelEvaluationOf(r.sheet->data, r.sheet->evaluation);
  return EvaluateModel(r.sheet->data, r.model());
}

void RequireRB(const FitResultObject& r, const std::string& what) {
  if (r.rb()) return;
  throw py::value_error(what + " is of the RB model, which the sheet keeps; this is a fit of " +
                        r.model().name);
}

void AddFit(py::module_& m) {
  py::class_<FitResultObject> fitResult(m, "FitResult", R"(The result of a fit.

params        Parameters: the fitted ones from the fit, the others as held
              (another model's own named tuple, e.g. Density3Parameters)
model         "rb", or the density model fitted (fit(..., model=...))
fitted        the names of the fitted parameters, e.g. ("pK298", "A", "B")
uncertainties Parameters of the program's +- values (about 95 %), None
              for a parameter held, NaN without degrees of freedom
              (where the sheet says "optimized" for want of points)
covariance    3 x 3 array in the order pK298, A, B (k x k in the order of
              another model's parameters): (weighted / dof) * f12^2
              times the inverse of the normal equations, so that the +- of
              a parameter is t(dof) times the square root of its diagonal
              entry; 0 in the rows of parameters held, NaN without degrees
              of freedom
f12           the error of the fit (F12): the weighted RMS deviation
calculated    the calculated pK of every point (NaN where there is none)
deviations    calculated minus experimental pK of every point
active_limits the "<" points held as equalities (point indices, 0-based)
sheet         the DataSheet that was fitted
limits        whether the "<" points were enforced
str(result)   the lines `tavrix fit` prints

correlation   3 x 3 array: the correlation of the fitted parameters
diagnostics   residual, studentized residual, leverage and Cook's distance
              of every weighted point, with its flag (a dict of arrays)

pk(), to_thermofun(), to_phreeqc() and logk_grid() carry the fit to other
codes; report(path) writes the report of the fit (HTML).)");
  fitResult.def_property_readonly("params", &Params)
      .def_property_readonly("model", [](const FitResultObject& r) { return r.model().name; })
      .def_property_readonly(
          "fitted",
          [](const FitResultObject& r) {
            py::list names;
            for (int i = 0; i < r.model().count; ++i) {
              const auto k = static_cast<std::size_t>(i);
              if (!r.outcome.fitted[k]) continue;
              names.append(r.rb() ? kParameters[k].option : r.model().parameters[k].name);
            }
            return py::tuple(names);
          })
      .def_property_readonly("uncertainties", &Uncertainties)
      .def_property_readonly("covariance", &Covariance)
      .def_property_readonly("f12",
                             [](const FitResultObject& r) -> py::object {
                               if (Undefined(r.outcome.errors.total)) return py::none();
                               return py::float_(r.outcome.errors.total);
                             })
      .def_property_readonly("calculated",
                             [](const FitResultObject& r) { return PointValues(r, false); })
      .def_property_readonly("deviations",
                             [](const FitResultObject& r) { return PointValues(r, true); })
      .def_property_readonly("active_limits",
                             [](const FitResultObject& r) {
                               return py::array_t<int>(py::cast(r.outcome.activeLimits));
                             })
      .def_property_readonly("sheet", [](const FitResultObject& r) { return r.sheet; })
      .def_property_readonly("limits",
                             [](const FitResultObject& r) { return r.options.enforceLimits; })
      .def(
          "table",
          [](const FitResultObject& r) {
            RequireRB(r, "table()");
            const SheetObject& s = *r.sheet;
            return PkTableObject(
                TableOfFit(s.data, r.shown, s.settings.noLimits, s.settings.decComma));
          },
          R"(table()

The pK table of the fit, as `tavrix table` prints it for the sheet the fit
was written into (from the parameters as the sheet shows them).)")
      .def("plot_data", &PlotDataOf, R"(plot_data()

What `tavrix plot` draws for the fit, as a dict: "groups" (one per
measured condition: kind "saturation", "pressure" or "density", its value,
its name), "curves" (group, in_range, extrapolated, and arrays t and pK;
drawn where the pK table has a value, split where they leave the model's
range of confidence or the span of the weighted points, which the program
draws thin and dashed), "points" (arrays t, pK,
group, and kind "weighted", "ignored" or "limit"), and the axes "t_axis",
"pK_axis" as (low, high, step).)")
      .def("__str__", &Summary)
      .def("__repr__", [](const FitResultObject& r) {
        return "<FitResult of '" + r.sheet->data.complex +
               "': " + py::repr(Params(r)).cast<std::string>() + ">";
      });

  AddFitExports(fitResult);
  AddFitDiagnostics(fitResult);
  AddFitReport(fitResult);

  m.def("fit", &FitSheet, "sheet"_a, "fit"_a = py::none(), "limits"_a = false, "model"_a = "rb",
        R"(fit(sheet, fit=None, limits=False, model="rb")

Fits the RB parameters to the points of a DataSheet by weighted least
squares, as `tavrix fit` does, and returns a FitResult. fit names the
parameters to fit ("pK298", "A", "B", as a sequence or one text with
commas); by default those the sheet marks (an uncertainty in column G, or
no initial value). The others are held at their initial values.
limits=True enforces the "<" points as upper limits of the model.

model="density3", "density5" or "density7" fits a density model to the
same points with the same weights instead (all its parameters; T in K, rho
in g/cm3): pK = p1 + p2/T + p3 log10 rho; a + b/T + c/T^2 + (e + f/T) log10
rho; a + b/T + c/T^2 + d/T^3 + (e + f/T + g/T^2) log10 rho. Its params are a
named tuple of its own (Density3Parameters(p1, p2, p3), ...); pk(),
logk_grid(), to_phreeqc(), diagnostics and correlation give that model's;
the sheet keeps RB's fit, so table(), plot_data(), to_thermofun(),
write_back() and export() are RB's alone (ValueError). A model needs more
weighted points than parameters (FitError).

FitError("Could not find solution", reason=...) when there is none;
ValueError for a choice that leaves nothing to fit or holds a parameter
without initial value. A SteamPointWarning for each point given at a
pressure below saturation.)");

  m.def("write_back", &WriteBack, "path"_a, "result"_a, "sheet"_a = py::none(), py::kw_only(),
        "ignore_lock"_a = false,
        R"(write_back(path, result, sheet=None, *, ignore_lock=False)

Writes a fit into the data sheet of the file and saves it, as `tavrix fit`
does: the same cells (the parameters and their uncertainties, F12, every
point's calculated pK and deviation), the file replaced in one step in its
own format. sheet names the worksheet (default: the one the result was
read from, when it is the same file, else the active one). The file must
hold the points and initial values that were fitted; else ValueError, and
the file is left as it was. SheetError, FileNotFoundError, BookError
("'x.csv' is read-only") as for read_sheet. A file that is open in
LibreOffice (a lock file .~lock.NAME# beside it) is refused with BookError,
as that office's next save would discard the fit; ignore_lock=True saves
all the same.)");

  m.def("export", &Export, "result"_a, "to"_a = py::none(),
        R"(export(result, to=None)

Appends the complex, its species and the fitted parameters (as the sheet
shows them) to data.txt, the record `tavrix export` appends; returns the
file's path. By default data.txt is in the home folder: TAVRIX_HOME when
set, else the folder of the tavrix program on the PATH when it is
writable, else ~/.local/share/tavrix. An OSError (e.g. PermissionError)
with the program's message when the file cannot be written.)");
}

}  // namespace tavrix::python
