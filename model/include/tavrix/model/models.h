#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tavrix/model/pk_uncertainty.h"
#include "tavrix/model/rb_model.h"

namespace tavrix {

// The most parameters a model has (density7's seven).
inline constexpr int kMaxModelParameters = 7;

// A model's basis at one temperature and density: the coefficient of each
// of its parameters in its pK; the entries after its parameters are 0.
using ModelRow = std::array<double, kMaxModelParameters>;
// The values of a model's parameters, in its order.
using ModelValues = std::array<double, kMaxModelParameters>;
// The covariance of a model's parameters, scaled as their ± are; the rows
// and columns of a parameter held are 0.
using ModelCovariance = std::array<ModelValues, kMaxModelParameters>;

struct ModelParameterInfo {
  const char* name = "";  // as messages and tables name it: "pK(298)", "p1"
  const char* mask = "";  // the mask its values are shown through
  bool single = false;    // held in single precision (RB's A and B)
};

// A model of pK linear in its parameters: pK = sum of value_i row_i(T, rho),
// with T in kelvin and rho the water density in g/cm3. RB's row is
// (298.15/T, Q, Q/T); the density models' rows are powers of 1/T and
// log10 rho times powers of 1/T.
struct Model {
  const char* name;     // as the command line names it: "rb", "density3"
  const char* label;    // as texts name it: "RB", "density3"
  const char* formula;  // "pK = p1 + p2/T + p3 log10(rho)"
  int count;            // of parameters
  std::array<ModelParameterInfo, kMaxModelParameters> parameters;
  ModelRow (*row)(double T, double rho);
  // The parameter whose term the "<" limit test adds first, the others
  // following in order: RB's A, as that test always has (results at the
  // threshold depend on the order).
  int firstInLimitTest = 0;
};

// rb (the sheet's model), density3, density5 and density7.
std::span<const Model> Models();
const Model& RBModel();
// The model of that name, or none.
const Model* ModelNamed(std::string_view name);
// "rb, density3, density5, density7".
std::string ModelNameList();

// The values as the model holds them: its single-precision parameters
// rounded to single.
ModelValues HeldValues(const Model& model, ModelValues values);

// pK = sum of value_i row_i, added in the parameters' order.
double ModelPk(const Model& model, const ModelValues& values, const ModelRow& row);
// The same, or kMissing when a value is undefined (tested in the order of
// the sum, which stops at the first undefined one).
double ModelPkOrMissing(const Model& model, const ModelValues& values, const ModelRow& row);
// u(pK) = sqrt(g' C g), g the row: the ± of pK at the level of C.
double ModelPkUncertainty(const Model& model, const ModelCovariance& covariance,
                          const ModelRow& row);

// A model with the values of its parameters and, where known, their
// covariance: what gives its pK and u(pK) at any condition.
struct FittedModel {
  const Model* model = &RBModel();
  ModelValues values{};
  std::optional<ModelCovariance> covariance = std::nullopt;
  double Pk(double T, double rho) const;
  // None without the covariance.
  std::optional<double> Uncertainty(double T, double rho) const;
};

// RB's parameters (and covariance) as a fitted model: its pK and u(pK) are
// RBpK's and PkUncertainty's to the last bit.
FittedModel FittedRB(const RBPar& par, const std::optional<ParameterCovariance>& covariance);

}  // namespace tavrix
