// pk_table and the PkTable it returns.
#include "pk_table_object.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "bindings.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix::python {
namespace {

using namespace pybind11::literals;

constexpr std::size_t kMaxSpecies = 4;

// The table's temperatures or pressures: value(1) to value(count).
template <typename Value>
py::array_t<double> Axis(int count, Value value) {
  std::vector<double> axis;
  for (int k = 1; k <= count; ++k) axis.push_back(value(k));
  return py::array_t<double>(py::cast(axis));
}

const char* MarkOf(PkTableCell::Kind kind) {
  switch (kind) {
    case PkTableCell::Kind::kValue:
      return "";
    case PkTableCell::Kind::kOutsideRange:
      return "?";
    case PkTableCell::Kind::kNoSaturation:
      return "---";
    case PkTableCell::Kind::kGas:
      return "gas";
    case PkTableCell::Kind::kError:
      break;
  }
  return "*error*";
}

// The pK of every cell that shows one, NaN elsewhere; with `marked` also
// those shown with a "?".
py::array_t<double> Values(const PkTableObject& table, bool marked) {
  py::array_t<double> values({kTableRows, kTableColumns});
  auto v = values.mutable_unchecked<2>();
  for (int i = 0; i < kTableRows; ++i) {
    for (int j = 0; j < kTableColumns; ++j) {
      const PkTableCell& cell =
          table.cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
      const bool shown = cell.kind == PkTableCell::Kind::kValue ||
                         (marked && cell.kind == PkTableCell::Kind::kOutsideRange);
      v(i, j) = shown ? cell.pK : std::numeric_limits<double>::quiet_NaN();
    }
  }
  return values;
}

py::object Marks(const PkTableObject& table) {
  py::list rows;
  for (const auto& line : table.cells) {
    py::list row;
    for (const PkTableCell& cell : line) row.append(MarkOf(cell.kind));
    rows.append(row);
  }
  return py::module_::import("numpy").attr("array")(rows, "dtype"_a = "U7");
}

std::string Text(const PkTableObject& table, bool excel, std::optional<bool> decimalComma) {
  PkTableInput input = table.input;
  if (decimalComma) input.decComma = *decimalComma;
  std::string text;
  for (const std::string& line : TableTextLines(PkTableLines(input), excel)) text += line + "\n";
  return text;
}

double Finite(double x, const char* name, bool single) {
  const bool finite = single ? std::fabs(x) <= std::numeric_limits<float>::max() : std::isfinite(x);
  if (!finite) {
    throw py::value_error(std::string(name) + " must be a finite number" +
                          (single ? " in single precision" : ""));
  }
  return x;
}

PkTableObject MakeTable(double pK298, double A, double B, const std::vector<std::string>& species,
                        const std::string& complex, bool noLimits) {
  if (species.size() > kMaxSpecies) {
    throw py::value_error("at most " + std::to_string(kMaxSpecies) + " species, got " +
                          std::to_string(species.size()));
  }
  PkTableInput input;
  input.title = PkTableTitle(complex);
  input.par = {Finite(pK298, "pk298", false), static_cast<float>(Finite(A, "A", true)),
               static_cast<float>(Finite(B, "B", true))};
  for (std::size_t i = 0; i < species.size(); ++i) {
    input.species[i + 1] = FitToWidth(species[i], kSpeciesWidth);
  }
  input.noLimits = noLimits;
  input.decComma = DetectDecimalComma();
  return PkTableObject(input);
}

}  // namespace

void AddPkTable(py::module_& m) {
  py::class_<PkTableObject>(m, "PkTable", R"(The pK table of a set of parameters.

11 temperatures (25, 50, 100, ..., 500 C) by 5 pressures (saturation,
500, 1000, 2000, 5000 bar), evaluated as the program's table does (in
single precision).

values       11 x 5 float64 array of pK, NaN where the table shows a mark
computed     the same, with the pK of the cells marked "?" too
marks        11 x 5 array of str: "" where the table shows a value alone,
             "?" for a pK outside the model's range of confidence, "---"
             at saturation above the critical temperature, "gas" where the
             water is too thin for the model, "*error*" where nothing can
             be computed
temperatures the 11 temperatures, C
pressures    the 5 pressures, bar (0: at saturation)
text()       the table as the program prints it)")
      .def_property_readonly("values", [](const PkTableObject& t) { return Values(t, false); })
      .def_property_readonly("computed", [](const PkTableObject& t) { return Values(t, true); })
      .def_property_readonly("marks", &Marks)
      .def_property_readonly(
          "temperatures", [](const PkTableObject&) { return Axis(kTableRows, TableTemperature); })
      .def_property_readonly(
          "pressures", [](const PkTableObject&) { return Axis(kTableColumns, TablePressure); })
      .def("text", &Text, "excel"_a = false, "decimal_comma"_a = py::none(),
           R"(text(excel=False, decimal_comma=None)

The table's text exactly as `tavrix table` prints it, every line ended by
"\n". excel=True cuts the columns apart by tabs, for a spreadsheet;
decimal_comma chooses the decimal separator (None: the one of the
process's LC_NUMERIC, as the program takes it).)")
      .def("__str__", [](const PkTableObject& table) { return Text(table, false, std::nullopt); })
      .def("__repr__",
           [](const PkTableObject& table) { return "<PkTable " + table.input.title + ">"; });

  m.def("pk_table", &MakeTable, "pk298"_a, "A"_a, "B"_a, "species"_a = std::vector<std::string>{},
        "complex"_a = "", "no_limits"_a = false,
        R"(pk_table(pk298, A, B, species=(), complex="", no_limits=False)

The pK table of the parameters, as `tavrix table --pk298 ... --A ... --B ...`
makes it: pk298 (pK at 298.15 K), A = A(zz/a) and B = B(zz/a) (kelvin), A
and B taken in single precision. species names the basic species (at most
four, e.g. ["Na+", "Cl-"]): whether the complex carries a charge decides
the range of confidence; complex names it in the title. no_limits=True
lifts the density limit (the program's /ie), so that thin water gets a
value instead of "gas". Returns a PkTable.)");
}

}  // namespace tavrix::python
