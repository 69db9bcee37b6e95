// DataSheet, read_sheet and DataSheet.from_arrays.
#include "data_sheet_object.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "array_sheet.h"
#include "arrays.h"
#include "bindings.h"
#include "errors.h"
#include "process_books.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/sheet/layout.h"

namespace tavrix::python {
namespace {

using namespace pybind11::literals;
using SheetPtr = std::shared_ptr<SheetObject>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kMaxSpecies = layout::kLastSpeciesRow - layout::kFirstSpeciesRow + 1;

SheetPtr SheetAfterPass(SheetHost& host, const SheetPassResult& pass,
                        const ReadSettings& settings) {
  auto sheet = std::make_shared<SheetObject>();
  sheet->data = pass.read.sheet;
  sheet->evaluation = pass.evaluation;
  sheet->initialError = pass.initialError;
  sheet->settings = settings;
  sheet->marked = MarkedForFit(host, settings.decComma);
  for (std::size_t k = 1; k <= sheet->data.points.size(); ++k) {
    sheet->comments.push_back(host.CellText(layout::PointRow(static_cast<int>(k)), layout::kColH));
  }
  return sheet;
}

std::string PathText(const py::object& path) {
  return py::str(py::module_::import("os").attr("fspath")(path));
}

// sep= of read_sheet: ',', ';' or a tab.
std::optional<char> Separator(const std::optional<std::string>& sep) {
  if (!sep) return std::nullopt;
  if (*sep == "," || *sep == ";" || *sep == "\t") return sep->front();
  if (*sep == "tab") return '\t';
  throw py::value_error("sep must be ',', ';' or '\\t' (tab), not '" + *sep + "'");
}

SheetPtr ReadSheet(const py::object& pathObject, const std::optional<std::string>& sheetName,
                   bool noLimits, const std::optional<std::string>& sep) {
  const std::string path = PathText(pathObject);
  const std::optional<char> separator = Separator(sep);
  ProcessBooks::PrepareFor(path);
  std::optional<SheetError> error;
  SheetPtr sheet;
  try {
    ProcessBooks::Run([&](Books& books) {
      Book book;
      book.path = path;
      book.sheetName = sheetName.value_or("");
      book.separator = separator;
      books.Open(book, noLimits, Books::Access::kRead);
      book.Pass();
      if (book.pass.read.error) {
        error = book.pass.read.error;
        return;
      }
      sheet = SheetAfterPass(*book.host, book.pass, book.settings);
      sheet->path = path;
      sheet->sheetName = book.sheetName;
      sheet->separator = separator;
    });
  } catch (const HostError& e) {
    RaiseFileError(e);
  }
  if (error) RaiseSheetError(*error, error->detail);
  return sheet;
}

// The data sheets of a file by name, in their order (a dict keeps it): a
// CSV file's one, every worksheet with "Complex:" in B2 of a workbook,
// read in one load of it.
py::dict ReadBook(const py::object& pathObject, bool noLimits,
                  const std::optional<std::string>& sep) {
  const std::string path = PathText(pathObject);
  const std::optional<char> separator = Separator(sep);
  ProcessBooks::PrepareFor(path);
  std::optional<SheetError> error;
  std::vector<std::pair<std::string, SheetPtr>> sheets;
  try {
    ProcessBooks::Run([&](Books& books) {
      Book book;
      book.path = path;
      book.separator = separator;
      books.Open(book, noLimits, Books::Access::kRead);
      for (const std::string& name : SheetNamesOf(book)) {
        SelectSheet(book, name);
        if (!IsDataSheet(*book.host)) continue;
        book.Pass();
        if (book.pass.read.error) {
          error = book.pass.read.error;
          sheets.push_back({name, nullptr});
          return;
        }
        SheetPtr sheet = SheetAfterPass(*book.host, book.pass, book.settings);
        sheet->path = path;
        sheet->sheetName = name;
        sheet->separator = separator;
        sheets.push_back({name, sheet});
      }
    });
  } catch (const HostError& e) {
    RaiseFileError(e);
  }
  if (error) RaiseSheetError(*error, error->detail, sheets.back().first);
  py::dict book;
  for (const auto& [name, sheet] : sheets) book[py::str(name)] = sheet;
  return book;
}

// --- from_arrays -----------------------------------------------------------

// The values of an array in its order, whatever its layout in memory (a
// column of a structured array has gaps between its values).
std::vector<double> Values(const py::array_t<double>& array) {
  using Contiguous = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const Contiguous values = Contiguous::ensure(array);
  return std::vector<double>(values.data(), values.data() + values.size());
}

// A column of n values: the argument broadcast to n, or `absent` for each
// when it is None.
std::vector<double> Column(const py::object& value, const char* name, std::size_t n,
                           double absent) {
  if (value.is_none()) return std::vector<double>(n, absent);
  const py::array_t<double> array = NumericArray(value, name);
  if (array.ndim() > 1 ||
      (array.ndim() == 1 && static_cast<std::size_t>(array.size()) != n && array.size() != 1)) {
    throw py::value_error(std::string(name) + " has " + std::to_string(array.size()) +
                          " values, t has " + std::to_string(n));
  }
  if (array.size() == 1) return std::vector<double>(n, *array.data());
  return Values(array);
}

void CheckFinite(const std::vector<double>& values, const char* name) {
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (std::isinf(values[k])) {
      throw py::value_error(std::string(name) + "[" + std::to_string(k) + "] is no finite number");
    }
  }
}

bool IsMissing(const py::handle item) {
  return item.is_none() || (py::isinstance<py::float_>(item) && std::isnan(item.cast<double>()));
}

// The weight cells: numbers (default 1, NaN an empty cell, which is 0); a
// column of objects (as pandas reads a weight column with "<" in it) holds
// texts as typed, which the sheet reads as a sheet does. upper_limit marks
// "<" points, which must have no weight of their own.
std::vector<CellContent> WeightCells(const py::object& value, const py::object& upperLimit,
                                     std::size_t n) {
  std::vector<CellContent> cells(n, CellContent::Number(1));
  const auto number = [](double x) {
    return std::isnan(x) ? CellContent() : CellContent::Number(x);
  };
  if (!value.is_none()) {
    const py::array array = py::module_::import("numpy").attr("asarray")(value);
    const char kind = py::str(array.dtype().attr("kind")).cast<std::string>()[0];
    if (kind == 'O' || kind == 'U') {
      const py::list items = array.attr("ravel")().attr("tolist")();
      if (items.size() != n) {
        throw py::value_error("weight has " + std::to_string(items.size()) + " values, t has " +
                              std::to_string(n));
      }
      for (std::size_t k = 0; k < n; ++k) {
        const py::handle item = items[k];
        if (py::isinstance<py::str>(item)) {
          const std::string text = item.cast<std::string>();
          cells[k] = TrimBlanks(text).empty() ? CellContent() : CellContent::Text(text);
        } else {
          cells[k] = number(IsMissing(item) ? kNaN : NumericScalar(item, "weight"));
        }
      }
    } else {
      const std::vector<double> weights = Column(value, "weight", n, 1.0);
      CheckFinite(weights, "weight");
      for (std::size_t k = 0; k < n; ++k) cells[k] = number(weights[k]);
    }
  }
  if (upperLimit.is_none()) return cells;
  const py::array limits = py::module_::import("numpy").attr("asarray")(upperLimit);
  if (py::str(limits.dtype().attr("kind")).cast<std::string>() != "b") {
    throw py::type_error("upper_limit must be booleans (True marks a \"<\" point)");
  }
  const py::list marked =
      py::module_::import("numpy").attr("broadcast_to")(limits, py::make_tuple(n)).attr("tolist")();
  for (std::size_t k = 0; k < n; ++k) {
    if (!marked[k].cast<bool>()) continue;
    const CellContent& cell = cells[k];
    if (!value.is_none() && !cell.IsEmpty() && cell != CellContent::Number(0) &&
        cell != CellContent::Text("<")) {
      throw py::value_error("point " + std::to_string(k) +
                            " is an upper limit and has a weight: a \"<\" point has none");
    }
    cells[k] = CellContent::Text("<");
  }
  return cells;
}

std::vector<std::string> CommentColumn(const py::object& value, std::size_t n) {
  std::vector<std::string> comments(n);
  if (value.is_none()) return comments;
  const py::list items(value);
  if (items.size() != n) {
    throw py::value_error("comment has " + std::to_string(items.size()) + " values, t has " +
                          std::to_string(n));
  }
  for (std::size_t k = 0; k < n; ++k) {
    if (IsMissing(items[k])) continue;
    if (!py::isinstance<py::str>(items[k])) throw py::type_error("comment must hold texts");
    comments[k] = items[k].cast<std::string>();
  }
  return comments;
}

std::vector<std::pair<double, std::string>> SpeciesOf(const py::object& value) {
  if (py::isinstance<py::str>(value)) throw py::type_error("species must be a list of names");
  std::vector<std::pair<double, std::string>> species;
  for (const py::handle item : value) {
    if (py::isinstance<py::str>(item)) {
      species.emplace_back(1.0, item.cast<std::string>());
    } else {
      try {
        species.push_back(item.cast<std::pair<double, std::string>>());
      } catch (const py::cast_error&) {
        throw py::type_error("species must be names or (coefficient, name) pairs");
      }
    }
  }
  if (species.empty() || species.size() > kMaxSpecies) {
    throw py::value_error(
        "species: one to four basic species, e.g. [\"Na+\", \"Cl-\"] or [(1, "
        "\"Na+\"), (1, \"Cl-\")]");
  }
  return species;
}

// Parameter values given as Parameters, a sequence of three or a dict by
// name (pK298, A, B); None for a value not given.
std::array<std::optional<double>, 3> ParameterValues(const py::object& value, const char* name) {
  std::array<std::optional<double>, 3> values;
  if (value.is_none()) return values;
  std::vector<py::object> items(3, py::none());
  if (py::isinstance<py::dict>(value)) {
    for (const auto& [key, item] : value.cast<py::dict>()) {
      const std::string k = py::str(key);
      const auto known = std::find_if(kParameters.begin(), kParameters.end(),
                                      [&](const ParameterInfo& info) { return k == info.option; });
      if (known == kParameters.end()) {
        throw py::value_error(std::string("unknown parameter '") + k + "' in " + name +
                              " (use pK298, A, B)");
      }
      items[static_cast<std::size_t>(known - kParameters.begin())] =
          py::reinterpret_borrow<py::object>(item);
    }
  } else {
    const py::list list(value);
    if (list.size() != 3) {
      throw py::value_error(std::string(name) + " gives the three parameters pK298, A, B");
    }
    for (std::size_t i = 0; i < 3; ++i) items[i] = list[i];
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (IsMissing(items[i])) continue;
    const double x = NumericScalar(items[i], name);
    if (!std::isfinite(x)) throw py::value_error(std::string(name) + " must hold finite numbers");
    values[i] = x;
  }
  return values;
}

SheetPtr FromArrays(const py::object& t, const py::object& pK, const py::object& p,
                    const py::object& density, const py::object& weight,
                    const py::object& upperLimit, const py::object& comment,
                    const std::string& complex, const py::object& species,
                    const py::object& initial, const py::object& reference, bool noLimits) {
  ArraySheetInput input;
  const py::array_t<double> tArray = NumericArray(t, "t");
  if (tArray.ndim() != 1) throw py::value_error("t must be one-dimensional");
  const std::size_t n = static_cast<std::size_t>(tArray.size());
  input.t = Values(tArray);
  for (std::size_t k = 0; k < n; ++k) {
    if (std::isnan(input.t[k])) {
      throw py::value_error("t[" + std::to_string(k) +
                            "] is missing: every point needs a temperature");
    }
  }
  const py::array_t<double> pKArray = NumericArray(pK, "pK");
  if (pKArray.ndim() != 1 || static_cast<std::size_t>(pKArray.size()) != n) {
    throw py::value_error("pK has " + std::to_string(pKArray.size()) + " values, t has " +
                          std::to_string(n));
  }
  input.pK = Values(pKArray);
  input.pressure = Column(p, "p", n, kNaN);
  input.density = Column(density, "density", n, kNaN);
  input.weight = WeightCells(weight, upperLimit, n);
  const std::pair<const std::vector<double>*, const char*> columns[] = {
      {&input.t, "t"}, {&input.pK, "pK"}, {&input.pressure, "p"}, {&input.density, "density"}};
  for (const auto& [values, name] : columns) CheckFinite(*values, name);
  input.comment = CommentColumn(comment, n);
  input.complex = complex;
  input.species = SpeciesOf(species);
  input.reference = ParameterValues(reference, "reference");
  input.initial = ParameterValues(initial, "initial");

  MemoryGrid grid = ArraySheet(input);
  const ReadSettings settings{noLimits, false};
  const SheetPassResult pass = PassOverSheet(grid, settings);
  if (const auto& error = pass.read.error) {
    const std::string argument = ArgumentAt(error->row, error->col);
    std::string detail = error->detail;
    if (!argument.empty()) detail = detail.empty() ? argument : detail + " (" + argument + ")";
    RaiseSheetError(*error, detail);
  }
  return SheetAfterPass(grid, pass, settings);
}

// --- What Python sees of a sheet ---------------------------------------------

const char* KindName(PointKind kind) {
  switch (kind) {
    case PointKind::kWeighted:
      return "weighted";
    case PointKind::kUpperLimit:
      return "limit";
    case PointKind::kIgnored:
      break;
  }
  return "ignored";
}

py::object Points(const SheetObject& sheet) {
  const py::module_ numpy = py::module_::import("numpy");
  py::list fields;
  const char* const kFields[][2] = {{"t", "f8"},      {"p", "f8"},    {"density", "f8"},
                                    {"weight", "f8"}, {"kind", "U8"}, {"pK", "f8"},
                                    {"comment", "O"}};
  for (const auto& [field, type] : kFields) fields.append(py::make_tuple(field, type));
  const py::object dtype = numpy.attr("dtype")(fields);
  const std::size_t n = sheet.data.points.size();
  py::list rows;
  for (std::size_t k = 0; k < n; ++k) {
    const DataPoint& point = sheet.data.points[k];
    rows.append(py::make_tuple(point.t, point.pressure ? double(*point.pressure) : kNaN,
                               point.density, point.weight, KindName(point.kind), point.pK,
                               sheet.comments[k]));
  }
  return numpy.attr("array")(rows, dtype);
}

py::tuple Names(const ParameterChoice& choice) {
  py::list names;
  for (int i = 0; i < kParameterCount; ++i) {
    if (choice[static_cast<std::size_t>(i)])
      names.append(kParameters[static_cast<std::size_t>(i)].option);
  }
  return py::tuple(names);
}

std::string Repr(const SheetObject& sheet) {
  const Evaluation& e = sheet.evaluation;
  std::string where = sheet.path.empty() ? "from arrays" : "from '" + sheet.path + "'";
  if (!sheet.path.empty() && !IsCsvFile(sheet.path)) where += ", sheet '" + sheet.sheetName + "'";
  return "<DataSheet '" + sheet.data.complex + "' " + where + ": " +
         std::to_string(sheet.data.points.size()) + " points (weighted " +
         std::to_string(e.weighted) + ", weight 0 " + std::to_string(e.ignored) + ", \"<\" " +
         std::to_string(e.limits.size()) + ")>";
}

}  // namespace

