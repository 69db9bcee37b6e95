// The sheet commands on CSV files: what each prints, saves or refuses, and
// the exit code of each failure. The rules behind them are tested on the
// in-memory grid in the engine's folders.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <iostream>
#include <tuple>

#include "book.h"
#include "support/commands_run.h"
#include "support/temp_folder.h"
#include "tavrix/sheet/csv_sheet.h"

namespace tavrix::cli {
namespace {

namespace fs = std::filesystem;
using testing_support::BuildSheet;
using testing_support::Call;
using testing_support::FitOf;
using testing_support::Fittable;
using testing_support::Outcome;
using testing_support::SheetContents;

template <typename... Paths>
BookOptions Of(const Paths&... paths) {
  return BookOptions{{paths...}};
}

// The export of a fitted sheet in a code's format.
Outcome Export(const std::string& path, ExportFormat format, const std::string& to,
               std::vector<std::string> t = {}, std::vector<std::string> p = {}) {
  return Call(RunExport, ExportRequest{Of(path), to, format, std::move(t), std::move(p)});
}

class BookCommands : public testing_support::TempFolderTest {
 protected:
  // The fittable sheet, fitted and saved.
  std::string Fitted(const std::string& name) {
    const std::string path = Sheet(name);
    EXPECT_EQ(Call(RunFit, FitOf(path)).code, kExitOk);
    return path;
  }
  // The sheet saved as a CSV file.
  std::string Sheet(const std::string& name, SheetContents contents = Fittable()) {
    const std::string path = (dir_ / name).string();
    SaveCsvSheet(BuildSheet(contents), path);
    return path;
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

TEST_F(BookCommands, FitSavesTheResultUnlessItIsADryRun) {
  const std::string path = Sheet("fit.csv");
  const std::string before = Read(path);
  const Outcome dry = Call(RunFit, FitOf(path, true));
  ASSERT_EQ(dry.code, kExitOk) << dry.err;
  EXPECT_NE(dry.out.find("pK(298): "), std::string::npos);
  EXPECT_NE(dry.out.find("B(zz/a): 0 (fixed)\n"), std::string::npos) << dry.out;
  EXPECT_EQ(Read(path), before);

  EXPECT_EQ(Call(RunFit, FitOf(path)).out, dry.out);
  EXPECT_NE(Read(path), before);
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

// Each mistake the commands meet: its exit code and its one message, and
// the file left as it was. (Why the fit refuses is the fit's own rule.)
TEST_F(BookCommands, MistakesGiveTheirExitCodeAndOneMessage) {
  SheetContents many = Fittable(), none = Fittable(), one = Fittable(), unnamed = Fittable();
  many.points.assign(32768, {"25", "1", "", "1", "1"});
  none.points.clear();
  one.points.resize(1);
  unnamed.complex = "";
  const auto fit = [](const std::string& path, std::vector<std::string> names) {
    FitRequest request{Of(path)};
    if (!names.empty()) request.fit = std::move(names);
    return request;
  };
  const std::string fitted = Fitted("fitted.csv"), plain = Sheet("plain.csv");
  const std::string gone = PathOf("gone.csv");
  const struct {
    FitRequest request;
    int code;
    std::string err;
  } cases[] = {
      {fit(Sheet("unnamed.csv", unnamed), {}), kExitSheetError,
       "Missing mandatory data (row=2, col=3)\n"},
      {fit(Sheet("many.csv", many), {}), kExitSheetError,
       "Unexpected error (row=32782, col=1): a data sheet holds at most 32 767 points\n"},
      {fit(gone, {}), kExitBadInput, "'" + gone + "' does not exist\n"},
      {fit(dir_.string(), {}), kExitBadInput,
       "'" + dir_.string() + "' is a folder, not a data sheet\n"},
      {fit(Sheet("none.csv", none), {}), kExitBadInput,
       "nothing to fit: the sheet has no experimental points (from row 15 on)\n"},
      {fit(Sheet("one.csv", one), {}), kExitBadInput,
       "cannot fit 2 parameters to 1 point; choose at most 1 with --fit (e.g. --fit pK298)\n"},
      {fit(plain, {"A"}), kExitBadInput,
       "pK(298) has no initial value and cannot be held fixed; add pK298 to --fit\n"},
      {fit(plain, {"pK298", "C"}), kExitBadInput,
       "unknown parameter 'C' in --fit (use pK298, A, B)\n"},
      // A fitted sheet shows A, but its initial value is still "?".
      {fit(fitted, {"pK298"}), kExitBadInput,
       "A(zz/a) has no initial value and cannot be held fixed; add A to --fit\n"},
  };
  for (const auto& c : cases) {
    const std::string& path = c.request.books.books[0];
    const std::string before = Read(path);
    const Outcome run = Call(RunFit, c.request);
    EXPECT_EQ(run.code, c.code) << path;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(Read(path), before) << path;
  }
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

  const Outcome fit = Call(RunFit, FitOf(path));
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
  const Outcome fit = Call(RunFit, FitOf(path, true));
  EXPECT_EQ(fit.code, kExitOk);
  const std::string steam =
      "row 18: 25 \u00B0C at 0.001 bar is steam (saturation pressure 0.0317 bar); use 0 for "
      "saturation\n"
      "row 19: 300 \u00B0C at 1 bar is steam (saturation pressure 85.8 bar); use 0 for "
      "saturation\n";
  EXPECT_EQ(fit.err.substr(0, steam.size()), steam);  // before what the fit itself warns of
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).err, steam);
}

// Under a decimal comma the results are numbers, so the sheet shows them
// with commas and the table, the export and the plot take them.
TEST_F(BookCommands, UnderADecimalCommaFitTableExportAndPlotWork) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "needs the de_DE.UTF-8 locale";
  const std::string path = Sheet("comma.csv");
  const Outcome fitted = Call(RunFit, FitOf(path));
  EXPECT_EQ(fitted.code, kExitOk) << fitted.err;
  EXPECT_NE(fitted.out.find("fit error (F12): 0,"), std::string::npos) << fitted.out;
  EXPECT_EQ(Read(path).find("\"  "), std::string::npos);  // no padded number text
  const Outcome table = Call(RunSheetTable, SheetTableRequest{Of(path)});
  EXPECT_NE(table.out.find("25,00"), std::string::npos) << table.err;
  const std::string target = PathOf("data.txt");
  EXPECT_EQ(Export(path, ExportFormat::kDataTxt, target).code, kExitOk);
  EXPECT_NE(Read(target).find(" pK(298): "), std::string::npos);
#ifdef TAVRIX_WITH_PLOT
  const std::string picture = PathOf("fit.svg");
  EXPECT_EQ(Call(RunPlot, PlotRequest{Of(path), picture}).code, kExitOk);
  EXPECT_TRUE(fs::exists(picture));
#endif
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST_F(BookCommands, TableAndExportNeedAShownFit) {
  const std::string path = Sheet("t.csv");
  const Outcome table = Call(RunSheetTable, SheetTableRequest{Of(path)});
  EXPECT_EQ(table.code, kExitNoResultShown);
  EXPECT_EQ(table.err, "the sheet does not show fitted parameters; run tavrix fit first\n");
  const std::string target = PathOf("data.txt");
  EXPECT_EQ(Export(path, ExportFormat::kDataTxt, target).code, kExitNoResultShown);
  EXPECT_FALSE(fs::exists(target));

  ASSERT_EQ(Call(RunFit, FitOf(path)).code, kExitOk);
  EXPECT_NE(Call(RunSheetTable, SheetTableRequest{Of(path)}).out.find("pK of dissociation"),
            std::string::npos);
  const Outcome exported = Export(path, ExportFormat::kDataTxt, target);
  EXPECT_EQ(exported.code, kExitOk) << exported.err;
  EXPECT_EQ(exported.out, "Added to the file 'data.txt' (" + target + ")\n");
  EXPECT_EQ(Read(target).substr(0, 15), "Complex: NaCl\r\n");
}

// The formats' texts are checked in tests/exports and against the Python
// module's; here, where they go and what is refused.
TEST_F(BookCommands, ExportsForCodesWriteWholeFilesOrLeaveThemAsTheyWere) {
  const std::string path = Fitted("e.csv");
  const Outcome printed = Export(path, ExportFormat::kThermoFun, "");
  ASSERT_EQ(printed.code, kExitOk) << printed.err;
  const std::string json = Write("old", "nacl.json");
  EXPECT_EQ(Export(path, ExportFormat::kThermoFun, json).out,
            "Wrote the ThermoFun record of 1 sheet to 'nacl.json' (" + json + ")\n");
  EXPECT_EQ(Read(json), printed.out);
  const std::string csv = PathOf("grid.csv");
  ASSERT_EQ(Export(path, ExportFormat::kGrid, csv).code, kExitOk);
  EXPECT_NE(Read(csv).find("t_C,P_bar,density_g_cm3,logK,u_logK,mark,extrapolated\n0.01,1.01325,"),
            std::string::npos);

  // Mistakes leave the files as they were.
  fs::permissions(json, fs::perms::owner_read);
  const Outcome readOnly = Export(path, ExportFormat::kPhreeqc, json);
  EXPECT_EQ(readOnly.code, kExitBadInput);
  EXPECT_EQ(readOnly.err, "tavrix export: '" + json + "' is read-only\n");
  EXPECT_EQ(Read(json), printed.out);
  for (const std::string& target : {PathOf("missing/data.txt"), dir_.string()}) {
    const Outcome exported = Export(path, ExportFormat::kDataTxt, target);
    EXPECT_EQ(exported.code, kExitBadInput);
    EXPECT_EQ(exported.err.substr(0, 16 + target.size()), "cannot write '" + target + "':");
  }
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

// The page's contents are checked in tests/report.
TEST_F(BookCommands, ReportWritesOnePageOrLeavesTheFileAsItWas) {
  const std::string path = Sheet("r.csv");
  const std::string page = Write("old", "page.html");
  const auto Report = [&](BookOptions books, const std::string& output) {
    return Call(RunReport, ReportRequest{std::move(books), output});
  };
  EXPECT_EQ(Report(Of(path), page).code, kExitNoResultShown);
  EXPECT_EQ(Read(page), "old");
  ASSERT_EQ(Call(RunFit, FitOf(path)).code, kExitOk);

  const Outcome written = Report(Of(path), page);
  ASSERT_EQ(written.code, kExitOk) << written.err;
  EXPECT_EQ(written.out, "Wrote the report of the fit to 'page.html' (" + page + ")\n");
  const std::string html = Read(page);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(Report(Of(path), "").code, kExitOk);  // beside the sheet
  EXPECT_EQ(Read(PathOf("r.html")).size(), html.size());

  fs::permissions(page, fs::perms::owner_read);
  const Outcome readOnly = Report(Of(path), page);
  EXPECT_EQ(readOnly.code, kExitBadInput);
  EXPECT_EQ(readOnly.err, "'" + page + "' is read-only; the report was not written\n");
  EXPECT_EQ(Report(Of(path, path), page).code, kExitBadInput);
  CsvSheet sheet = LoadCsvSheet(path, false);
  testing_support::Type(sheet, 16, 5, "0.9");  // a pK changed after the fit
  SaveCsvSheet(sheet, path);
  const Outcome stale = Report(Of(path), PathOf("stale.html"));
  EXPECT_EQ(stale.code, kExitNoResultShown);
  EXPECT_NE(stale.err.find("run tavrix fit again"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "stale.html"));
}

TEST_F(BookCommands, UncertaintiesNeedTheSheetsPointsToGiveItsFit) {
  const std::string path = Fitted("u.csv");
  const auto Pk = [&](const std::string& book, std::vector<std::string> values) {
    return Call([](const PkFromBookRequest& r, std::ostream& out,
                   std::ostream& err) { return RunPkFromBook(r, std::cin, out, err); },
                PkFromBookRequest{book, "", false, std::move(values)});
  };
  // At 25 C and 1 bar pK is pK(298) (Q is 2e-5 there), and u(pK) its ±.
  const Outcome pK = Pk(path, {"25", "1", "300", "0"});
  ASSERT_EQ(pK.code, kExitOk) << pK.err;
  std::istringstream line(pK.out.substr(0, pK.out.find('\n')));
  std::vector<std::string> fields;
  for (std::string field; std::getline(line, field, '\t');) fields.push_back(field);
  ASSERT_EQ(fields.size(), 5u) << pK.out;
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
