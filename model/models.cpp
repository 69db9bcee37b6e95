#include "tavrix/model/models.h"

#include <algorithm>
#include <cmath>

namespace tavrix {
namespace {

// The masks show a parameter to about 1e-4 in pK over 0-1000 C: four
// decimals for a constant or a log10(rho) term, two for a term in 1/T,
// none for higher powers.
constexpr char kConstant[] = "#####.####";
constexpr char kOverT[] = "#########.##";
constexpr char kOverT2[] = "############";
constexpr char kOverT3[] = "###############";

ModelRow RBRow(double T, double rho) {
  const RBBasisTerms basis = RBBasis(T, rho);
  return {basis.tau, basis.Q, basis.QOverT};
}

ModelRow Density3Row(double T, double rho) {
  return {1, 1 / T, std::log10(rho)};
}

ModelRow Density5Row(double T, double rho) {
  const double L = std::log10(rho);
  return {1, 1 / T, 1 / (T * T), L, L / T};
}

ModelRow Density7Row(double T, double rho) {
  const double L = std::log10(rho);
  return {1, 1 / T, 1 / (T * T), 1 / (T * T * T), L, L / T, L / (T * T)};
}

const std::array<Model, 4> kModels = {{
    {"rb",
     "RB",
     "pK = pK(298) 298.15/T + A(zz/a) Q + B(zz/a) Q/T",
     3,
     {{{"pK(298)", "####.###"}, {"A(zz/a)", "####.###", true}, {"B(zz/a)", "#####.##", true}}},
     RBRow,
     1},
    {"density3",
     "density3",
     "pK = p1 + p2/T + p3 log10(rho)",
     3,
     {{{"p1", kConstant}, {"p2", kOverT}, {"p3", kConstant}}},
     Density3Row},
    {"density5",
     "density5",
     "pK = a + b/T + c/T^2 + (e + f/T) log10(rho)",
     5,
     {{{"a", kConstant}, {"b", kOverT}, {"c", kOverT2}, {"e", kConstant}, {"f", kOverT}}},
     Density5Row},
    {"density7",
     "density7",
     "pK = a + b/T + c/T^2 + d/T^3 + (e + f/T + g/T^2) log10(rho)",
     7,
     {{{"a", kConstant},
       {"b", kOverT},
       {"c", kOverT2},
       {"d", kOverT3},
       {"e", kConstant},
       {"f", kOverT},
       {"g", kOverT2}}},
     Density7Row},
}};

}  // namespace

std::span<const Model> Models() {
  return kModels;
}

const Model& RBModel() {
  return kModels[0];
}

const Model* ModelNamed(std::string_view name) {
  const auto found = std::find_if(kModels.begin(), kModels.end(),
                                  [&](const Model& model) { return name == model.name; });
  return found == kModels.end() ? nullptr : &*found;
}

std::string ModelNameList() {
  std::string list;
  for (const Model& model : kModels) list += (list.empty() ? "" : ", ") + std::string(model.name);
  return list;
}

ModelValues HeldValues(const Model& model, ModelValues values) {
  for (std::size_t i = 0; i < kMaxModelParameters; ++i) {
    if (model.parameters[i].single) values[i] = static_cast<float>(values[i]);
  }
  return values;
}

double ModelPk(const Model& model, const ModelValues& values, const ModelRow& row) {
  double pK = values[0] * row[0];
  for (std::size_t i = 1; i < static_cast<std::size_t>(model.count); ++i)
    pK = pK + values[i] * row[i];
  return pK;
}

double ModelPkOrMissing(const Model& model, const ModelValues& values, const ModelRow& row) {
  if (Undefined(values[0])) return kMissing;
  double pK = values[0] * row[0];
  for (std::size_t i = 1; i < static_cast<std::size_t>(model.count); ++i) {
    if (Undefined(values[i])) return kMissing;
    pK = pK + values[i] * row[i];
  }
  return pK;
}

double ModelPkUncertainty(const Model& model, const ModelCovariance& covariance,
                          const ModelRow& row) {
  const auto count = static_cast<std::size_t>(model.count);
  double variance = 0;
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = 0; j < count; ++j) variance += row[i] * covariance[i][j] * row[j];
  }
  // Rounding may leave a variance of zero slightly negative.
  return std::sqrt(std::max(variance, 0.0));
}

double FittedModel::Pk(double T, double rho) const {
  return ModelPk(*model, values, model->row(T, rho));
}

std::optional<double> FittedModel::Uncertainty(double T, double rho) const {
  if (!covariance) return std::nullopt;
  return ModelPkUncertainty(*model, *covariance, model->row(T, rho));
}

FittedModel FittedRB(const RBPar& par, const std::optional<ParameterCovariance>& covariance) {
  FittedModel fitted{&RBModel(), {par.pK298, par.A, par.B}};
  if (covariance) {
    fitted.covariance = ModelCovariance{};
    for (std::size_t i = 0; i < 3; ++i) {
      for (std::size_t j = 0; j < 3; ++j) (*fitted.covariance)[i][j] = (*covariance)[i][j];
    }
  }
  return fitted;
}

}  // namespace tavrix
