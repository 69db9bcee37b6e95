#pragma once

// The sheet commands run in-process on the sheet most tests fit. Needs the
// cli folder on the include path.
#include <sstream>
#include <string>

#include "commands.h"
#include "support/data_sheet.h"

namespace tavrix::testing_support {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

// A command run in-process; one that reads standard input with `input` there.
template <typename Request, typename Command, typename... Input>
Outcome Call(Command command, const Request& request, const Input&... input) {
  std::istringstream in(std::string(input...));
  std::ostringstream out, err;
  int code;
  if constexpr (sizeof...(Input) > 0) {
    code = command(request, in, out, err);
  } else {
    code = command(request, out, err);
  }
  return {code, out.str(), err.str()};
}

// A fit of pK(298) and A, which the fittable sheet determines.
inline cli::FitRequest FitOf(const std::string& path) {
  cli::FitRequest request{cli::BookOptions{{path}}};
  request.fit = std::vector<std::string>{"pK298", "A"};
  return request;
}

}  // namespace tavrix::testing_support
