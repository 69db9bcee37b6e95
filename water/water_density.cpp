#include <cmath>

#include "tavrix/water/single_newton.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr double kReferenceT = 647.073;   // tau = kReferenceT / T
constexpr double kGasConstant = 4.61518;  // bar cm3 / (g K)
constexpr int kMaxSteps = 100;

// Residual polynomials p1 ... p9 in tau: coefficients of tau^0, tau^1,
// tau^2, tau^3, tau^4 and tau^6 (in bar units). p8 is identically zero.
constexpr double kResidual[9][6] = {
    {0, -5306.296852902, 22744.90142441, -26627.94482977, 7877.933302069, -698.3052737499},
    {0, 178638.3287542, -395147.3156334, 0, 338038.8428075, -138550.502027},
    {68833.25794433, -2563743.661326, 4821257.598142, 217572.4552264, -3418301.696966,
     1222315.641745},
    {0, 11797433.65583, -21734810.11037, 0, 10829952.16862, -2544199.806405},
    {0, -31377774.94777, 52911910.7577, -707304.1808207, -13802577.17788, -2510991.4369},
    {0, 46561826.11561, -72752773.27539, 0, 4177424.614829, 14016358.24461},
    {0, -31555231.39213, 47929666.38458, 0, 4091266.478121, -13626369.38839},
    {0, 0, 0, 0, 0, 0},
    {0, 6962522.086266, -10834900.09645, 0, -2272282.740169, 3836548.600066},
};
constexpr int kResidualPowers[6] = {0, 1, 2, 3, 4, 6};

// What depends on the temperature only.
struct TemperatureTerms {
  double b4;    // excluded volume b/4, cm3/g
  double c;     // B(tau) / b4 - 14
  double RT;    // R * T
  double p[9];  // residual polynomials p1 ... p9
};

TemperatureTerms TermsAt(float T) {
  const double tau = kReferenceT / T;
  const double tauPower[7] = {1,
                              tau,
                              tau * tau,
                              tau * tau * tau,
                              tau * tau * tau * tau,
                              0,
                              tau * tau * tau * tau * tau * tau};
  TemperatureTerms terms{};
  terms.b4 = 0.186965729 + 0.0885195558 * std::log(tau) + 0.001789969 * tauPower[3] -
             0.0008821065 * (tauPower[4] * tau);
  const double virial =
      1.127833441 - 0.594400123 * tau - 5.010995915 * tauPower[2] + 0.636842555 * tauPower[4];
  terms.c = virial / terms.b4 - 14;
  terms.RT = kGasConstant * T;
  for (int k = 0; k < 9; ++k) {
    double sum = 0;
    for (int j = 0; j < 6; ++j) {
      if (kResidual[k][j] != 0) sum += kResidual[k][j] * tauPower[kResidualPowers[j]];
    }
    terms.p[k] = sum;
  }
  return terms;
}

float StartDensity(float T, float P) {
  if (P >= SatPressure(T)) return static_cast<float>(1.147 - 0.000748 * T + 0.0000656 * P);
  if (T < kCriticalT) return static_cast<float>(std::exp(5.87189 * std::log(T - 195.15) - 37.8782));
  return static_cast<float>(std::exp(1.47 - 1.38 * std::log(T) + 0.946 * std::log(P)));
}

struct PressureAndSlope {
  double pressure;
  double slope;  // dP / drho
};

PressureAndSlope PressureAt(const TemperatureTerms& t, double rho) {
  const double y = t.b4 * rho;
  const double e = std::exp(-rho);
  const double s = 1 - e;
  const double q = e / s;

  double sumP = 0;
  double sumD = 0;
  double g = 1;
  double sPower = 1;
  for (int k = 0; k < 9; ++k) {
    if (t.p[k] != 0) {
      const double term = sPower * t.p[k];
      sumP += term;
      sumD += (2 - g * rho) * term;
    }
    g -= q;
    sPower *= s;
  }

  // One division serves the three quotients by powers of (1 - y).
  const double inverse = 1 / (1 - y);
  const double inverseCube = inverse * inverse * inverse;
  const double f = (1 + 11 * y + (133.0 / 3) * y * y) * inverseCube;
  const double pressure = rho * (t.RT * (f + t.c * y) + rho * e * sumP);
  const double slope =
      t.RT * ((1 + 22 * y + 133 * y * y) * inverseCube + 3 * y * f * inverse + 2 * t.c * y) +
      rho * e * sumD;
  return {pressure, slope};
}

}  // namespace

double WaterPressure(float T, double rho) {
  return PressureAt(TermsAt(T), rho).pressure;
}

float WaterDensity(float T, float P) {
  const float start = StartDensity(T, P);
  if (!std::isfinite(start) || start <= 0) return -1;
  const TemperatureTerms terms = TermsAt(T);

  // Newton steps on P(rho) = P, none larger than half the density so that
  // the density stays positive.
  const auto step = [&](double rho) {
    const PressureAndSlope at = PressureAt(terms, rho);
    const double delta = (P - at.pressure) / at.slope;
    return std::fabs(delta) > rho / 2 ? std::copysign(rho / 2, delta) : delta;
  };
  const std::optional<float> rho = IterateToSingle(start, kMaxSteps, step);
  return rho && *rho > 0 ? *rho : -1;
}

}  // namespace tavrix
