#include "commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "point_input.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

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

TEST(WaterCommand, PrintsPressureSaturationAndDensity) {
  const Outcome run = Water({"25", "1", "100", "0.5", "400", "250", "25", "0", "100", "0", "374",
                             "0", "380", "0", "-150", "1e-15"});
  EXPECT_EQ(run.code, kExitOk);
  EXPECT_EQ(run.out,
            "25\t1\t0.0316874199\t0.997061193\n"
            "100\t0.5\t1.01325274\t0.000292506535\n"
            "400\t250\t-\t0.166632295\n"                  // no saturation above the critical point
            "25\t1\t0.0316874199\t0.997061193\n"          // 0: saturation, raised to 1 bar
            "100\t1.01325274\t1.01325274\t0.958392501\n"  // the saturated liquid
            "374\t220.661942\t220.661942\t0.389529854\n"
            "380\tP(sat) does not exist\n"
            "-150\t1e-15\t1.63292333e-14\t?\n");  // no vapour start value below 195.15 K
  EXPECT_EQ(run.err, "");
}

TEST(WaterCommand, ReadsPairsFromStandardInputAsSpreadsheetsWriteThem) {
  const std::string expected = Water({"25", "1", "100", "0.5"}).out;
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
  for (const auto& values : std::vector<std::vector<std::string>>{{"25"},
                                                                  {"25", "1", "50"},
                                                                  {"25", "one"},
                                                                  {"-273.15", "1"},
                                                                  {"-300", "1"},
                                                                  {"25", "-1"},
                                                                  {"-"}}) {
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
  const std::string text = out.str();
  EXPECT_EQ(text.substr(0, text.find('\n')),
            std::string(20, ' ') + "pK of dissociation of \"NaCl\"");
  EXPECT_NE(text.find("\n  25,00\t     -0,800\t"), std::string::npos) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.back(), '\n');

  request.species = {"a", "b", "c", "d", "e"};
  std::ostringstream out2, err2;
  EXPECT_EQ(RunTable(request, out2, err2), kExitBadInput);
  EXPECT_NE(err2.str(), "");
}

}  // namespace
}  // namespace tavrix::cli
