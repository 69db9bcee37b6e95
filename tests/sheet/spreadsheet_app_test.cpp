#include "tavrix/sheet/spreadsheet_app.h"

#include <gtest/gtest.h>

#include "support/data_sheet.h"

namespace tavrix {
namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;

MemoryApp AppWithFiles() {
  MemoryApp app;
  std::vector<std::pair<std::string, MemoryGrid>> data;
  data.emplace_back("Sheet1", BuildSheet(SheetContents{}));
  app.AddFile("/data/Results.xls", std::move(data));
  std::vector<std::pair<std::string, MemoryGrid>> chart;
  chart.emplace_back("Chart1", MemoryGrid());
  app.AddFile("/data/chart.xls", std::move(chart));
  return app;
}

TEST(MemoryApp, OpensActivatesAndNamesWorkbooks) {
  MemoryApp app = AppWithFiles();
  EXPECT_FALSE(app.ActiveWorkbookName().has_value());
  EXPECT_EQ(app.ActiveSheet(), nullptr);
  EXPECT_FALSE(app.OpenWorkbook("/data/none.xls", false));

  ASSERT_TRUE(app.OpenWorkbook("/data/Results.xls", false));
  ASSERT_TRUE(app.OpenWorkbook("/data/Results.xls", true));  // a new document from it
  EXPECT_EQ(app.WorkbookCount(), 2);
  EXPECT_EQ(app.WorkbookName(1), "Results.xls");
  EXPECT_EQ(app.ActiveWorkbookName(), "Untitled 1");
  app.ActivateWorkbook(1);
  EXPECT_EQ(app.ActiveWorkbookName(), "Results.xls");
  EXPECT_EQ(app.ActiveSheetName(), "Sheet1");
  EXPECT_THROW(app.ActivateWorkbook(3), HostError);

  // The template's document is a copy: editing it leaves the file's sheet alone.
  app.ActivateWorkbook(2);
  app.ActiveSheet()->SetCell(1, 1, CellContent::Text("changed"));
  app.ActivateWorkbook(1);
  EXPECT_EQ(app.ActiveSheet()->CellText(1, 1), "Dissociation of NaCl");
}

TEST(MemoryApp, EditsOfTheWatchedSheetRaiseTheFlagOnlyWhileEventsAreDelivered) {
  MemoryApp app = AppWithFiles();
  ASSERT_TRUE(app.OpenWorkbook("/data/Results.xls", false));
  SheetHost* sheet = app.ActiveSheet();
  app.WatchSheet(sheet);

  app.SetEventDelivery(false);
  app.UserEdit(sheet, 15, 5, CellContent::Number(1));
  EXPECT_FALSE(app.Changed());
  app.SetEventDelivery(true);
  app.UserEdit(sheet, 15, 5, CellContent::Number(2));
  EXPECT_TRUE(app.Changed());

  Problem problem;
  HeadlessView view;
  SheetPassOnActive(problem, app, *sheet, view);
  EXPECT_FALSE(app.Changed());
  EXPECT_EQ(problem.BookName, "Results.xls");
  EXPECT_EQ(view.caption, "Results: Sheet1");
  EXPECT_EQ(problem.PtPK[1], 2.0f);
}

TEST(MemoryApp, AChartSheetIsNoWorksheet) {
  MemoryApp app = AppWithFiles();
  ASSERT_TRUE(app.OpenWorkbook("/data/chart.xls", false));
  app.books().back().sheets.front().grid.reset();
  EXPECT_EQ(app.ActiveSheet(), nullptr);
  EXPECT_EQ(app.FirstWorksheet(), nullptr);

  app.CloseWorkbook(1);
  EXPECT_EQ(app.WorkbookCount(), 0);
  Problem problem;
  HeadlessView view;
  MemoryGrid grid;
  EXPECT_THROW(SheetPassOnActive(problem, app, grid, view), HostError);
}

}  // namespace
}  // namespace tavrix
