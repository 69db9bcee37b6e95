#include "tavrix/model/rb_model.h"

#include <cmath>

namespace tavrix {
namespace {

constexpr double kReferenceT = 298.15;
constexpr double kLn10 = 2.302585;

// The density term: (-13.957 + 4.2338 tau - 9.6341 tau^2) log10(rho).
double DensityTerm(double tau, double lnRho) {
  return ((4.2338 - 9.6341 * tau) * tau - 13.957) * lnRho / kLn10;
}

// The water term Q from tau and the density term.
double WaterTerm(double tau, double D) {
  return (((1.5032 * tau - 2.5156) * tau - 3.111) * tau + 4.098658 + D) * 0.9894;
}

}  // namespace

RBBasisTerms RBBasis(double T, double rho) {
  const double tau = kReferenceT / T;
  const double Q = WaterTerm(tau, DensityTerm(tau, std::log(rho)));
  return {tau, Q, Q / T};
}

double RBpK(const RBPar& par, const RBBasisTerms& basis) {
  return par.pK298 * basis.tau + par.A * basis.Q + par.B * basis.QOverT;
}

double RBpKOrMissing(const RBPar& par, const RBBasisTerms& basis) {
  if (Undefined(par.pK298)) return kMissing;
  double pK = par.pK298 * basis.tau;
  if (Undefined(par.A)) return kMissing;
  pK = pK + par.A * basis.Q;
  if (Undefined(par.B)) return kMissing;
  return pK + par.B * basis.QOverT;
}

double RBpK(const RBPar& par, double T, double rho) {
  return RBpK(par, RBBasis(T, rho));
}

float RBpKSingle(const RBPar& par, float T, float rho) {
  const float tau = static_cast<float>(kReferenceT / T);
  const float D = static_cast<float>(DensityTerm(tau, std::log(static_cast<double>(rho))));
  const float Q = static_cast<float>(WaterTerm(tau, D));
  const double QOverT = static_cast<double>(Q) / T;
  return static_cast<float>(static_cast<double>(par.A) * Q + tau * par.pK298 + QOverT * par.B);
}

bool InRangeOfConfidence(float rho, bool charged) {
  if (charged) return rho >= 0.35f && rho <= 1.0f;
  return rho <= 1.1f;
}

}  // namespace tavrix
