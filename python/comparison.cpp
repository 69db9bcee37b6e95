// compare() and Comparison: the models side by side on a sheet's points,
// as `tavrix compare` prints them.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>

#include "bindings.h"
#include "errors.h"
#include "fit_result_object.h"
#include "tavrix/fit/model_comparison.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix::python {
namespace {

using namespace pybind11::literals;
using SheetPtr = std::shared_ptr<SheetObject>;

struct ComparisonObject {
  SheetPtr sheet;
  std::vector<ComparedModel> rows;
  FitOptions rbOptions;
};

// The models named by `models`: names, or one text of names between commas;
// all of them for None.
std::vector<const Model*> ModelsOf(const py::object& models) {
  std::vector<std::string> names;
  if (py::isinstance<py::str>(models)) {
    const std::string text = models.cast<std::string>();
    for (std::size_t start = 0;;) {
      const std::size_t comma = text.find(',', start);
      names.push_back(text.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  } else if (!models.is_none()) {
    for (const py::handle name : models) names.push_back(py::str(name).cast<std::string>());
  }
  std::vector<const Model*> chosen;
  for (const std::string& name : names) {
    const Model* model = ModelNamed(name);
    if (!model) {
      throw py::value_error("unknown model '" + name + "' (use " + ModelNameList() + ")");
    }
    chosen.push_back(model);
  }
  if (chosen.empty()) {
    for (const Model& model : Models()) chosen.push_back(&model);
  }
  return chosen;
}

ComparisonObject Compare(const SheetPtr& sheet, const py::object& models, bool limits) {
  ParameterChoice choice = sheet->marked;  // RB's as the sheet marks them, else all three
  if (std::none_of(choice.begin(), choice.end(), [](bool b) { return b; }))
    choice = {true, true, true};
  ComparisonObject comparison{sheet, {}, {choice, limits}};
  const std::vector<const Model*> chosen = ModelsOf(models);
  py::gil_scoped_release release;
  comparison.rows = CompareModels(sheet->data, sheet->evaluation, chosen,
                                  {choice, limits, sheet->settings.noLimits});
  return comparison;
}

const ComparedModel& RowOf(const ComparisonObject& c, const std::string& name) {
  for (const ComparedModel& row : c.rows) {
    if (name == row.fit.model->name) return row;
  }
  throw py::key_error(name);
}

std::string Text(const ComparisonObject& c) {
  const TextTable table = ComparisonTable(c.rows, c.sheet->settings.decComma);
  std::vector<std::vector<std::string>> rows = {table.header};
  rows.insert(rows.end(), table.rows.begin(), table.rows.end());
  std::string text;
  for (const std::string& line : AlignedColumns(rows)) text += line + "\n";
  return text;
}

py::object ToPandas(const ComparisonObject& c) {
  py::list models, params, uncertainties, notes;
  const char* const columns[] = {"n",   "k",   "F12",       "AICc",          "dAICc",
                                 "BIC", "LOO", "max_abs_d", "max_abs_dpK_rb"};
  std::vector<std::vector<double>> values(std::size(columns));
  for (const ComparedModel& row : c.rows) {
    const ModelStatistics& s = row.statistics;
    const double figures[] = {static_cast<double>(s.n),
                              static_cast<double>(s.k),
                              s.f12,
                              s.aicc,
                              s.deltaAicc,
                              s.bic,
                              s.looError,
                              s.maxResidual,
                              s.maxDeltaRB};
    for (std::size_t i = 0; i < std::size(columns); ++i) values[i].push_back(figures[i]);
    models.append(row.fit.model->name);
    std::vector<std::optional<double>> p, u;
    for (int i = 0; row.fit && i < row.fit.model->count; ++i) {
      p.push_back(row.fit.values[static_cast<std::size_t>(i)]);
      u.push_back(row.fit.Uncertainty(i));
    }
    params.append(row.fit ? ModelParametersObject(*row.fit.model, p) : py::none());
    uncertainties.append(row.fit ? ModelParametersObject(*row.fit.model, u) : py::none());
    notes.append(row.fit ? "" : "not fitted: " + row.fit.reason);
  }
  const py::module_ numpy = py::module_::import("numpy");
  py::dict data;
  for (std::size_t i = 0; i < std::size(columns); ++i) {
    const bool count = i < 2;  // n and k
    data[columns[i]] = numpy.attr("array")(values[i], "dtype"_a = count ? "int64" : "float64");
  }
  data["params"] = params;
  data["uncertainties"] = uncertainties;
  data["note"] = notes;
  const py::module_ pandas = py::module_::import("pandas");
  return pandas.attr("DataFrame")(data,
                                  "index"_a = pandas.attr("Index")(models, "name"_a = "model"));
}

}  // namespace

void AddCompare(py::module_& m) {
  py::class_<ComparisonObject>(m, "Comparison", R"(Models fitted to the same points side by side.

models          the models' names, in the order compared
str(c)          the table `tavrix compare` prints
c.to_pandas()   a DataFrame by model: n (weighted points), k (fitted
                parameters), F12, AICc, dAICc (from the smallest AICc),
                BIC, LOO (the leave-one-out error), max_abs_d (the largest
                |calculated - experimental pK|), max_abs_dpK_rb (the largest
                |pK - pK(RB)| over the pK table's cells within the data),
                params and uncertainties (named tuples), note (why a model
                is not fitted); NaN where a figure is not known
c["density3"]   that model's FitResult (FitError where it is not fitted)

docs/models.md gives the formulas and how to read them.)")
      .def_property_readonly("models",
                             [](const ComparisonObject& c) {
                               py::list names;
                               for (const ComparedModel& row : c.rows)
                                 names.append(row.fit.model->name);
                               return py::tuple(names);
                             })
      .def("to_pandas", &ToPandas, "to_pandas()\n\nThe comparison as a pandas DataFrame by model.")
      .def("__getitem__",
           [](const ComparisonObject& c, const std::string& name) {
             const ComparedModel& row = RowOf(c, name);
             if (!row.fit) RaiseFitError(row.fit.reason);
             return ResultOf(c.sheet, row.fit, c.rbOptions);
           })
      .def("__len__", [](const ComparisonObject& c) { return c.rows.size(); })
      .def("__str__", &Text)
      .def("__repr__", [](const ComparisonObject& c) {
        std::string names;
        for (const ComparedModel& row : c.rows)
          names += (names.empty() ? "" : ", ") + std::string(row.fit.model->name);
        return "<Comparison of '" + c.sheet->data.complex + "': " + names + ">";
      });

  m.def("compare", &Compare, "sheet"_a, "models"_a = py::none(), "limits"_a = false,
        R"(compare(sheet, models=None, limits=False)

Fits each model to the points of a DataSheet with the same weights (and,
with limits=True, the same "<" limits), as `tavrix compare` does, and
returns a Comparison. models names them ("rb", "density3", "density5",
"density7", as a sequence or one text with commas); by default all four.
RB fits the parameters the sheet marks (all three where it marks none).
A model without more weighted points than parameters is not fitted (its
note says so).)");
}

}  // namespace tavrix::python
