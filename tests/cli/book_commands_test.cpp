#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <tuple>

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

// A file open in another office (its lock file beside it, or beside the
// file a link leads to) is not saved over: that office's next save would
// discard the fit. Commands that only read go ahead.
TEST_F(BookCommands, WritingCommandsRefuseAFileOpenInAnotherOffice) {
  const std::string path = Sheet("x.csv");
  fs::create_directories(dir_ / "links");
  const std::string link = PathOf("links/x.csv");
  fs::create_symlink(path, link);
  const std::string before = Read(path);
  const struct {
    const char* lock;  // as LibreOffice writes it
    const char* by;
  } locks[] = {
      {",jane,lab-pc,07.12.2026 15:43,file:///home/jane/.config/libreoffice/4;",
       " (by jane on lab-pc since 07.12.2026 15:43)"},
      {"Doe\\\\\\, Jane,jane,lab-pc,07.12.2026 15:43,file:///home/jane/a\\;b;",
       " (by Doe\\, Jane on lab-pc since 07.12.2026 15:43)"},
      {"", ""},  // a lock file without its line: still a lock
  };
  for (const auto& lock : locks) {
    Write(lock.lock, ".~lock.x.csv#");
    for (const std::string& name : {path, link}) {
      const std::string refused = "'" + name + "' is open in LibreOffice" + lock.by +
                                  "; close it there first, or pass --ignore-lock\n";
      const Outcome fit = Call(RunFit, FitRequest{Of(name)});
      EXPECT_EQ(fit.code, kExitBadInput);
      EXPECT_EQ(fit.err, refused);
      EXPECT_EQ(Call(RunCheck, CheckRequest{Of(name), true}).err, refused);
    }
    EXPECT_EQ(Read(path), before);
  }
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).code, kExitOk);
  EXPECT_EQ(Call(RunFit, FitRequest{Of(path), false, std::nullopt, true}).code, kExitOk);
  EXPECT_EQ(Read(path), before);
  BookOptions over = Of(link);
  over.ignoreLock = true;
  EXPECT_EQ(Call(RunFit, FitRequest{over}).code, kExitOk);
  EXPECT_NE(Read(path), before);
}

TEST_F(BookCommands, FitRefusesToHoldAParameterWithoutValue) {
  FitRequest request{Of(Sheet("fit.csv"))};
  request.fit = std::vector<std::string>{"A"};
  const Outcome fit = Call(RunFit, request);
  EXPECT_EQ(fit.code, kExitBadInput);
  EXPECT_EQ(fit.err, "pK(298) has no initial value and cannot be held fixed; add pK298 to --fit\n");

  request.fit = std::vector<std::string>{"pK298", "C"};
  EXPECT_EQ(Call(RunFit, request).code, kExitBadInput);

  // After a fit of both, A shows a value but its initial value is still "?".
  request.fit = std::vector<std::string>{"pK298", "A"};
  ASSERT_EQ(Call(RunFit, request).code, kExitOk);
  const std::string fitted = Read(request.books.books[0]);
  request.fit = std::vector<std::string>{"pK298"};
  const Outcome hold = Call(RunFit, request);
  EXPECT_EQ(hold.code, kExitBadInput);
  EXPECT_EQ(hold.err, "A(zz/a) has no initial value and cannot be held fixed; add A to --fit\n");
  EXPECT_EQ(Read(request.books.books[0]), fitted);
}

// What the program writes reads back: overflow marks are no result, a fit
// too large for its cells is no solution, a typed value too large for its
// mask stays as typed.
TEST_F(BookCommands, ValuesTooLargeForTheirCellsNeverSpoilTheSheet) {
  SheetContents contents = Fittable();
  contents.reference[2] = "1e10";
  const char* marks[3] = {"####.###", "####.###", "#####.##"};  // as an older version wrote them
  for (int i = 0; i < 3; ++i) contents.optimized[i] = marks[i];
  contents.points[0].pK = "1e10";
  const std::string path = Sheet("big.csv", contents);
  const Outcome check = Call(RunCheck, CheckRequest{Of(path), true});
  ASSERT_EQ(check.code, kExitOk) << check.err;
  const std::string checked = Read(path);
  EXPECT_NE(checked.find("B(zz/a):,1e+10,,,1e+10,"), std::string::npos) << checked;

  FitRequest request{Of(path)};
  request.fit = std::vector<std::string>{"pK298", "A"};
  const Outcome fit = Call(RunFit, request);
  EXPECT_EQ(fit.code, kExitNoSolution);
  EXPECT_EQ(fit.err.substr(0, 38), "Could not find solution: the fit gives");
  EXPECT_EQ(Read(path), checked);
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).code, kExitOk);
}

