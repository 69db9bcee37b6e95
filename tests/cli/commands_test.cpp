#include "commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "point_input.h"
#include "support/commands_run.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

using testing_support::Call;
using testing_support::Outcome;

Outcome Water(std::vector<std::string> values, const std::string& input = "") {
  return Call(RunWater, WaterRequest{std::move(values)}, input);
}

// The values and how they are printed (pk's to ten digits, which shows that
// it holds A and B in single precision) are compared with the Python
// module's in tests/python/test_calculators.py, and so are the messages on
// values out of range; here, how the calculators read their input.
TEST(WaterCommand, ReadsPairsAsSpreadsheetsWriteThemAndRefusesTheRest) {
  const std::string expected = Water({"25", "1", "100", "0.5"}).out;
  ASSERT_EQ(expected.substr(0, expected.find('\t', 3)), "25\t1");
  for (const char* input : {"25 1\n\t100\n0.5\n", "t_C;P_bar\r\n25;1\r\n100;0.5\r\n",
                            "t, P\n25,1\n\n100,0.5", "25\t1\t100\t0.5\n"}) {
    const Outcome run = Water({"-"}, input);
    EXPECT_EQ(run.code, kExitOk) << input;
    EXPECT_EQ(run.out, expected) << input;
  }
  const struct {
    std::vector<std::string> values;
    const char* input;
    const char* error;  // null: any one message
  } bad[] = {
      {{"-"}, "t P\n25 1\n100 abc\n", "tavrix water: line 3: 'abc' is not a number\n"},
      {{"-"}, "25 1\nt P\n", "tavrix water: line 2: 't' is not a number\n"},  // a header goes first
      {{"-"}, "25x 1\n", "tavrix water: line 1: '25x' is not a number\n"},    // a typo is no header
      {{"-"}, "25 1\n100\n", "tavrix water: line 2: numbers must come in pairs, got 3\n"},
      {{"-"}, "", nullptr},
      {{"25", "1", "50"}, "", nullptr},
  };
  for (const auto& c : bad) {
    const Outcome run = Water(c.values, c.input);
    EXPECT_EQ(run.code, kExitBadInput) << c.input;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    if (c.error) {
      EXPECT_EQ(run.err, c.error);
    }
  }
}

TEST(PkCommand, EvaluatesAsTheDataSheetDoes) {
  const Outcome run =
      Call(RunPk, PkRequest{1.0, 2.0, 3.0, false, {"25", "1", "25", "0", "380", "0"}}, "");
  EXPECT_EQ(run.code, kExitOk);
  // 25 C in single precision is 298.1499939 K, so tau is 1.0000000205, and
  // Q at the program's density is about 1.7e-7.
  EXPECT_EQ(run.out,
            "25\t1\t0.997061193\t1.000000362\n"
            "25\t1\t0.997061193\t1.000000362\n"
            "380\t-\t-\t---\n");  // no saturation above the critical temperature
}

TEST(PkCommand, MarksAsTheTableButStillGivesTheNumber) {
  const auto pK = [](float rho) {
    return SignificantText(RBpK(RBPar{1.0, 1.0f, 0.0f}, KelvinOf(25), rho), 10);
  };
  PkRequest request{1.0, 1.0, 0.0, true, {"25", "0.1", "25", "1.05"}};
  EXPECT_EQ(Call(RunPk, request, "").out,
            "25\t-\t0.100000001\t" + pK(0.1f) + " gas\n25\t-\t1.04999995\t" + pK(1.05f) + "\n");
  request.species = {"Na+", "Cl-"};  // charged: a narrower range of confidence
  request.noLimits = true;
  EXPECT_EQ(Call(RunPk, request, "").out,
            "25\t-\t0.100000001\t" + pK(0.1f) + "?\n25\t-\t1.04999995\t" + pK(1.05f) + "?\n");
}

// The table's text is compared with the Python module's in tests/python;
// here, that --excel and the decimal comma reach it.
TEST(TableCommand, PrintsTheSpreadsheetForm) {
  const Outcome run =
      Call(RunTable, TableRequest{-0.8, 1.2, -300, {"Na+", "Cl-"}, "NaCl", false, true, true});
  ASSERT_EQ(run.code, kExitOk);
  EXPECT_NE(run.out.find("\n  25,00\t     -0,800\t"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tavrix::cli
