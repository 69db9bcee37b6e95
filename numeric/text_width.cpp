#include "tavrix/numeric/text_width.h"

#include <algorithm>

namespace tavrix {
namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Decodes the character starting at s[i] and moves i past it. A malformed
// byte becomes U+FFFD and counts as one character.
char32_t Decode(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra == 0) {
    ++i;
    return lead;
  }
  if (extra < 0) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= s.size() || !IsContinuation(static_cast<unsigned char>(s[i + k]))) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  }
  i += extra + 1;
  return c;
}

void Encode(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::size_t CharCount(std::string_view s) {
  return ToChars(s).size();
}

std::u32string ToChars(std::string_view utf8) {
  std::u32string chars;
  for (std::size_t i = 0; i < utf8.size();) chars += Decode(utf8, i);
  return chars;
}

std::string FromChars(std::u32string_view chars) {
  std::string out;
  for (const char32_t c : chars) Encode(c, out);
  return out;
}

std::string FitToWidth(std::string_view s, std::size_t width) {
  std::u32string chars = ToChars(s);
  chars.resize(width, U' ');
  return FromChars(chars);
}

std::string_view TrimBlanks(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return TrimTrailingBlanks(s.substr(first));
}

std::string_view TrimTrailingBlanks(std::string_view s) {
  const auto last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

std::vector<std::string> AlignedColumns(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    if (widths.size() < row.size()) widths.resize(row.size());
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], CharCount(row[c]));
  }
  std::vector<std::string> lines;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c)
      line += (c > 0 ? "  " : "") + FitToWidth(row[c], widths[c]);
    lines.emplace_back(TrimTrailingBlanks(line));
  }
  return lines;
}

}  // namespace tavrix