TEST_F(BookCommands, SteamPointsAreFittedWithAWarning) {
  SheetContents contents = Fittable();
  contents.points.push_back({"25", "0.001", "", "1", "1"});
  contents.points.push_back({"300", "1", "", "1", "0.3"});
  contents.points.push_back({"705.9", "1000", "", "1", "0.2"});  // one fluid, not steam
  const std::string path = Sheet("steam.csv", contents);
  FitRequest request{Of(path)};
  request.fit = std::vector<std::string>{"pK298", "A"};
  request.dryRun = true;
  const Outcome fit = Call(RunFit, request);
  EXPECT_EQ(fit.code, kExitOk);
  const std::string steam =
      "row 18: 25 \u00B0C at 0.001 bar is steam (saturation pressure 0.0317 bar); use 0 for "
      "saturation\n"
      "row 19: 300 \u00B0C at 1 bar is steam (saturation pressure 85.8 bar); use 0 for "
      "saturation\n";
  EXPECT_EQ(fit.err.substr(0, steam.size()), steam);  // before what the fit itself warns of
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).err, steam);
}

TEST_F(BookCommands, MessagesSayWhatIsWrongAndWhatToDo) {
  SheetContents contents = Fittable();
  contents.points.assign(32768, {"25", "1", "", "1", "1"});
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(Sheet("many.csv", contents))}).err,
            "Unexpected error (row=32782, col=1): a data sheet holds at most 32 767 points\n");

  contents.points.clear();
  FitRequest none{Of(Sheet("none.csv", contents))};
  EXPECT_EQ(Call(RunFit, none).err,
            "nothing to fit: the sheet has no experimental points (from row 15 on)\n");
  contents.points = {{"25", "1", "", "1", "1"}};
  FitRequest one{Of(Sheet("one.csv", contents))};
  EXPECT_EQ(Call(RunFit, one).err,
            "cannot fit 2 parameters to 1 point; choose at most 1 with --fit (e.g. --fit pK298)\n");

  const std::string shown = Sheet("shown.csv");
  FitRequest fit{Of(shown)};
  fit.fit = std::vector<std::string>{"pK298", "A"};
  ASSERT_EQ(Call(RunFit, fit).code, kExitOk);
  for (const std::string& target : {(dir_ / "missing" / "data.txt").string(), dir_.string()}) {
    const Outcome exported = Call(RunExport, ExportRequest{Of(shown), target});
    EXPECT_EQ(exported.code, kExitBadInput);
    EXPECT_EQ(exported.err.substr(0, 16 + target.size()), "cannot write '" + target + "':");
  }
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of((dir_ / "gone.csv").string())}).err,
            "'" + (dir_ / "gone.csv").string() + "' does not exist\n");
}

// Under a decimal comma the results are numbers, so the sheet shows them
// with commas and the table, the export and the plot take them.
class DecimalCommaCommands : public BookCommands {
 protected:
  void SetUp() override {
    BookCommands::SetUp();
    saved_ = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "needs the de_DE.UTF-8 locale";
  }
  void TearDown() override {
    std::setlocale(LC_NUMERIC, saved_.c_str());
    BookCommands::TearDown();
  }
  std::string saved_;
};

