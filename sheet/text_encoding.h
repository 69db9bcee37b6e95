#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "tavrix/sheet/csv_dialect.h"

namespace tavrix {

// The text of a file as UTF-8, and the encoding it was found in. A
// byte-order mark stays at the start of the text as U+FEFF.
struct DecodedText {
  std::string text;
  CsvDialect::Encoding encoding = CsvDialect::Encoding::kUtf8;
  // Where the bytes stop being UTF-16 although they begin with its mark:
  // the text then ends there.
  std::optional<std::size_t> invalidFrom;
};

// Decodes a file's bytes: UTF-16 when they begin with its byte-order mark,
// UTF-8 when they are valid UTF-8 (with or without its mark), else
// Windows-1252. The five bytes Windows-1252 leaves undefined become the
// control characters of the same number (0x81 is U+0081), so that every
// byte comes back when the text is encoded again. Consumes the bytes.
DecodedText DecodeText(std::string bytes);

// Encodes UTF-8 text in the encoding. Throws HostError when the text holds
// a character the encoding cannot write, or is not valid UTF-8 where it
// must be converted.
std::string EncodeText(std::string text, CsvDialect::Encoding encoding);

}  // namespace tavrix
