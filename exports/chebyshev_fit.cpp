// The minimax fit of n columns to m values is the linear program
//   minimise h subject to -h <= b_i - a_i c <= h  (i = 1..m),
// solved here by the simplex method on its dual, as Barrodale and Phillips
// (ACM Trans. Math. Software 1, 1975, Algorithm 495) do. A basis of the
// dual is a reference: n + 1 samples, each with a sign s_k, on which the
// deviation is levelled, s_k (b - a c) = h. The sample that deviates most
// enters; the dual's ratio test picks the one that leaves, and h grows
// until no sample deviates more than h: the exchange algorithm, which needs
// no condition on the columns (they need not form a Haar system).
#include "chebyshev_fit.h"

#include <algorithm>
#include <cmath>

namespace tavrix::exports {
namespace {

constexpr int kMostExchanges = 1000;
constexpr double kLevelled = 1e-10;  // of the largest |value| (at least 1)

// The samples' scaled terms, n values a row.
struct Rows {
  std::size_t n;
  std::vector<double> values;  // row i from i * n
  std::size_t Count() const { return values.size() / n; }
  const double* operator[](std::size_t i) const { return values.data() + i * n; }
  double* operator[](std::size_t i) { return values.data() + i * n; }
};

double Dot(const double* a, const double* b, std::size_t n) {
  double sum = 0;
  for (std::size_t j = 0; j < n; ++j) sum += a[j] * b[j];
  return sum;
}

struct Reference {
  std::vector<std::size_t> samples;  // n + 1
  std::vector<double> signs;         // +1 or -1
};

// n samples whose rows span the terms, each the one farthest from the span
// of those before (Gram-Schmidt), and the sample farthest from them. The
// signs make the reference a basis of the dual: the weights w with
// sum_k w_k a_k = 0 (the last column of the Q of the reference's rows)
// have the signs s_k.
std::optional<Reference> FirstReference(const Rows& rows) {
  const std::size_t n = rows.n, m = rows.Count();
  Rows rest = rows;
  Reference reference;
  for (std::size_t step = 0; step < n; ++step) {
    std::size_t far = 0;
    double farthest = -1;
    for (std::size_t i = 0; i < m; ++i) {
      const double norm2 = Dot(rest[i], rest[i], n);
      if (norm2 > farthest) {
        far = i;
        farthest = norm2;
      }
    }
    if (!(farthest > 0)) return std::nullopt;
    Column q(rest[far], rest[far] + n);
    for (double& x : q) x /= std::sqrt(farthest);
    for (std::size_t i = 0; i < m; ++i) {
      const double along = Dot(rest[i], q.data(), n);
      for (std::size_t j = 0; j < n; ++j) rest[i][j] -= along * q[j];
    }
    reference.samples.push_back(far);
  }
  std::size_t extra = 0, farthest = 0;  // from the samples chosen
  for (std::size_t i = 0; i < m; ++i) {
    std::size_t distance = m;
    for (const std::size_t k : reference.samples)
      distance = std::min(distance, i > k ? i - k : k - i);
    if (distance > farthest) {
      extra = i;
      farthest = distance;
    }
  }
  reference.samples.push_back(extra);

  std::vector<Column> terms(n, Column(n + 1));
  for (std::size_t k = 0; k <= n; ++k) {
    for (std::size_t j = 0; j < n; ++j) terms[j][k] = rows[reference.samples[k]][j];
  }
  const std::optional<Householder> qr = FactorQr(terms);
  if (!qr) return std::nullopt;
  Column last(n + 1, 0.0);
  last[n] = 1;
  for (const double w : TimesQ(*qr, last)) reference.signs.push_back(w < 0 ? -1 : 1);
  return reference;
}

// The dual's basis: column k is (s_k a_k, 1).
std::vector<Column> BasisOf(const Rows& rows, const Reference& reference) {
  std::vector<Column> basis;
  for (std::size_t k = 0; k <= rows.n; ++k) {
    Column column(rows.n + 1, 1.0);
    for (std::size_t j = 0; j < rows.n; ++j) {
      column[j] = reference.signs[k] * rows[reference.samples[k]][j];
    }
    basis.push_back(std::move(column));
  }
  return basis;
}

// x of the basis times x = y.
Column Solve(const Householder& qr, Column y) {
  return SolveR(qr, TimesQTransposed(qr, std::move(y)));
}

}  // namespace

std::optional<ChebyshevFit> FitChebyshev(const std::vector<Column>& columns, const Column& values) {
  const std::size_t n = columns.size();
  const std::size_t m = values.size();
  if (n == 0 || m <= n) return std::nullopt;
  // The columns scaled to a largest value of 1, and the rows they make.
  std::vector<Column> scaled = columns;
  Column scale(n, 0.0);
  for (std::size_t j = 0; j < n; ++j) {
    for (const double x : scaled[j]) scale[j] = std::max(scale[j], std::fabs(x));
    if (scale[j] == 0) return std::nullopt;
    for (double& x : scaled[j]) x /= scale[j];
  }
  if (!FactorQr(scaled)) return std::nullopt;
  Rows rows{n, std::vector<double>(m * n)};
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t j = 0; j < n; ++j) rows[i][j] = scaled[j][i];
  }
  double size = 1;
  for (const double b : values) size = std::max(size, std::fabs(b));

  std::optional<Reference> reference = FirstReference(rows);
  if (!reference) return std::nullopt;
  std::optional<ChebyshevFit> best;  // of smallest deviation
  for (int exchange = 0; exchange < kMostExchanges; ++exchange) {
    const std::optional<Householder> qr = FactorQr(BasisOf(rows, *reference));
    if (!qr) break;
    Column unit(n + 1, 0.0), cost(n + 1);
    unit[n] = 1;
    for (std::size_t k = 0; k <= n; ++k) {
      cost[k] = reference->signs[k] * values[reference->samples[k]];
    }
    const Column weights = Solve(*qr, unit);  // the dual's point, none below 0
    // The coefficients and the levelled deviation h: basis^T (c, h) = cost.
    Column c = TimesQ(*qr, SolveRTransposed(*qr, cost));
    const double h = c[n];
    c.resize(n);

    std::size_t worst = 0;
    double largest = -1;
    for (std::size_t i = 0; i < m; ++i) {
      const double deviation = std::fabs(values[i] - Dot(rows[i], c.data(), n));
      if (deviation > largest) {
        worst = i;
        largest = deviation;
      }
    }
    if (!best || largest < best->deviation) best = ChebyshevFit{c, largest};
    if (largest <= h + kLevelled * size) break;

    // The worst sample enters with the sign of its deviation; the ratio
    // test keeps the weights from falling below 0.
    const double sign = values[worst] - Dot(rows[worst], c.data(), n) < 0 ? -1 : 1;
    Column entering(n + 1, 1.0);
    for (std::size_t j = 0; j < n; ++j) entering[j] = sign * rows[worst][j];
    const Column direction = Solve(*qr, entering);
    double steepest = 0;
    for (const double d : direction) steepest = std::max(steepest, std::fabs(d));
    std::optional<std::size_t> leaving;
    double ratio = 0;
    for (std::size_t k = 0; k <= n; ++k) {
      if (!(direction[k] > 1e-14 * steepest)) continue;
      const double r = std::max(weights[k], 0.0) / direction[k];
      if (!leaving || r < ratio) {
        leaving = k;
        ratio = r;
      }
    }
    if (!leaving) break;
    reference->samples[*leaving] = worst;
    reference->signs[*leaving] = sign;
  }
  if (!best) return std::nullopt;
  for (std::size_t j = 0; j < n; ++j) best->coefficients[j] /= scale[j];
  return best;
}

}  // namespace tavrix::exports