TEST_F(DecimalCommaCommands, FitTableExportAndPlotWork) {
  const std::string path = Sheet("comma.csv");
  FitRequest fit{Of(path)};
  fit.fit = std::vector<std::string>{"pK298", "A"};
  const Outcome fitted = Call(RunFit, fit);
  ASSERT_EQ(fitted.code, kExitOk) << fitted.err;
  EXPECT_NE(fitted.out.find("fit error (F12): 0,"), std::string::npos) << fitted.out;
  EXPECT_EQ(Read(path).find("\"  "), std::string::npos);  // no padded number text

  const Outcome table = Call(RunSheetTable, SheetTableRequest{Of(path)});
  ASSERT_EQ(table.code, kExitOk) << table.err;
  EXPECT_NE(table.out.find("25,00"), std::string::npos) << table.out;
  const std::string target = (dir_ / "data.txt").string();
  ASSERT_EQ(Call(RunExport, ExportRequest{Of(path), target}).code, kExitOk);
  EXPECT_NE(Read(target).find(" pK(298): "), std::string::npos);
#ifdef TAVRIX_WITH_PLOT
  const std::string picture = (dir_ / "fit.svg").string();
  const Outcome plot = Call(RunPlot, PlotRequest{Of(path), picture});
  EXPECT_EQ(plot.code, kExitOk) << plot.err;
  EXPECT_TRUE(fs::exists(picture));
#endif
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
  EXPECT_EQ(fit.err, "Could not find solution: the points do not determine pK(298) and A(zz/a)\n");
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

// The export of a fitted sheet in a code's format.
Outcome Export(const std::string& path, ExportFormat format, const std::string& to,
               std::vector<std::string> t = {}, std::vector<std::string> p = {}) {
  ExportRequest request{Of(path), to, format, std::move(t), std::move(p)};
  return Call(RunExport, request);
}

TEST_F(BookCommands, ExportsForCodesWriteWholeFilesOrLeaveThemAsTheyWere) {
  const std::string path = Sheet("e.csv");
  EXPECT_EQ(Export(path, ExportFormat::kThermoFun, "").code, kExitNoResultShown);
  FitRequest fit{Of(path)};
  fit.fit = std::vector<std::string>{"pK298", "A"};
  ASSERT_EQ(Call(RunFit, fit).code, kExitOk);

  const Outcome printed = Export(path, ExportFormat::kThermoFun, "");
  ASSERT_EQ(printed.code, kExitOk) << printed.err;
  EXPECT_NE(printed.out.find("\"equation\": \"NaCl@ = Na+ + Cl-\""), std::string::npos);
  const std::string json = Write("old", "nacl.json");
  EXPECT_EQ(Export(path, ExportFormat::kThermoFun, json).out,
            "Wrote the ThermoFun record of 1 sheet to 'nacl.json' (" + json + ")\n");
  EXPECT_EQ(Read(json), printed.out);

  const Outcome grid = Export(path, ExportFormat::kGrid, "", {"25:100:25"}, {"0", "500"});
  ASSERT_EQ(grid.code, kExitOk) << grid.err;
  EXPECT_EQ(std::count(grid.out.begin(), grid.out.end(), '\n'), 5 + 4 * 2);
  const std::string csv = (dir_ / "grid.csv").string();
  ASSERT_EQ(Export(path, ExportFormat::kGrid, csv).code, kExitOk);
  EXPECT_NE(Read(csv).find("t_C,P_bar,density_g_cm3,logK,u_logK,mark,extrapolated\n0.01,1.01325,"),
            std::string::npos);
  EXPECT_NE(Export(path, ExportFormat::kPhreeqc, "", {"0", "250"}).out.find("from 0 to 250 C"),
            std::string::npos);

  // Mistakes leave the files as they were.
  fs::permissions(json, fs::perms::owner_read);
  const Outcome readOnly = Export(path, ExportFormat::kPhreeqc, json);
  EXPECT_EQ(readOnly.code, kExitBadInput);
  EXPECT_EQ(readOnly.err, "tavrix export: '" + json + "' is read-only\n");
  EXPECT_EQ(Read(json), printed.out);
  for (const auto& [format, t, p] : {std::tuple{ExportFormat::kThermoFun, "", "500"},
                                     {ExportFormat::kDataTxt, "25", ""},
                                     {ExportFormat::kGrid, "25:20:5", ""},
                                     {ExportFormat::kGrid, "", "-1"},
                                     {ExportFormat::kPhreeqc, "0,400", ""},
                                     {ExportFormat::kPhreeqc, "25", ""}}) {
    const auto list = [](const std::string& text) {
      return text.empty() ? std::vector<std::string>{} : std::vector<std::string>{text};
    };
    const Outcome wrong = Export(path, format, csv, list(t), list(p));
    EXPECT_EQ(wrong.code, kExitBadInput) << t << " " << p;
    EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1) << wrong.err;
  }
  EXPECT_NE(Read(csv).find("t_C,P_bar"), std::string::npos);
}

