#include "reaction.h"

#include <cctype>

#include "tavrix/numeric/text_width.h"

namespace tavrix::exports {
namespace {

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// "+2", "-", "" for 0: a charge as formulas write it.
std::string ChargeSuffix(int charge) {
  if (charge == 0) return "";
  const std::string sign = charge > 0 ? "+" : "-";
  const int magnitude = charge > 0 ? charge : -charge;
  return magnitude == 1 ? sign : sign + std::to_string(magnitude);
}

// "4Cl-", "Na+": a species with its coefficient (its magnitude, 1 left out).
std::string Term(int coefficient, const std::string& symbol) {
  const int magnitude = coefficient < 0 ? -coefficient : coefficient;
  return (magnitude == 1 ? "" : std::to_string(magnitude)) + symbol;
}

std::string Joined(const std::vector<std::string>& terms) {
  std::string text;
  for (const std::string& term : terms) text += (text.empty() ? "" : " + ") + term;
  return text;
}

}  // namespace

std::string Formula(std::string_view name) {
  std::string_view formula = TrimBlanks(name);
  formula = formula.substr(0, formula.find_first_of(" ,"));
  if (EndsWith(formula, "(aq)")) formula.remove_suffix(4);
  if (EndsWith(formula, "@")) formula.remove_suffix(1);
  return std::string(formula);
}

// Where the charge a formula ends with begins ("Co+2": 2, "Ca++": 2); the
// formula's length when it ends without one ("Cl2", "H2O").
std::size_t ChargeStart(std::string_view formula) {
  std::size_t end = formula.size();
  while (end > 0 && IsDigit(formula[end - 1])) --end;
  if (end == 0 || (formula[end - 1] != '+' && formula[end - 1] != '-')) return formula.size();
  const char sign = formula[end - 1];
  if (end < formula.size()) return end - 1;
  while (end > 0 && formula[end - 1] == sign) --end;
  return end;
}

int FormulaCharge(std::string_view formula) {
  const std::string_view charge = formula.substr(ChargeStart(formula));
  if (charge.empty()) return 0;
  const int direction = charge[0] == '+' ? 1 : -1;
  if (charge.size() == 1 || !IsDigit(charge[1])) {
    return direction * static_cast<int>(charge.size());
  }
  // A magnitude beyond any ion's counts as no charge.
  return charge.size() > 5 ? 0 : direction * std::stoi(std::string(charge.substr(1)));
}

std::string Reaction::Symbol(const std::string& formula, Naming naming) const {
  const bool neutral = FormulaCharge(formula) == 0;
  return naming == Naming::kThermoFun && neutral ? formula + "@" : formula;
}

std::string Reaction::Dissociation(Naming naming) const {
  std::vector<std::string> left = {Symbol(complex, naming)};
  std::vector<std::string> right;
  for (const Term& term : species) {
    (term.coefficient < 0 ? left : right)
        .push_back(exports::Term(term.coefficient, Symbol(term.formula, naming)));
  }
  return Joined(left) + " = " + Joined(right);
}

std::string Reaction::Formation(Naming naming) const {
  std::vector<std::string> left;
  std::vector<std::string> right = {Symbol(complex, naming)};
  for (const Term& term : species) {
    (term.coefficient > 0 ? left : right)
        .push_back(exports::Term(term.coefficient, Symbol(term.formula, naming)));
  }
  return Joined(left) + " = " + Joined(right);
}

ReactionOrError ReactionOf(const ExportedFit& fit) {
  ReactionOrError result;
  Reaction& reaction = result.reaction;
  reaction.complex = Formula(fit.complex);
  int charge = 0;
  for (const Species& species : fit.species) {
    reaction.species.push_back({species.coefficient, Formula(species.name)});
    charge += species.coefficient * FormulaCharge(reaction.species.back().formula);
  }
  if (reaction.complex.empty()) {
    result.error = "the complex (C2) has no formula; write it there, e.g. NaCl";
  } else if (const int named = FormulaCharge(reaction.complex); named != charge) {
    const std::string bare = reaction.complex.substr(0, ChargeStart(reaction.complex));
    result.error = "the complex '" + reaction.complex + "' (C2) has the charge " +
                   std::to_string(named) + ", but its species give " + std::to_string(charge) +
                   "; write the name with that charge (" + bare + ChargeSuffix(charge) +
                   ") or correct the species";
  }
  return result;
}

}  // namespace tavrix::exports
