#include <string>

#include "tavrix/sheet/problem.h"

namespace tavrix {

std::string ErrorMessage(int code) {
  static const char* const kMessages[] = {
      "",
      "Unexpected error",
      "Format error or incorrect keyword",
      "Missing mandatory data",
      "T/P/D out of range",
      "P(sat) does not exist",
      "Weight is negative",
      "Invalid data format",
      "Cell must be empty",
      "Wrong complex composition",
      "No complex composition",
      "Define pressure or density",
      "Could not calculate density",
  };
  if (code < 0 || code > kNoDensity) return "";
  return kMessages[code];
}

}  // namespace tavrix