TEST_F(BookCommands, ReportWritesOnePageOrLeavesTheFileAsItWas) {
  const std::string path = Sheet("r.csv");
  const std::string page = Write("old", "page.html");
  const auto Report = [&](BookOptions books, const std::string& output) {
    return Call(RunReport, ReportRequest{std::move(books), output});
  };
  EXPECT_EQ(Report(Of(path), page).code, kExitNoResultShown);
  EXPECT_EQ(Read(page), "old");
  FitRequest fit{Of(path)};
  fit.fit = std::vector<std::string>{"pK298", "A"};
  const Outcome fitted = Call(RunFit, fit);
  ASSERT_EQ(fitted.code, kExitOk);

  const Outcome written = Report(Of(path), page);
  ASSERT_EQ(written.code, kExitOk) << written.err;
  EXPECT_EQ(written.out, "Wrote the report of the fit to 'page.html' (" + page + ")\n");
  const std::string html = Read(page);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  // pK(298) as tavrix fit printed it.
  const std::string pK298 = fitted.out.substr(9, fitted.out.find(" \u00B1") - 9);
  EXPECT_NE(html.find("data-parameter=\"pK298\">" + pK298 + "<"), std::string::npos) << pK298;
  EXPECT_EQ(Report(Of(path), "").code, kExitOk);  // beside the sheet
  EXPECT_EQ(Read((dir_ / "r.html").string()).size(), html.size());

  fs::permissions(page, fs::perms::owner_read);
  const Outcome readOnly = Report(Of(path), page);
  EXPECT_EQ(readOnly.code, kExitBadInput);
  EXPECT_EQ(readOnly.err, "'" + page + "' is read-only; the report was not written\n");
  EXPECT_EQ(Report(Of(path, path), page).code, kExitBadInput);
  CsvSheet sheet = LoadCsvSheet(path, false);
  testing_support::Type(sheet, 16, 5, "0.9");  // a pK changed after the fit
  SaveCsvSheet(sheet, path);
  const Outcome stale = Report(Of(path), (dir_ / "stale.html").string());
  EXPECT_EQ(stale.code, kExitNoResultShown);
  EXPECT_NE(stale.err.find("run tavrix fit again"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "stale.html"));
}

TEST_F(BookCommands, UncertaintiesNeedTheSheetsPointsToGiveItsFit) {
  const std::string path = Sheet("u.csv");
  FitRequest fit{Of(path)};
  fit.fit = std::vector<std::string>{"pK298", "A"};
  ASSERT_EQ(Call(RunFit, fit).code, kExitOk);
  const auto Pk = [&](const std::string& book, std::vector<std::string> values) {
    return Call([](const PkFromBookRequest& r, std::ostream& out,
                   std::ostream& err) { return RunPkFromBook(r, std::cin, out, err); },
                PkFromBookRequest{book, "", false, std::move(values)});
  };
  // At 25 C and 1 bar pK is pK(298) (Q is 2e-5 there), and u(pK) its ±.
  const Outcome pK = Pk(path, {"25", "1", "300", "0"});
  ASSERT_EQ(pK.code, kExitOk) << pK.err;
  std::istringstream lines(pK.out);
  std::string line;
  std::getline(lines, line);
  std::vector<std::string> fields;
  std::istringstream columns(line);
  for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
  ASSERT_EQ(fields.size(), 5u) << line;
  CsvSheet sheet = LoadCsvSheet(path, false);
  EXPECT_NEAR(std::stod(fields[3]), std::stod(sheet.CellText(9, 6)), 1e-4);
  EXPECT_NEAR(std::stod(fields[4]), std::stod(sheet.CellText(9, 7)), 6e-4);

  testing_support::Type(sheet, 16, 5, "0.9");  // a pK changed after the fit
  SaveCsvSheet(sheet, path);
  const Outcome stale = Pk(path, {"25", "1"});
  EXPECT_EQ(stale.code, kExitNoResultShown);
  EXPECT_NE(stale.err.find("run tavrix fit again"), std::string::npos);
  EXPECT_EQ(Export(path, ExportFormat::kGrid, "").code, kExitNoResultShown);
  EXPECT_EQ(Export(path, ExportFormat::kThermoFun, "").code, kExitOk);  // needs no u

  // Three parameters fitted to the three points: no degrees of freedom, no u.
  const std::string exact = Sheet("exact.csv");
  FitRequest all{Of(exact)};
  all.fit = std::vector<std::string>{"pK298", "A", "B"};
  ASSERT_EQ(Call(RunFit, all).code, kExitOk);
  const Outcome unknown = Pk(exact, {"25", "1"});
  EXPECT_EQ(unknown.code, kExitNoResultShown);
  EXPECT_NE(unknown.err.find("u(pK) is not known"), std::string::npos) << unknown.err;
  EXPECT_EQ(Export(exact, ExportFormat::kGrid, "").code, kExitNoResultShown);
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
