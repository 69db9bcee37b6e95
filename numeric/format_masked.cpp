#include "tavrix/numeric/format_masked.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace tavrix {
namespace {

// The mask is read with 1-based positions, as the layout rules count them.
class MaskText {
 public:
  explicit MaskText(std::string_view mask) : text_(mask) {}
  long Length() const { return static_cast<long>(text_.size()); }
  char At(long pos) const { return pos >= 1 && pos <= Length() ? text_[pos - 1] : '\0'; }
  void Put(long pos, char c) { text_[pos - 1] = c; }
  void PutDigit(long pos, double d) { Put(pos, static_cast<char>('0' + static_cast<int>(d))); }
  bool HoldsAt(long pos, std::string_view what) const {
    return pos >= 1 && pos - 1 + static_cast<long>(what.size()) <= Length() &&
           std::string_view(text_).substr(pos - 1, what.size()) == what;
  }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

}  // namespace

std::string FormatMasked(std::string_view mask, double x) {
  const std::string unchanged(mask);
  if (!std::isfinite(x)) return unchanged;

  MaskText out(mask);
  const long L = out.Length();

  // 1. The number field starts at the first '#'.
  const auto hash = mask.find('#');
  if (hash == std::string_view::npos) return unchanged;
  const long f = static_cast<long>(hash) + 1;

  // 2. Sign position and the start of the digit field.
  long signPos = 0;
  char sign = '\0';
  long start = f;
  if (f > 1 && out.At(f - 1) == '+') {
    signPos = f - 1;
    sign = x < 0 ? '-' : '+';
  } else if (x < 0) {
    signPos = f;
    sign = '-';
    start = f + 1;
    if (start > L) return unchanged;
  }

  // 3. The field must begin with a digit position.
  if (out.At(start) != '#') return unchanged;

  // 4.
  if (sign != '\0') out.Put(signPos, sign);
  x = std::fabs(x);

  // 5. Integer positions: the run of '#' from the field start.
  long e = start;
  while (out.At(e + 1) == '#') ++e;

  // 6. Fraction positions after a decimal point that is not the mask's end.
  const bool hasPoint = e < L && out.At(e + 1) == '.' && e + 1 < L;
  long k = 0;
  double r = 0.5;
  if (hasPoint) {
    while (out.At(e + 2 + k) == '#') ++k;
    for (long i = 0; i < k; ++i) r = r / 10;
  }

  // 7. Exponent form: scale x into [1, 10) before rounding.
  const long p = hasPoint ? e + 2 + k : e + 1;
  const bool exponentForm = out.HoldsAt(p, "^^^^") && (!hasPoint || L - p >= 3);
  long n = 0;
  if (exponentForm && x != 0) {
    while (x < 1 - r / 10) {
      x = 10 * x;
      n = n - 1;
    }
    while (x >= 10 - r) {
      x = x / 10;
      n = n + 1;
    }
  }

  // 8. Half-up rounding on the stored double value.
  x = x + r;
  double I = std::floor(x);
  x = x - I;
  if (!std::isfinite(x) || !std::isfinite(I)) return unchanged;

  // 9. Integer digits from the right; what is left over does not fit.
  for (long pos = e; pos >= start; --pos) {
    out.PutDigit(pos, std::fmod(I, 10));  // I - 10 floor(I / 10), exact at any size
    I = std::floor(I / 10);
  }
  if (I > 0) return unchanged;

  // 10. Leading zeros become blanks; the sign moves up to the first digit kept.
  const std::string lead = sign != '\0' ? std::string{' ', sign} : std::string{' '};
  long pos = start;
  while (out.At(pos) == '0' && pos < e) {
    ++pos;
    const long from = pos - static_cast<long>(lead.size());
    for (std::size_t i = 0; i < lead.size(); ++i) out.Put(from + static_cast<long>(i), lead[i]);
  }

  // 11. Fraction digits.
  for (long i = 0; i < k; ++i) {
    x = 10 * x;
    const double d = std::floor(x);
    x = x - d;
    out.PutDigit(e + 2 + i, d);
  }

  // 12. Exponent.
  if (exponentForm) {
    out.Put(p, 'E');
    out.Put(p + 1, n >= 0 ? '+' : '-');
    const long magnitude = std::labs(n);
    if (magnitude > 99) return unchanged;
    out.PutDigit(p + 2, static_cast<double>(magnitude / 10));
    out.PutDigit(p + 3, static_cast<double>(magnitude % 10));
  }

  return out.str();
}

}  // namespace tavrix
