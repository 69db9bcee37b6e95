#pragma once

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "point_input.h"

namespace tavrix::cli {

// The parameters as typed; read with the program's own number rules.
struct ParameterOptions {
  std::optional<std::string> pK298, A, B;
  bool AllGiven() const { return pK298 && A && B; }
  bool AnyGiven() const { return pK298 || A || B; }
};

inline void AddParameterOptions(CLI::App& command, ParameterOptions& p) {
  command.add_option("--pk298", p.pK298, "pK(298), the pK at 298.15 K");
  command.add_option("--A", p.A, "A(zz/a)");
  command.add_option("--B", p.B, "B(zz/a)");
}

// A model by name: rb or one of the density models.
inline CLI::Option* AddModelOption(CLI::App& command, std::string& model, const char* what) {
  return command.add_option("--model", model, what)
      ->check(CLI::IsMember({"rb", "density3", "density5", "density7"}))
      ->type_name("NAME");
}

// The complex's basic species, in order, for commands given parameters.
inline void AddSpeciesOption(CLI::App& command, std::vector<std::string>& species,
                             const char* what) {
  command.add_option("--species", species, what)->allow_extra_args(false);
}

// Copies the given parameters into a request. On failure says why after
// `command` and gives false.
template <typename Request>
bool TakeParameters(const ParameterOptions& p, Request& request, const char* command) {
  if (!p.AllGiven()) {
    std::cerr << command << ": --pk298, --A and --B are required\n";
    return false;
  }
  std::string error;
  const auto pK298 = ReadParameter(*p.pK298, false, error);
  const auto A = pK298 ? ReadParameter(*p.A, true, error) : std::nullopt;
  const auto B = A ? ReadParameter(*p.B, true, error) : std::nullopt;
  if (!B) {
    std::cerr << command << ": " << error << "\n";
    return false;
  }
  request.pK298 = *pK298;
  request.A = *A;
  request.B = *B;
  return true;
}

}  // namespace tavrix::cli
