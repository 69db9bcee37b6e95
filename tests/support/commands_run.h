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

template <typename Request, typename Command>
Outcome Call(Command command, const Request& request) {
  std::ostringstream out, err;
  const int code = command(request, out, err);
  return {code, out.str(), err.str()};
}

// A command that reads standard input, with `input` there.
template <typename Request, typename Command>
Outcome Call(Command command, const Request& request, const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int code = command(request, in, out, err);
  return {code, out.str(), err.str()};
}

// A fit of pK(298) and A, which the fittable sheet determines.
inline cli::FitRequest FitOf(const std::string& path, bool dryRun = false) {
  cli::FitRequest request{cli::BookOptions{{path}}};
  request.fit = std::vector<std::string>{"pK298", "A"};
  request.dryRun = dryRun;
  return request;
}

}  // namespace tavrix::testing_support
