// The PHREEQC -analytic expression fitted to +pK along saturation: linear
// least squares over every choice of its terms, fewest terms first.
#include <algorithm>
#include <bit>
#include <cmath>

#include "tavrix/exports/exports.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

constexpr int kTerms = 6;
constexpr double kStep = 0.1;             // degrees C between the points fitted
constexpr double kRankTolerance = 1e-12;  // of the scaled system's pivots

// Term k (from 0) of log K = A1 + A2 T + A3 / T + A4 log10 T + A5 / T^2 + A6 T^2.
double TermAt(int k, double T) {
  switch (k) {
    case 0:
      return 1;
    case 1:
      return T;
    case 2:
      return 1 / T;
    case 3:
      return std::log10(T);
    case 4:
      return 1 / (T * T);
    default:
      return T * T;
  }
}

// The expression as PHREEQC evaluates it.
double Analytic(const std::array<double, kTerms>& A, double T) {
  return A[0] + A[1] * T + A[2] / T + A[3] * std::log10(T) + A[4] / (T * T) + A[5] * T * T;
}

struct Sample {
  double T;  // t + 273.15, as PHREEQC takes the temperature
  double pK;
};

// +pK every kStep degrees over tLow..tHigh along saturation; none where the
// equation of state gives no density.
std::optional<std::vector<Sample>> Samples(const RBPar& par, float tLow, float tHigh) {
  const int n = std::max(1, static_cast<int>(std::ceil((tHigh - tLow) / kStep)));
  std::vector<Sample> samples;
  for (int i = 0; i <= n; ++i) {
    const double t = tLow + (static_cast<double>(tHigh) - tLow) * i / n;
    const float single = static_cast<float>(t);
    const std::optional<float> P = CodesSaturationPressure(single);
    if (!P) return std::nullopt;
    const float T = KelvinOf(single);
    const float rho = WaterDensity(T, *P);
    if (!(rho > 0)) return std::nullopt;
    samples.push_back({t + kZeroCelsius, RBpK(par, T, rho)});
  }
  return samples;
}

// The least-squares coefficients of the terms in `mask` (bit k: term k),
// by Householder reflections on the columns scaled to a largest value of
// 1; none when the terms are not independent over the samples.
std::optional<std::array<double, kTerms>> LeastSquares(const std::vector<Sample>& samples,
                                                       unsigned mask) {
  std::vector<int> terms;
  for (int k = 0; k < kTerms; ++k) {
    if (mask & (1u << k)) terms.push_back(k);
  }
  const std::size_t m = samples.size();
  const std::size_t n = terms.size();
  std::vector<std::vector<double>> a(n, std::vector<double>(m));
  std::vector<double> scale(n, 0);
  std::vector<double> b(m);
  for (std::size_t i = 0; i < m; ++i) {
    b[i] = samples[i].pK;
    for (std::size_t j = 0; j < n; ++j) {
      a[j][i] = TermAt(terms[j], samples[i].T);
      scale[j] = std::max(scale[j], std::fabs(a[j][i]));
    }
  }
  for (std::size_t j = 0; j < n; ++j) {
    for (double& x : a[j]) x /= scale[j];
  }

  std::vector<double> diagonal(n);
  for (std::size_t j = 0; j < n; ++j) {
    double norm = 0;
    for (std::size_t i = j; i < m; ++i) norm += a[j][i] * a[j][i];
    norm = std::sqrt(norm);
    if (norm == 0) return std::nullopt;
    const double alpha = a[j][j] > 0 ? -norm : norm;
    std::vector<double> v(a[j].begin() + static_cast<std::ptrdiff_t>(j), a[j].end());
    v[0] -= alpha;
    double vv = 0;
    for (const double x : v) vv += x * x;
    const auto reflect = [&](std::vector<double>& column) {
      double dot = 0;
      for (std::size_t i = j; i < m; ++i) dot += v[i - j] * column[i];
      const double f = 2 * dot / vv;
      for (std::size_t i = j; i < m; ++i) column[i] -= f * v[i - j];
    };
    for (std::size_t l = j + 1; l < n; ++l) reflect(a[l]);
    reflect(b);
    diagonal[j] = alpha;
  }
  double largest = 0;
  for (const double d : diagonal) largest = std::max(largest, std::fabs(d));
  for (const double d : diagonal) {
    if (!(std::fabs(d) > kRankTolerance * largest)) return std::nullopt;
  }

  std::vector<double> c(n);
  for (std::size_t j = n; j-- > 0;) {
    double sum = b[j];
    for (std::size_t l = j + 1; l < n; ++l) sum -= a[l][j] * c[l];
    c[j] = sum / diagonal[j];
  }
  std::array<double, kTerms> A{};
  for (std::size_t j = 0; j < n; ++j) {
    A[static_cast<std::size_t>(terms[j])] = c[j] / scale[j];
  }
  return A;
}

double LargestDeviation(const std::vector<Sample>& samples, const std::array<double, kTerms>& A) {
  double largest = 0;
  for (const Sample& s : samples) largest = std::max(largest, std::fabs(Analytic(A, s.T) - s.pK));
  return largest;
}

}  // namespace

std::optional<AnalyticFit> FitAnalytic(const RBPar& parameters, float tLow, float tHigh) {
  if (!(tLow >= 0 && tLow < tHigh && KelvinOf(tHigh) < kCriticalT)) return std::nullopt;
  const std::optional<std::vector<Sample>> samples = Samples(parameters, tLow, tHigh);
  if (!samples) return std::nullopt;
  std::optional<AnalyticFit> best;  // the smallest deviation of any choice
  for (int terms = 1; terms <= kTerms; ++terms) {
    std::optional<AnalyticFit> fewest;  // the smallest deviation with so many terms
    for (unsigned mask = 1; mask < (1u << kTerms); ++mask) {
      if (std::popcount(mask) != terms) continue;
      const auto A = LeastSquares(*samples, mask);
      if (!A) continue;
      const double deviation = LargestDeviation(*samples, *A);
      if (!fewest || deviation < fewest->deviation) fewest = AnalyticFit{*A, terms, deviation};
    }
    if (fewest && fewest->deviation <= kAnalyticTolerance) return fewest;
    if (fewest && (!best || fewest->deviation < best->deviation)) best = fewest;
  }
  return best;
}

}  // namespace tavrix
