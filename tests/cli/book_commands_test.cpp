#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "book.h"
#include "commands.h"
#include "support/data_sheet.h"
#include "support/temp_folder.h"
#include "tavrix/sheet/csv_sheet.h"

namespace tavrix::cli {
namespace {

namespace fs = std::filesystem;
using testing_support::BuildSheet;
using testing_support::SheetContents;

template <typename... Paths>
BookOptions Of(const Paths&... paths) {
  return BookOptions{{paths...}};
}

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

class BookCommands : public testing_support::TempFolderTest {
 protected:
  // A data sheet with three points that fix pK(298) and A (B held at 0).
  std::string Sheet(const std::string& name, SheetContents contents = Fittable()) {
    const std::string path = (dir_ / name).string();
    SaveCsvSheet(BuildSheet(contents), path);
    return path;
  }
  static SheetContents Fittable() {
    SheetContents contents;
    contents.reference[0] = "?";
    contents.reference[1] = "?";
    contents.reference[2] = "0";
    contents.points = {{"25", "1", "", "1", "1"},
                       {"100", "1000", "", "1", "0.8"},
                       {"250", "1000", "", "1", "0.5"}};
    return contents;
  }
};

TEST_F(BookCommands, CheckReportsTheSheetAndLeavesTheFile) {
  const std::string path = Sheet("a.csv");
  const std::string before = Read(path);
  const Outcome check = Call(RunCheck, CheckRequest{Of(path)});
  EXPECT_EQ(check.code, kExitOk);
  EXPECT_EQ(check.out,
            "complex: NaCl\npoints: 3 (weighted 3, weight 0 0, \"<\" 0)\n"
            "error of the initial values (E12): ?\npK(298): ?\nA(zz/a): ?\nB(zz/a): 0.00\n");
  EXPECT_EQ(Read(path), before);

  Call(RunCheck, CheckRequest{Of(path), true});
  EXPECT_NE(Read(path), before);  // --write keeps the rewritten parameter cells
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).out, check.out);
}

TEST_F(BookCommands, DataSheetErrorsGoToStandardError) {
  SheetContents contents = Fittable();
  contents.complex = "";
  const Outcome check = Call(RunCheck, CheckRequest{Of(Sheet("bad.csv", contents))});
  EXPECT_EQ(check.code, kExitSheetError);
  EXPECT_EQ(check.err, "Missing mandatory data (row=2, col=3)\n");
  EXPECT_EQ(check.out, "");

  const Outcome missing = Call(RunCheck, CheckRequest{Of((dir_ / "none.csv").string())});
  EXPECT_EQ(missing.code, kExitBadInput);
  EXPECT_NE(missing.err.find("none.csv"), std::string::npos);
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of((dir_ / "x.ods").string())}).code, kExitBadInput);
}

TEST_F(BookCommands, FitSavesTheResultUnlessItIsADryRun) {
  const std::string path = Sheet("fit.csv");
  const std::string before = Read(path);
  FitRequest request{Of(path)};
  request.fit = std::vector<std::string>{"pK298", "A"};
  request.dryRun = true;
  const Outcome dry = Call(RunFit, request);
  ASSERT_EQ(dry.code, kExitOk) << dry.err;
  EXPECT_NE(dry.out.find("pK(298): "), std::string::npos);
  EXPECT_NE(dry.out.find("B(zz/a): 0 (fixed)\n"), std::string::npos) << dry.out;
  EXPECT_EQ(Read(path), before);

  request.dryRun = false;
  EXPECT_EQ(Call(RunFit, request).out, dry.out);
  EXPECT_NE(Read(path), before);
  // The saved sheet shows its fit: the table and the export take it.
  const Outcome table = Call(RunSheetTable, SheetTableRequest{Of(path)});
  EXPECT_EQ(table.code, kExitOk) << table.err;
  EXPECT_NE(table.out.find("pK of dissociation of \"NaCl\""), std::string::npos);
}

TEST_F(BookCommands, FitRefusesToHoldAParameterWithoutValue) {
  FitRequest request{Of(Sheet("fit.csv"))};
  request.fit = std::vector<std::string>{"A"};
  const Outcome fit = Call(RunFit, request);
  EXPECT_EQ(fit.code, kExitBadInput);
  EXPECT_EQ(fit.err, "pK(298) has no initial value and cannot be held fixed; add pK298 to --fit\n");

  request.fit = std::vector<std::string>{"pK298", "C"};
  EXPECT_EQ(Call(RunFit, request).code, kExitBadInput);
}

TEST_F(BookCommands, NoSolutionLeavesTheFileAlone) {
  SheetContents contents = Fittable();
  for (auto& point : contents.points) point.weight = "0";  // nothing weighted: a zero pivot
  const std::string path = Sheet("none.csv", contents);
  const std::string before = Read(path);
  FitRequest request{Of(path)};
  request.fit = std::vector<std::string>{"pK298", "A"};
  const Outcome fit = Call(RunFit, request);
  EXPECT_EQ(fit.code, kExitNoSolution);
  EXPECT_EQ(fit.err, "Could not find solution\n");
  EXPECT_EQ(Read(path), before);
}

TEST_F(BookCommands, TableAndExportNeedAShownFit) {
  const std::string path = Sheet("t.csv");
  const Outcome table = Call(RunSheetTable, SheetTableRequest{Of(path)});
  EXPECT_EQ(table.code, kExitNoResultShown);
  EXPECT_EQ(table.err, "the sheet does not show fitted parameters; run tavrix fit first\n");
  const std::string target = (dir_ / "data.txt").string();
  EXPECT_EQ(Call(RunExport, ExportRequest{Of(path), target}).code, kExitNoResultShown);
  EXPECT_FALSE(fs::exists(target));

  FitRequest fit{Of(path)};
  fit.fit = std::vector<std::string>{"pK298", "A"};
  ASSERT_EQ(Call(RunFit, fit).code, kExitOk);
  const Outcome exported = Call(RunExport, ExportRequest{Of(path), target});
  EXPECT_EQ(exported.code, kExitOk) << exported.err;
  EXPECT_EQ(exported.out, "Added to the file 'data.txt' (" + target + ")\n");
  EXPECT_EQ(Read(target).substr(0, 15), "Complex: NaCl\r\n");
}

TEST_F(BookCommands, SeveralBooksAreReportedUnderTheirNames) {
  SheetContents bad = Fittable();
  bad.points[1].weight = "-2";
  const std::string good = Sheet("good.csv");
  const std::string wrong = Sheet("wrong.csv", bad);
  const Outcome check = Call(RunCheck, CheckRequest{Of(good, wrong)});
  EXPECT_EQ(check.code, kExitSheetError);
  EXPECT_EQ(check.out.substr(0, good.size() + 2), good + ": ");
  EXPECT_EQ(check.err, wrong + ": Weight is negative (row=16, col=4)\n");
}

}  // namespace
}  // namespace tavrix::cli
