#include "tavrix/sheet/csv_dialect.h"

namespace tavrix {

std::string SeparatorName(char separator) {
  return separator == '\t' ? "tab" : std::string("'") + separator + "'";
}

}  // namespace tavrix
