#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tavrix::cli {

// Exit codes of the calculators.
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;

struct WaterRequest {
  std::vector<std::string> values;  // t P pairs, or "-" for standard input
};

struct PkRequest {
  double pK298 = 0;
  double A = 0;
  double B = 0;
  bool density = false;             // the second number of a pair is rho
  std::vector<std::string> values;  // t P (or t rho) pairs, or "-"
};

struct TableRequest {
  double pK298 = 0;
  double A = 0;
  double B = 0;
  std::vector<std::string> species;
  std::string complex;
  bool noLimits = false;
  bool decComma = false;
  bool forExcel = false;
};

int RunWater(const WaterRequest& request, std::istream& in, std::ostream& out, std::ostream& err);
int RunPk(const PkRequest& request, std::istream& in, std::ostream& out, std::ostream& err);
int RunTable(const TableRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tavrix::cli
