#pragma once

#include <string>
#include <vector>

namespace tavrix::cli {

// One line of comma-separated fields, a field quoted where it holds a
// comma, a quote or a line break.
inline std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string& f = fields[i];
    if (i > 0) line += ',';
    if (f.find_first_of(",\"\r\n") == std::string::npos) {
      line += f;
      continue;
    }
    line += '"';
    for (const char c : f) line += c == '"' ? std::string("\"\"") : std::string(1, c);
    line += '"';
  }
  return line + "\n";
}

}  // namespace tavrix::cli
