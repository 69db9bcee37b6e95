// QR by Householder reflections in double precision.
#include "householder.h"

#include <algorithm>
#include <cmath>

namespace tavrix::exports {
namespace {

constexpr double kRankTolerance = 1e-12;  // of the pivots, against the largest

// H x = x - 2 v (v^T x) / (v^T v) over rows j..: the reflection by v.
void Reflect(const Column& v, std::size_t j, Column& x) {
  double dot = 0, vv = 0;
  for (std::size_t i = j; i < x.size(); ++i) {
    dot += v[i - j] * x[i];
    vv += v[i - j] * v[i - j];
  }
  const double f = 2 * dot / vv;
  for (std::size_t i = j; i < x.size(); ++i) x[i] -= f * v[i - j];
}

}  // namespace

std::optional<Householder> FactorQr(std::vector<Column> columns) {
  Householder qr;
  qr.rows = columns.empty() ? 0 : columns[0].size();
  if (columns.size() > qr.rows) return std::nullopt;
  double largest = 0;
  for (std::size_t j = 0; j < columns.size(); ++j) {
    Column& a = columns[j];
    double norm = 0;
    for (std::size_t i = j; i < qr.rows; ++i) norm += a[i] * a[i];
    norm = std::sqrt(norm);
    if (norm == 0) return std::nullopt;
    const double alpha = a[j] > 0 ? -norm : norm;
    Column v(a.begin() + static_cast<std::ptrdiff_t>(j), a.end());
    v[0] -= alpha;
    for (std::size_t l = j + 1; l < columns.size(); ++l) Reflect(v, j, columns[l]);
    Column r(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(j) + 1);
    r[j] = alpha;
    qr.r.push_back(std::move(r));
    qr.reflectors.push_back(std::move(v));
    largest = std::max(largest, norm);
  }
  for (const Column& r : qr.r) {
    if (!(std::fabs(r.back()) > kRankTolerance * largest)) return std::nullopt;
  }
  return qr;
}

Column TimesQTransposed(const Householder& qr, Column x) {
  for (std::size_t j = 0; j < qr.reflectors.size(); ++j) Reflect(qr.reflectors[j], j, x);
  return x;
}

Column TimesQ(const Householder& qr, Column x) {
  for (std::size_t j = qr.reflectors.size(); j-- > 0;) Reflect(qr.reflectors[j], j, x);
  return x;
}

Column SolveR(const Householder& qr, const Column& y) {
  const std::size_t n = qr.r.size();
  Column x(n);
  for (std::size_t j = n; j-- > 0;) {
    double sum = y[j];
    for (std::size_t l = j + 1; l < n; ++l) sum -= qr.r[l][j] * x[l];
    x[j] = sum / qr.r[j][j];
  }
  return x;
}

Column SolveRTransposed(const Householder& qr, const Column& y) {
  const std::size_t n = qr.r.size();
  Column x(qr.rows, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    double sum = y[j];
    for (std::size_t l = 0; l < j; ++l) sum -= qr.r[j][l] * x[l];
    x[j] = sum / qr.r[j][j];
  }
  return x;
}

}  // namespace tavrix::exports
