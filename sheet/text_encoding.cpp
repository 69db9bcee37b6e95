#include "text_encoding.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "tavrix/sheet/sheet_host.h"

namespace tavrix {
namespace {

using Encoding = CsvDialect::Encoding;

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr std::uint64_t kHighBits = 0x8080808080808080u;
constexpr std::size_t kUtf8MarkSize = 3;

// Windows-1252 from 0x80 to 0x9F; the undefined bytes keep their number.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  const auto byte = [&](char32_t b) { out += static_cast<char>(b); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xC0 | (c >> 6));
    byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    byte(0xE0 | (c >> 12));
    byte(0x80 | ((c >> 6) & 0x3F));
    byte(0x80 | (c & 0x3F));
  } else {
    byte(0xF0 | (c >> 18));
    byte(0x80 | ((c >> 12) & 0x3F));
    byte(0x80 | ((c >> 6) & 0x3F));
    byte(0x80 | (c & 0x3F));
  }
}

// The code point that begins at `at`, which then moves past it; nothing
// when the bytes there are no valid UTF-8 (overlong forms and surrogates
// included).
std::optional<char32_t> NextCodePoint(const std::string& text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  std::size_t length = 0;
  char32_t c = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    return std::nullopt;
  }
  if (at + length > text.size()) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  at += length;
  return c;
}

bool IsUtf8(const std::string& text, std::size_t from) {
  for (std::size_t at = from; at < text.size();) {
    // Runs of ASCII, the bulk of a data sheet, eight bytes at a time.
    std::uint64_t eight = 0;
    while (at + 8 <= text.size() &&
           (std::memcpy(&eight, text.data() + at, 8), eight & kHighBits) == 0) {
      at += 8;
    }
    if (at < text.size() && !NextCodePoint(text, at)) return false;
  }
  return true;
}

std::string FromWindows1252(const std::string& bytes, std::size_t from) {
  std::string text;
  text.reserve(bytes.size() - from + bytes.size() / 16);
  for (std::size_t i = from; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    AppendUtf8(text, b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char32_t{b});
  }
  return text;
}

DecodedText FromUtf16(const std::string& bytes, bool bigEndian) {
  DecodedText decoded{"", bigEndian ? Encoding::kUtf16Be : Encoding::kUtf16Le, std::nullopt};
  decoded.text.reserve(bytes.size() / 2 + bytes.size() / 8);
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (first << 8) | second : (second << 8) | first;
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xDC00 && c <= 0xDFFF) break;
    if (c >= 0xD800 && c <= 0xDBFF) {
      const char32_t low = i + 3 < bytes.size() ? unit(i + 2) : 0;
      if (low < 0xDC00 || low > 0xDFFF) break;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(decoded.text, c);
  }
  if (i < bytes.size()) decoded.invalidFrom = decoded.text.size();
  return decoded;
}

std::string ToUtf16(const std::string& text, bool bigEndian) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  const auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  };
  for (std::size_t at = 0; at < text.size();) {
    const std::optional<char32_t> c = NextCodePoint(text, at);
    if (!c) throw HostError("its text is not valid UTF-8");
    if (*c < 0x10000) {
      unit(*c);
    } else {
      unit(0xD800 + ((*c - 0x10000) >> 10));
      unit(0xDC00 + ((*c - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

std::string ToWindows1252(const std::string& text) {
  std::string bytes;
  std::size_t at = text.rfind(kUtf8Mark, 0) == 0 ? kUtf8MarkSize : 0;
  bytes.reserve(text.size());
  bytes.append(text, 0, at);  // the mark a file may have before such text
  while (at < text.size()) {
    const std::size_t start = at;
    const std::optional<char32_t> c = NextCodePoint(text, at);
    if (!c) throw HostError("its text is not valid UTF-8");
    if (*c < 0x80 || (*c >= 0xA0 && *c <= 0xFF)) {
      bytes += static_cast<char>(*c);
      continue;
    }
    std::size_t b = 0;
    while (b < kWindows1252High.size() && kWindows1252High[b] != *c) ++b;
    if (b == kWindows1252High.size()) {
      throw HostError("'" + text.substr(start, at - start) +
                      "' cannot be written in its encoding, Windows-1252");
    }
    bytes += static_cast<char>(0x80 + b);
  }
  return bytes;
}

}  // namespace

DecodedText DecodeText(std::string bytes) {
  if (bytes.rfind("\xFF\xFE", 0) == 0) return FromUtf16(bytes, false);
  if (bytes.rfind("\xFE\xFF", 0) == 0) return FromUtf16(bytes, true);
  const std::size_t mark = bytes.rfind(kUtf8Mark, 0) == 0 ? kUtf8MarkSize : 0;
  if (IsUtf8(bytes, mark)) return {std::move(bytes), Encoding::kUtf8, std::nullopt};
  return {std::string(bytes, 0, mark) + FromWindows1252(bytes, mark), Encoding::kWindows1252,
          std::nullopt};
}

std::string EncodeText(std::string text, CsvDialect::Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf16Le:
      return ToUtf16(text, false);
    case Encoding::kUtf16Be:
      return ToUtf16(text, true);
    case Encoding::kWindows1252:
      return ToWindows1252(text);
    case Encoding::kUtf8:
      break;
  }
  return text;
}

}  // namespace tavrix
