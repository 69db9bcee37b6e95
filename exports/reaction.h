#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tavrix/exports/exports.h"

namespace tavrix::exports {

// The formula in a name as the sheet writes it: the part before the first
// blank or comma ("Na+, aq" and "Na+ (aq)" are "Na+"), without a trailing
// "(aq)" or "@".
std::string Formula(std::string_view name);

// Where the charge a formula ends with begins; its length without one.
std::size_t ChargeStart(std::string_view formula);

// The charge a formula ends with: "Na+" 1, "Co+2" 2, "SO4-2" -2, "Ca++" 2,
// "NaCl" 0.
int FormulaCharge(std::string_view formula);

// How a code names aqueous species: ThermoFun marks a neutral one with
// "@" (NaCl@), PHREEQC does not.
enum class Naming { kThermoFun, kPhreeqc };

// The dissociation of a complex into its species: coefficient c of a
// species (negative on the complex's side), -1 of the complex.
struct Reaction {
  std::string complex;  // its formula
  struct Term {
    int coefficient;
    std::string formula;
  };
  std::vector<Term> species;

  std::string Symbol(const std::string& formula, Naming naming) const;
  // "CoCl4-2 = Co+2 + 4Cl-"
  std::string Dissociation(Naming naming) const;
  // "Co+2 + 4Cl- = CoCl4-2", the complex first on its side.
  std::string Formation(Naming naming) const;
};

// The reaction of a fit, or why its names do not make one: the charge the
// complex's name carries must be the charge of its species.
struct ReactionOrError {
  Reaction reaction;
  std::string error;
};
ReactionOrError ReactionOf(const ExportedFit& fit);

}  // namespace tavrix::exports
