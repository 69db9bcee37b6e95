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
constexpr double kRankTolerance = 1e-12;  // of the pivots, against the first
constexpr double kLevelled = 1e-10;       // of the largest |value| (at least 1)

// The chosen columns of the samples' rows.
struct Chosen {
  const ScaledColumns& columns;
  const std::vector<std::size_t>& indices;
  std::size_t Count() const { return indices.size(); }
  std::size_t Samples() const { return columns.rows.size() / columns.n; }
  double At(std::size_t i, std::size_t j) const { return columns.rows[i * columns.n + indices[j]]; }
  double RowTimes(std::size_t i, const Column& x) const {
    double sum = 0;
    for (std::size_t j = 0; j < indices.size(); ++j) sum += At(i, j) * x[j];
    return sum;
  }
};

double Dot(const Column& a, const Column& b) {
  double sum = 0;
  for (std::size_t j = 0; j < a.size(); ++j) sum += a[j] * b[j];
  return sum;
}

struct Reference {
  std::vector<std::size_t> samples;  // n + 1
  std::vector<double> signs;         // +1 or -1
};

// n samples whose rows span the columns, each the one farthest from the
// span of those before (Gram-Schmidt with pivoting on the rows, projected
// twice), and the sample farthest from them; none when a pivot falls below
// kRankTolerance of the first: the columns are not independent. The signs
// make the reference a basis of the dual: the weights w with
// sum_k w_k a_k = 0 (the last column of the Q of the reference's rows)
// have the signs s_k.
std::optional<Reference> FirstReference(const Chosen& a) {
  const std::size_t n = a.Count(), m = a.Samples();
  std::vector<Column> q;  // orthonormal, spanning the rows chosen
  Column row(n);
  Reference reference;
  double first = 0;
  for (std::size_t step = 0; step < n; ++step) {
    std::size_t far = 0;
    double farthest = -1;
    Column farRow;
    for (std::size_t i = 0; i < m; ++i) {
      for (std::size_t j = 0; j < n; ++j) row[j] = a.At(i, j);
      for (int twice = 0; twice < 2; ++twice) {
        for (const Column& u : q) {
          const double along = Dot(row, u);
          for (std::size_t j = 0; j < n; ++j) row[j] -= along * u[j];
        }
      }
      const double norm = std::sqrt(Dot(row, row));
      if (norm > farthest) {
        far = i;
        farthest = norm;
        farRow = row;
      }
    }
    if (step == 0) first = farthest;
    if (!(farthest > kRankTolerance * first)) return std::nullopt;
    for (double& x : farRow) x /= farthest;
    q.push_back(std::move(farRow));
    reference.samples.push_back(far);
  }
  std::size_t extra = 0, farthest = 0;  // from the samples chosen
  for (std::size_t i = 0; i < m; ++i) {
    std::size_t distance = m;
    for (const std::size_t k : reference.samples) {
      distance = std::min(distance, i > k ? i - k : k - i);
    }
    if (distance > farthest) {
      extra = i;
      farthest = distance;
    }
  }
  reference.samples.push_back(extra);

  std::vector<Column> terms(n, Column(n + 1));
  for (std::size_t k = 0; k <= n; ++k) {
    for (std::size_t j = 0; j < n; ++j) terms[j][k] = a.At(reference.samples[k], j);
  }
  const std::optional<Householder> qr = FactorQr(terms);
  if (!qr) return std::nullopt;
  Column last(n + 1, 0.0);
  last[n] = 1;
  for (const double w : TimesQ(*qr, last)) reference.signs.push_back(w < 0 ? -1 : 1);
  return reference;
}

// The dual's basis: column k is (s_k a_k, 1).
std::vector<Column> BasisOf(const Chosen& a, const Reference& reference) {
  const std::size_t n = a.Count();
  std::vector<Column> basis;
  for (std::size_t k = 0; k <= n; ++k) {
    Column column(n + 1, 1.0);
    for (std::size_t j = 0; j < n; ++j) {
      column[j] = reference.signs[k] * a.At(reference.samples[k], j);
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

std::optional<ScaledColumns> ScaleColumns(const std::vector<Column>& columns) {
  ScaledColumns scaled;
  scaled.n = columns.size();
  const std::size_t m = columns.empty() ? 0 : columns[0].size();
  scaled.rows.resize(m * scaled.n);
  for (std::size_t j = 0; j < scaled.n; ++j) {
    double largest = 0;
    for (const double x : columns[j]) largest = std::max(largest, std::fabs(x));
    if (largest == 0) return std::nullopt;
    for (std::size_t i = 0; i < m; ++i) scaled.rows[i * scaled.n + j] = columns[j][i] / largest;
    scaled.scale.push_back(largest);
  }
  return scaled;
}

std::optional<ChebyshevFit> FitChebyshev(const ScaledColumns& columns,
                                         const std::vector<std::size_t>& chosen,
                                         const Column& values) {
  const Chosen a{columns, chosen};
  const std::size_t n = a.Count(), m = values.size();
  if (n == 0 || m <= n || a.Samples() != m) return std::nullopt;
  double size = 1;
  for (const double b : values) size = std::max(size, std::fabs(b));

  std::optional<Reference> reference = FirstReference(a);
  if (!reference) return std::nullopt;
  std::optional<ChebyshevFit> best;  // of smallest deviation
  for (int exchange = 0; exchange < kMostExchanges; ++exchange) {
    const std::optional<Householder> qr = FactorQr(BasisOf(a, *reference));
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
    double deviation = 0;  // signed, at the worst sample
    for (std::size_t i = 0; i < m; ++i) {
      const double d = values[i] - a.RowTimes(i, c);
      if (std::fabs(d) > std::fabs(deviation)) {
        worst = i;
        deviation = d;
      }
    }
    const double largest = std::fabs(deviation);
    if (!best || largest < best->deviation) best = ChebyshevFit{c, largest};
    if (largest <= h + kLevelled * size) break;

    // The worst sample enters with the sign of its deviation; the ratio
    // test keeps the weights from falling below 0.
    const double sign = deviation < 0 ? -1 : 1;
    Column entering(n + 1, 1.0);
    for (std::size_t j = 0; j < n; ++j) entering[j] = sign * a.At(worst, j);
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
  for (std::size_t j = 0; j < n; ++j) best->coefficients[j] /= columns.scale[chosen[j]];
  return best;
}

std::optional<ChebyshevFit> FitChebyshev(const std::vector<Column>& columns, const Column& values) {
  const std::optional<ScaledColumns> scaled = ScaleColumns(columns);
  if (!scaled) return std::nullopt;
  std::vector<std::size_t> all(columns.size());
  for (std::size_t j = 0; j < all.size(); ++j) all[j] = j;
  return FitChebyshev(*scaled, all, values);
}

}  // namespace tavrix::exports
