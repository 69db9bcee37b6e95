#pragma once

#include <ostream>

#include "tavrix/sheet/csv_dialect.h"

namespace tavrix {

// A dialect as a failing test shows it: "';' decimal comma, encoding 3,
// byte-order mark, line end \r\n".
inline void PrintTo(const CsvDialect& dialect, std::ostream* out) {
  *out << SeparatorName(dialect.separator) << (dialect.decimalComma ? " decimal comma" : " point")
       << ", encoding " << static_cast<int>(dialect.encoding)
       << (dialect.byteOrderMark ? ", byte-order mark" : "")
       << (dialect.newline == "\r\n" ? ", line end \\r\\n" : "");
}

}  // namespace tavrix
