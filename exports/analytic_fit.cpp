// The PHREEQC -analytic expression fitted to +pK along saturation: the
// minimax fit of every choice of its terms, fewest terms first.
#include "analytic_fit.h"

#include <bit>
#include <cmath>

#include "chebyshev_fit.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace exports {
namespace {

constexpr int kTerms = 6;

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

double LargestDeviation(const std::vector<AnalyticSample>& samples,
                        const std::array<double, kTerms>& A) {
  double largest = 0;
  for (const AnalyticSample& s : samples) {
    largest = std::max(largest, std::fabs(Analytic(A, s.T) - s.logK));
  }
  return largest;
}

// The minimax fit of the terms in `mask` (bit k: term k).
std::optional<AnalyticFit> FitTerms(const std::vector<AnalyticSample>& samples,
                                    const ScaledColumns& terms, const Column& logK, unsigned mask) {
  std::vector<std::size_t> chosen;
  for (std::size_t k = 0; k < kTerms; ++k) {
    if (mask & (1u << k)) chosen.push_back(k);
  }
  const std::optional<ChebyshevFit> fit = FitChebyshev(terms, chosen, logK);
  if (!fit) return std::nullopt;
  AnalyticFit analytic;
  for (std::size_t j = 0; j < chosen.size(); ++j) analytic.A[chosen[j]] = fit->coefficients[j];
  analytic.terms = static_cast<int>(chosen.size());
  analytic.deviation = LargestDeviation(samples, analytic.A);
  return analytic;
}

// +pK at tLow, every 0.1 degrees C between (every whole degree among them)
// and at tHigh, along saturation; none where the equation of state gives
// no density.
std::optional<std::vector<AnalyticSample>> Samples(const FittedModel& model, float tLow,
                                                   float tHigh) {
  std::vector<double> temperatures{tLow};
  for (long k = std::lround(std::floor(tLow * 10.0)) + 1; k / 10.0 < tHigh; ++k) {
    if (k / 10.0 > tLow) temperatures.push_back(k / 10.0);
  }
  temperatures.push_back(tHigh);
  std::vector<AnalyticSample> samples;
  for (const double t : temperatures) {
    const float single = static_cast<float>(t);
    const std::optional<float> P = CodesSaturationPressure(single);
    if (!P) return std::nullopt;
    const float T = KelvinOf(single);
    const float rho = WaterDensity(T, *P);
    if (!(rho > 0)) return std::nullopt;
    samples.push_back({t + kZeroCelsius, model.Pk(T, rho)});
  }
  return samples;
}

}  // namespace

std::optional<AnalyticFit> FitAnalyticTo(const std::vector<AnalyticSample>& samples) {
  std::vector<Column> columns(kTerms);
  Column logK;
  for (const AnalyticSample& s : samples) {
    for (int k = 0; k < kTerms; ++k) columns[static_cast<std::size_t>(k)].push_back(TermAt(k, s.T));
    logK.push_back(s.logK);
  }
  const std::optional<ScaledColumns> scaled = ScaleColumns(columns);
  if (!scaled) return std::nullopt;
  std::optional<AnalyticFit> best;  // the smallest deviation of any choice
  for (int terms = 1; terms <= kTerms; ++terms) {
    std::optional<AnalyticFit> fewest;  // the smallest deviation with so many terms
    for (unsigned mask = 1; mask < (1u << kTerms); ++mask) {
      if (std::popcount(mask) != terms) continue;
      const std::optional<AnalyticFit> fit = FitTerms(samples, *scaled, logK, mask);
      if (fit && (!fewest || fit->deviation < fewest->deviation)) fewest = fit;
    }
    if (fewest && fewest->deviation <= kAnalyticTolerance) return fewest;
    if (fewest && (!best || fewest->deviation < best->deviation)) best = fewest;
  }
  return best;
}

}  // namespace exports

std::optional<AnalyticFit> FitAnalytic(const FittedModel& model, float tLow, float tHigh) {
  if (!(tLow >= 0 && tLow < tHigh && KelvinOf(tHigh) < kCriticalT)) return std::nullopt;
  const auto samples = exports::Samples(model, tLow, tHigh);
  if (!samples) return std::nullopt;
  return exports::FitAnalyticTo(*samples);
}

}  // namespace tavrix
