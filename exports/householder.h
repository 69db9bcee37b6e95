#pragma once

#include <optional>
#include <vector>

namespace tavrix::exports {

using Column = std::vector<double>;

// A = QR of the columns of A by Householder reflections, Q orthogonal and R
// upper triangular: the reflections and R as the factorization left them.
struct Householder {
  std::size_t rows = 0;
  std::vector<Column> reflectors;  // reflector j over rows j..rows-1
  std::vector<Column> r;           // column j of R: its rows 0..j
};

// The QR of the columns (as many values each as there are rows, no more
// columns than rows); none when a pivot of R falls below 1e-12 of the
// largest: the columns are not independent.
std::optional<Householder> FactorQr(std::vector<Column> columns);

// Q^T x, and Q x, for x of as many values as there are rows.
Column TimesQTransposed(const Householder& qr, Column x);
Column TimesQ(const Householder& qr, Column x);

// The x of R x = y, with the first values of y (one a column of R); and
// the x of R^T x = y, padded with zeros to as many values as rows.
Column SolveR(const Householder& qr, const Column& y);
Column SolveRTransposed(const Householder& qr, const Column& y);

}  // namespace tavrix::exports
