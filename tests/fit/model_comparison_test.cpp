// The models side by side: a model without enough points is not fitted,
// and the "<" limit search works for any model up to seven parameters and
// three limits held. (Parameters, AICc and its difference from the best,
// BIC, the leave-one-out error and the largest difference from RB are
// checked against NumPy in tests/python/test_models.py.)
#include "tavrix/fit/model_comparison.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/fitted_sheet.h"
#include "tavrix/water/water.h"

namespace tavrix {
namespace {

using testing_support::NumberText;
using testing_support::SheetContents;

constexpr ParameterChoice kAll{true, true, true};

// The model's pK at t (C) and P (bar).
double PkOf(const FittedModel& model, float t, float P) {
  const float T = KelvinOf(t);
  return model.Pk(T, WaterDensity(T, P));
}

// Points of the model at 25-575 C and 500-3000 bar, each moved by up to
// `noise`; with `limits`, three more points as "<" limits 0.3 below the
// model, far apart.
SheetContents DataOf(const FittedModel& model, double noise, int count = 36, bool limits = false) {
  SheetContents contents;
  contents.points.clear();
  const float pressures[] = {500, 1500, 3000};
  for (int k = 0; k < count; ++k) {
    const float t = 25.0f + 50.0f * static_cast<float>(k % 12);
    const float P = pressures[(k / 12) % 3];
    const double pK = PkOf(model, t, P) + noise * std::sin(1.7 * k + 0.3);
    contents.points.push_back({NumberText(t), NumberText(P), "", "1", NumberText(pK)});
  }
  for (int j = 0; limits && j < 3; ++j) {
    const float t = 25.0f + 275.0f * static_cast<float>(j);
    const double pK = PkOf(model, t, pressures[j]) - 0.3;
    contents.points.push_back({NumberText(t), NumberText(pressures[j]), "", "<", NumberText(pK)});
  }
  return contents;
}

struct Compared : testing_support::FittedSheet {
  explicit Compared(const SheetContents& contents, bool limits = false) : FittedSheet(contents) {
    std::vector<const Model*> models;
    for (const Model& model : Models()) models.push_back(&model);
    rows = CompareModels(pass.read.sheet, pass.evaluation, models, {kAll, limits});
  }
  const ComparedModel& Row(const char* name) const {
    for (const ComparedModel& row : rows) {
      if (std::string(row.fit.model->name) == name) return row;
    }
    throw std::logic_error(name);
  }
  std::vector<ComparedModel> rows;
};

TEST(CompareModels, AModelWithoutMorePointsThanParametersIsNotFitted) {
  const FittedModel density3{ModelNamed("density3"), {0.5, -450, -8.5}};
  const Compared compared(DataOf(density3, 0.02, 6));
  const ComparedModel& density7 = compared.Row("density7");
  EXPECT_FALSE(density7.fit);
  EXPECT_EQ(density7.fit.reason, "density7 needs more than 7 weighted points; the sheet has 6");
  EXPECT_TRUE(std::isnan(density7.statistics.aicc));
  EXPECT_TRUE(compared.Row("density5").fit);  // 5 parameters to 6 points, without AICc
  EXPECT_TRUE(std::isnan(compared.Row("density5").statistics.aicc));
  const TextTable table = ComparisonTable(compared.rows, false);
  EXPECT_EQ(table.rows.back().back(), "not fitted: " + density7.fit.reason);
}

TEST(CompareModels, EveryModelKeepsItsUpperLimits) {
  // Three "<" points far below density7's own data: each must be held,
  // with seven parameters and three limits in the work matrix.
  const FittedModel density7{ModelNamed("density7"),
                             {-2.6, 4744, -2.56e6, 3.89e8, -20.9, 16332, -4.63e6}};
  const Compared compared(DataOf(density7, 0.001, 36, true), true);
  for (const ComparedModel& row : compared.rows) {
    ASSERT_TRUE(row.fit) << row.fit.model->name << ": " << row.fit.reason;
    for (const int k : compared.pass.evaluation.limits) {
      const double calculated = *row.fit.errors.points[static_cast<std::size_t>(k)].calculated;
      EXPECT_LE(calculated, compared.pass.read.sheet.points[static_cast<std::size_t>(k)].pK + 1e-4)
          << row.fit.model->name;
    }
  }
  EXPECT_EQ(compared.Row("density7").fit.activeLimits, compared.pass.evaluation.limits);
}

}  // namespace
}  // namespace tavrix
