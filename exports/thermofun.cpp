// The ThermoFun reaction record, as ThermoFun's database files hold
// reactions defined by the Ryzhenko-Bryzgalin model (docs/exports.md names
// the files followed).
#include <cmath>
#include <nlohmann/json.hpp>

#include "decimal.h"
#include "reaction.h"
#include "tavrix/exports/exports.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using Json = nlohmann::ordered_json;
using exports::Naming;

constexpr double kReferenceT = 298.15;  // K
constexpr double kReferenceP = 1e5;     // Pa
constexpr double kPascalsPerBar = 1e5;
constexpr char kRyzhenkoMethodKey[] = "10";  // the method's number in ThermoFun
constexpr char kRyzhenkoMethod[] = "solute_eos_ryzhenko_gems";

// A temperature limit in kelvin, to a millionth of a kelvin.
double LimitKelvin(float t) {
  return std::round((exports::DecimalOf(t) + kZeroCelsius) * 1e6) / 1e6;
}

// A pressure limit in pascals, to a pascal.
double LimitPascals(float P) {
  return std::round(exports::DecimalOf(P) * kPascalsPerBar);
}

// The sheet's title and the program that made the record.
std::string Datasources(const std::string& title) {
  const std::string madeBy = "RB fit by " + exports::WrittenBy();
  return title.empty() ? madeBy : title + " (" + madeBy + ")";
}

Json Record(const ExportedFit& fit, const exports::Reaction& reaction) {
  const std::string symbol = reaction.Symbol(reaction.complex, Naming::kThermoFun);
  Json reactants = Json::array();
  for (const auto& term : reaction.species) {
    reactants.push_back({{"symbol", reaction.Symbol(term.formula, Naming::kThermoFun)},
                         {"coefficient", term.coefficient}});
  }
  reactants.push_back({{"symbol", symbol}, {"coefficient", -1}});

  const RBPar& p = fit.parameters;
  Json coefficients =
      Json::array({exports::Written(p.pK298), exports::Written(p.A), exports::Written(p.B)});
  Json record = {
      {"symbol", symbol},
      {"equation", reaction.Dissociation(Naming::kThermoFun)},
      {"reactants", reactants},
      {"Tst", kReferenceT},
      {"Pst", kReferenceP},
      {"TPMethods", Json::array({{{"method", {{kRyzhenkoMethodKey, kRyzhenkoMethod}}},
                                  {"dr_ryzhenko_coeffs", {{"values", coefficients}}}}})},
      {"datasources", Datasources(fit.title)},
  };
  if (fit.range) {
    record["limitsTP"] = {{"lowerT", LimitKelvin(fit.range->tLow)},
                          {"upperT", LimitKelvin(fit.range->tHigh)},
                          {"lowerP", LimitPascals(fit.range->pLow)},
                          {"upperP", LimitPascals(fit.range->pHigh)}};
  }
  return record;
}

}  // namespace

ExportResult ThermoFunRecords(const std::vector<ExportedFit>& fits) {
  Json records = Json::array();
  for (const ExportedFit& fit : fits) {
    if (fit.other && fit.other->model != &RBModel()) {
      return {"", std::string("the ThermoFun record is of the RB model; ThermoFun has no ") +
                      fit.other->model->name};
    }
    const exports::ReactionOrError reaction = exports::ReactionOf(fit);
    if (!reaction.error.empty()) return {"", reaction.error};
    records.push_back(Record(fit, reaction.reaction));
  }
  const Json& text = records.size() == 1 ? records[0] : records;
  // Text that is no UTF-8 (a title from an old workbook) is kept as far
  // as it goes: its bytes become U+FFFD.
  return {text.dump(2, ' ', false, Json::error_handler_t::replace) + "\n", ""};
}

}  // namespace tavrix
