#pragma once

#include <array>
#include <string>

namespace tavrix {

// Marks a missing value; anything at or above kUndefinedFrom is undefined.
inline constexpr double kMissing = 1E35;
inline constexpr float kUndefinedFrom = 1E33f;

// The three parameters of the RB model.
struct RBPar {
  double pK298 = kMissing;                 // pK at 298.15 K
  float A = static_cast<float>(kMissing);  // A(zz/a)
  float B = static_cast<float>(kMissing);  // B(zz/a)
};

// The coefficients of pK298, A and B at one temperature and density.
struct RBBasisTerms {
  double tau;     // 298.15 / T
  double Q;       // water term
  double QOverT;  // Q / T
};

// Basis terms at T in kelvin and rho in g/cm3 (> 0), in double precision.
RBBasisTerms RBBasis(double T, double rho);

// pK = pK298 * tau + A * Q + B * Q / T, added in that order.
double RBpK(const RBPar& par, const RBBasisTerms& basis);
double RBpK(const RBPar& par, double T, double rho);

// The same pK, or kMissing when a parameter is undefined (tested in the
// order of the sum, which stops at the first undefined one).
double RBpKOrMissing(const RBPar& par, const RBBasisTerms& basis);

// True for a value at or beyond the mark of a missing one.
inline bool Undefined(double x) {
  return x > static_cast<double>(kUndefinedFrom);
}

// The pK as the pK table evaluates it: tau, the density term and Q rounded to
// single precision as they are formed, the result rounded to single.
float RBpKSingle(const RBPar& par, float T, float rho);

// Basic species names, entries 1..4 used (entry 0 carries nothing), each
// held left-aligned in a fixed width.
inline constexpr std::size_t kSpeciesWidth = 14;
using SpeciesNames = std::array<std::string, 5>;

// True when the first species that is not "H+" carries a charge sign in its
// name (the part before the first blank or comma). Trims every name it
// examines and stores it back, left-aligned in its fixed width.
bool ComplexIsCharged(SpeciesNames& species);

// The density range of the model, in g/cm3 (single precision).
inline constexpr float kGasDensity = 0.31f;
bool InRangeOfConfidence(float rho, bool charged);

}  // namespace tavrix
