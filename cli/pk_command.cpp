#include <ostream>

#include "commands.h"
#include "for_each_book.h"
#include "point_input.h"
#include "tavrix/exports/exports.h"
#include "tavrix/model/domain.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

constexpr int kDigits = 9;
constexpr int kPkDigits = 10;

std::string Number(double x) {
  return SignificantText(x, kPkDigits);
}

// t, the pressure used ("-" for a density given or none at all) and the
// density ("-" for none) of a point.
std::string ConditionColumns(const ModelCondition& c) {
  return SignificantText(c.t, kDigits) + '\t' + (c.P ? SignificantText(*c.P, kDigits) : "-") +
         '\t' + (c.density > 0 ? SignificantText(c.density, kDigits) : "-");
}

// A value as the table marks it ("1.234?"; with the limits lifted "0.9
// steam"), or the mark where there is none ("gas").
std::string ValueText(const std::optional<double>& pK, PkMark mark) {
  const std::string text(MarkText(mark));
  if (!pK.has_value()) return text;
  const std::string value = Number(pK.value());
  if (mark == PkMark::kOutsideConfidence || text.empty()) return value + text;
  return value + " " + text;
}

std::optional<std::vector<InputPoint>> Points(const std::vector<std::string>& values, bool density,
                                              std::istream& in, std::ostream& err) {
  std::string error;
  auto points =
      ReadPoints(values, in, density ? SecondValue::kDensity : SecondValue::kPressure, error);
  if (!points) err << "tavrix pk: " << error << "\n";
  return points;
}

// The fit whose pK are given: RB's as the sheet shows it, with its
// covariance; another model fitted to the sheet's points.
std::optional<ExportedFit> FitOfBook(Book& book, const Model& model, bool limits, const Output& o) {
  if (&model != &RBModel()) {
    const std::optional<FittedModel> other = OtherModelOf(book, model, limits, o);
    if (!other) return std::nullopt;
    return ExportedFitOf(book.data(), *other);
  }
  const std::optional<RBPar> shown = ShownFitOf(book, o);
  if (!shown) return std::nullopt;
  const auto covariance = ShownCovarianceOf(book, o, "u(pK)");
  if (!covariance) return std::nullopt;
  return ExportedFitOf(book.data(), *shown, covariance);
}

DomainRules RulesOf(const std::vector<std::string>& species, bool noLimits) {
  SpeciesNames names;
  for (std::size_t i = 0; i < species.size() && i + 1 < names.size(); ++i)
    names[i + 1] = species[i];
  return {ComplexIsCharged(names), noLimits};
}

}  // namespace

// The calculator gives its number wherever the equation of state gives a
// density, and marks it as the table would: "1.234?", "3.76 gas", "0.9 steam".
int RunPk(const PkRequest& request, std::istream& in, std::ostream& out, std::ostream& err) {
  const auto points = Points(request.values, request.density, in, err);
  if (!points) return kExitBadInput;
  if (request.species.size() > kMaxSpecies) {
    err << "tavrix pk: at most " << kMaxSpecies << " species\n";
    return kExitBadInput;
  }
  const DomainRules rules = RulesOf(request.species, request.noLimits);
  // A and B are held in single precision, as the data sheet holds them.
  const RBPar par{request.pK298, static_cast<float>(request.A), static_cast<float>(request.B)};
  for (const InputPoint& point : *points) {
    const ModelCondition c = request.density ? ConditionAtDensity(point.t, point.second, rules)
                                             : ConditionAtPressure(point.t, point.second, rules);
    std::optional<double> pK;
    if (c.density > 0) pK = RBpK(par, KelvinOf(c.t), c.density);
    out << ConditionColumns(c) << '\t' << ValueText(pK, c.mark) << '\n';
  }
  return kExitOk;
}

// The fit's pK and u(pK) where the model has a value, else its mark; "yes"
// in the last column outside the data of the fit.
int RunPkFromBook(const PkFromBookRequest& request, std::istream& in, std::ostream& out,
                  std::ostream& err) {
  const auto points = Points(request.values, request.density, in, err);
  if (!points) return kExitBadInput;
  const Model* model = ModelNamed(request.model);
  return ForEachBook(
      BookOptions{{request.book}, request.noLimits, request.sheet}, Books::Access::kRead, out, err,
      [&](Books&, Book& book, const Output& o) {
        const std::optional<ExportedFit> fit = FitOfBook(book, *model, request.limits, o);
        if (!fit) return model == &RBModel() ? kExitNoResultShown : kExitNoSolution;
        const PkRules rules{book.settings.noLimits};
        for (const InputPoint& point : *points) {
          const PkAtPoint pK = request.density ? PkAtDensity(*fit, point.t, point.second, rules)
                                               : PkAtPressure(*fit, point.t, point.second, rules);
          o.out << o.prefix << ConditionColumns(pK.condition) << '\t'
                << ValueText(pK.pK, pK.condition.mark) << '\t' << (pK.u ? Number(*pK.u) : "")
                << '\t' << (pK.extrapolated ? "yes" : "") << '\n';
        }
        return kExitOk;
      });
}

}  // namespace tavrix::cli