void AddDataSheet(py::module_& m) {
  py::class_<SheetObject, SheetPtr>(m, "DataSheet", R"(A data sheet that read cleanly.

Made by read_sheet (a .csv, .tsv, .txt, .ods, .xlsx or .xls file) or by
DataSheet.from_arrays; checked exactly as the program checks a sheet.

points        structured array, one row per point in sheet order (point k
              stands in row 15 + k): t (C), p (bar, as used: the
              saturation pressure for a 0 in the sheet; NaN where the
              density was given), density (g/cm3, given or from the
              equation of state), weight, kind ("weighted", "ignored" for
              weight 0, "limit" for "<"), pK, comment; the numbers are the
              single-precision values the program holds
complex       the name of the complex (C2)
species       [(coefficient, name), ...] of the basic species
reference     Parameters of column B (None for "?")
initial       Parameters where a fit starts (column E, else the reference)
optimized     Parameters the sheet shows as fitted (column F)
marked        the parameters the sheet marks to fit, e.g. ("pK298", "A", "B")
initial_error the error of the initial values (E12), None when there is none
path, sheet   the file and worksheet read ("" for arrays)
no_limits     whether the range limits were lifted (/ie))")
      .def_static(
          "from_arrays", &FromArrays, "t"_a, "pK"_a, "p"_a = py::none(), "density"_a = py::none(),
          "weight"_a = py::none(), "upper_limit"_a = py::none(), "comment"_a = py::none(),
          py::kw_only(), "complex"_a, "species"_a, "initial"_a = py::none(),
          "reference"_a = py::none(), "no_limits"_a = false,
          R"(from_arrays(t, pK, p=None, density=None, weight=None, upper_limit=None, comment=None, *, complex, species, initial=None, reference=None, no_limits=False)

A data sheet from columns (arrays, lists, pandas columns), checked as the
program checks a sheet typed with these values: t in C, pK, and for each
point either p in bar (0 = at saturation) or the water density in g/cm3
(NaN leaves a cell empty, as pandas reads empty cells). weight: default 1
for every point; 0 (or NaN) takes a point out of the fit; a column of
objects may say "<" for an upper limit, as a sheet does. upper_limit: True
marks a "<" point (which then has no weight). comment: texts, or None.

complex names the complex; species are its basic species, names (each
with coefficient 1) or (coefficient, name) pairs, one to four. initial
and reference give the parameters (pK298, A, B) as Parameters, a
sequence of three or a dict by name, None for unknown; the initial values
default to the reference, and the parameters without one are marked to
fit. no_limits=True lifts the range limits of temperature, pressure and
density, as the program's /ie does.

SheetError names the first offending value, e.g. "Out of range (row=17,
col=1): t[2]"; TypeError and ValueError for columns of the wrong type or
length.)")
      .def_property_readonly("points", &Points)
      .def_property_readonly("complex", [](const SheetObject& s) { return s.data.complex; })
      .def_property_readonly(
          "species",
          [](const SheetObject& s) {
            py::list species;
            for (const Species& sp : s.data.species) {
              species.append(py::make_tuple(sp.coefficient, std::string(TrimBlanks(sp.name))));
            }
            return species;
          })
      .def_property_readonly(
          "reference", [](const SheetObject& s) { return ParametersObject(s.data.reference); })
      .def_property_readonly("initial",
                             [](const SheetObject& s) { return ParametersObject(s.data.initial); })
      .def_property_readonly(
          "optimized", [](const SheetObject& s) { return ParametersObject(s.data.optimized); })
      .def_property_readonly("marked", [](const SheetObject& s) { return Names(s.marked); })
      .def_property_readonly("initial_error",
                             [](const SheetObject& s) -> py::object {
                               if (Undefined(s.initialError)) return py::none();
                               return py::float_(s.initialError);
                             })
      .def_property_readonly("path", [](const SheetObject& s) { return s.path; })
      .def_property_readonly("sheet", [](const SheetObject& s) { return s.sheetName; })
      .def_property_readonly("no_limits", [](const SheetObject& s) { return s.settings.noLimits; })
      .def("__len__", [](const SheetObject& s) { return s.data.points.size(); })
      .def("__repr__", &Repr);

  m.def("read_book", &ReadBook, "path"_a, "no_limits"_a = false, "sep"_a = py::none(),
        R"(read_book(path, no_limits=False, sep=None)

Every data sheet of a file, as {worksheet name: DataSheet} in the
workbook's order: the worksheets with "Complex:" in B2, each read and
checked as read_sheet reads one, all in one load of the workbook (a CSV
file has one sheet, named after the file). Other worksheets (notes,
charts) are left out. SheetError (with .sheet naming the worksheet) for the
first data sheet with an error; the file errors of read_sheet.)");

  m.def("read_sheet", &ReadSheet, "path"_a, "sheet"_a = py::none(), "no_limits"_a = false,
        "sep"_a = py::none(),
        R"(read_sheet(path, sheet=None, no_limits=False, sep=None)

Reads and checks the data sheet in a .csv, .ods, .xlsx or .xls file (a
.tsv or .txt file is read as CSV) and returns a DataSheet. sheet names the
worksheet of a workbook (default: the one active when it was saved).
Workbooks are read in a private, headless LibreOffice, started by the
first one and ended when Python exits; the file is opened read-only and
left as it is. no_limits=True lifts the range limits, as the program's
/ie does.

A CSV file is read in its own dialect: the separator (',', ';' or tab)
that puts "Complex:" in B2, unless sep gives it; UTF-8, UTF-16 with its
byte-order mark, or else Windows-1252; numbers with the decimal mark its
point table uses. Its texts reach Python as the program reads them.

SheetError (with .code, .row, .col, .message) for the first thing wrong
with the sheet, with the program's message; FileNotFoundError,
IsADirectoryError or BookError for a file that cannot be read.)");
}

}  // namespace tavrix::python
