#include "commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "point_input.h"
#include "support/commands_run.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

using testing_support::Outcome;

// Runs a calculator on the request with `input` as standard input.
template <typename Request>
Outcome Run(int (*command)(const Request&, std::istream&, std::ostream&, std::ostream&),
            const Request& request, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int code = command(request, in, out, err);
  return {code, out.str(), err.str()};
}
Outcome Water(std::vector<std::string> values, const std::string& input = "") {
  return Run(RunWater, WaterRequest{std::move(values)}, input);
}
Outcome Pk(const PkRequest& request) {
  return Run(RunPk, request);
}

// The values and how they are printed are compared with the Python
// module's in tests/python; here, how the calculators read their input.
TEST(WaterCommand, ReadsPairsFromStandardInputAsSpreadsheetsWriteThem) {
  const std::string expected = Water({"25", "1", "100", "0.5"}).out;
  ASSERT_EQ(expected.substr(0, expected.find('\t', 3)), "25\t1");
  for (const char* input : {"25 1\n\t100\n0.5\n", "t_C;P_bar\r\n25;1\r\n100;0.5\r\n",
                            "t, P\n25,1\n\n100,0.5", "25\t1\t100\t0.5\n"}) {
    const Outcome run = Water({"-"}, input);
    EXPECT_EQ(run.code, kExitOk) << input;
    EXPECT_EQ(run.out, expected) << input;
  }
  const struct {
    const char* input;
    const char* error;
  } bad[] = {
      {"t P\n25 1\n100 abc\n", "tavrix water: line 3: 'abc' is not a number\n"},
      {"25 1\nt P\n", "tavrix water: line 2: 't' is not a number\n"},  // a header goes first
      {"25x 1\n", "tavrix water: line 1: '25x' is not a number\n"},    // a typo is no header
      {"25 1\n100\n", "tavrix water: line 2: numbers must come in pairs, got 3\n"},
  };
  for (const auto& c : bad) {
    const Outcome run = Water({"-"}, c.input);
    EXPECT_EQ(run.code, kExitBadInput);
    EXPECT_EQ(run.err, c.error);
  }
}

TEST(WaterCommand, RejectsBadInputOnStandardError) {
  for (const auto& values : std::vector<std::vector<std::string>>{
           {"25"}, {"25", "1", "50"}, {"25", "one"}, {"-273.15", "1"}, {"25", "-1"}, {"-"}}) {
    const Outcome run = Water(values, "");
    EXPECT_EQ(run.code, kExitBadInput);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
  }
}

TEST(PkCommand, EvaluatesAsTheDataSheetDoes) {
  PkRequest request{1.0, 2.0, 3.0, false, {"25", "1", "25", "0", "380", "0"}};
  const Outcome run = Pk(request);
  EXPECT_EQ(run.code, kExitOk);
  // 25 C in single precision is 298.1499939 K, so tau is 1.0000000205, and
  // Q at the program's density is about 1.7e-7.
  EXPECT_EQ(run.out,
            "25\t1\t0.997061193\t1.000000362\n"
            "25\t1\t0.997061193\t1.000000362\n"
            "380\t-\t-\t---\n");  // no saturation above the critical temperature
}

TEST(PkCommand, HoldsAAndBInSinglePrecision) {
  // 0.1 is no single-precision number: the printed pK shows which was used.
  PkRequest request{0.0, 0.1, 0.0, true, {"25", "0.5"}};
  const double Q = RBBasis(KelvinOf(25), 0.5f).Q;
  const std::string out = Pk(request).out;
  const std::string pK = out.substr(out.rfind('\t') + 1);
  EXPECT_EQ(pK, SignificantText(0.1f * Q, 10) + "\n");
  EXPECT_NE(pK, SignificantText(0.1 * Q, 10) + "\n");
}

TEST(PkCommand, MarksAsTheTableButStillGivesTheNumber) {
  const RBPar par{1.0, 1.0f, 0.0f};
  const auto pK = [&](float t, float rho) {
    return SignificantText(RBpK(par, KelvinOf(t), rho), 10);
  };
  PkRequest request{1.0, 1.0, 0.0, true, {"25", "0.1", "25", "1.05"}};
  EXPECT_EQ(Pk(request).out, "25\t-\t0.100000001\t" + pK(25, 0.1f) + " gas\n" +
                                 "25\t-\t1.04999995\t" + pK(25, 1.05f) + "\n");
  request.species = {"Na+", "Cl-"};  // charged: a narrower range of confidence
  request.noLimits = true;
  EXPECT_EQ(Pk(request).out, "25\t-\t0.100000001\t" + pK(25, 0.1f) + "?\n" + "25\t-\t1.04999995\t" +
                                 pK(25, 1.05f) + "?\n");
  request.values = {"25", "0"};
  EXPECT_EQ(Pk(request).code, kExitBadInput);
}

// The table's text is compared with the Python module's in tests/python;
// here, that --excel and the decimal comma reach it.
TEST(TableCommand, PrintsTheSpreadsheetForm) {
  TableRequest request;
  request.pK298 = -0.8;
  request.A = 1.2;
  request.B = -300;
  request.species = {"Na+", "Cl-"};
  request.complex = "NaCl";
  request.forExcel = true;
  request.decComma = true;
  std::ostringstream out, err;
  ASSERT_EQ(RunTable(request, out, err), kExitOk);
  EXPECT_NE(out.str().find("\n  25,00\t     -0,800\t"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace tavrix::cli
