// The sheet commands on CSV files: what each prints, saves or refuses, and
// the exit code of each failure. The rules behind them are tested on the
// in-memory grid in the engine's folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

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

// Check and a dry run print what the sheet gives and leave the file; fit
// and check --write save it.
TEST_F(BookCommands, OnlyAFitAndCheckWriteSaveTheFile) {
  const std::string path = Sheet("a.csv");
  const std::string before = Read(path);
  const Outcome check = Call(RunCheck, CheckRequest{Of(path)});
  EXPECT_EQ(check.code, kExitOk);
  EXPECT_EQ(check.out,
            "complex: NaCl\npoints: 3 (weighted 3, weight 0 0, \"<\" 0)\n"
            "error of the initial values (E12): ?\npK(298): ?\nA(zz/a): ?\nB(zz/a): 0.00\n");
  const Outcome dry = Call(RunFit, FitOf(path, true));
  ASSERT_EQ(dry.code, kExitOk) << dry.err;
  EXPECT_NE(dry.out.find("B(zz/a): 0 (fixed)\n"), std::string::npos) << dry.out;
  EXPECT_EQ(Read(path), before);

  Call(RunCheck, CheckRequest{Of(path), true});
  const std::string written = Read(path);  // the rewritten parameter cells
  EXPECT_NE(written, before);
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).out, check.out);
  EXPECT_EQ(Call(RunFit, FitOf(path)).out, dry.out);
  EXPECT_NE(Read(path), written);
}

// A file open in another office (its lock file beside it, or beside the
// file a link leads to) is not saved over: that office's next save would
// discard the fit. Commands that only read go ahead.
TEST_F(BookCommands, WritingCommandsRefuseAFileOpenInAnotherOffice) {
  const std::string path = Sheet("x.csv"), link = PathOf("link.csv");
  fs::create_symlink(path, link);
  const std::string before = Read(path);
  const std::pair<const char*, const char*> locks[] = {
      // as LibreOffice writes them
      {",jane,lab-pc,07.12.2026 15:43,file:///home/jane/.config/libreoffice/4;",
       " (by jane on lab-pc since 07.12.2026 15:43)"},
      {"Doe\\\\\\, Jane,jane,lab-pc,07.12.2026 15:43,file:///home/jane/a\\;b;",
       " (by Doe\\, Jane on lab-pc since 07.12.2026 15:43)"},
      {"", ""},  // a lock file without its line: still a lock
  };
  for (const auto& [lock, by] : locks) {
    Write(lock, ".~lock.x.csv#");
    for (const std::string& name : {path, link}) {
      const std::string refused = "'" + name + "' is open in LibreOffice" + by +
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

// Each kind of mistake: its exit code and its one message, and the file
// left as it was. Why a sheet or a fit is refused is the engine's rule
// (tests/datasheet, tests/fit); here, how each kind reaches the user.
TEST_F(BookCommands, MistakesGiveTheirExitCodeAndOneMessage) {
  SheetContents many = Fittable(), none = Fittable(), one = Fittable();
  many.points.assign(32768, {"25", "1", "", "1", "1"});
  none.points.clear();
  one.points.resize(1);
  const auto fit = [](const std::string& path, std::vector<std::string> names = {}) {
    return FitRequest{Of(path), false, names.empty() ? std::nullopt : std::optional(names)};
  };
  const std::string gone = PathOf("gone.csv");
  const struct {
    FitRequest request;
    int code;
    std::string err;
  } cases[] = {
      {fit(Sheet("many.csv", many)), kExitSheetError,
       "Unexpected error (row=32782, col=1): a data sheet holds at most 32 767 points\n"},
      {fit(gone), kExitBadInput, "'" + gone + "' does not exist\n"},
      {fit(dir_.string()), kExitBadInput,
       "'" + dir_.string() + "' is a folder, not a data sheet\n"},
      {fit(Sheet("none.csv", none)), kExitBadInput,
       "nothing to fit: the sheet has no experimental points (from row 15 on)\n"},
      {fit(Sheet("one.csv", one)), kExitBadInput,
       "cannot fit 2 parameters to 1 point; choose at most 1 with --fit (e.g. --fit pK298)\n"},
      {fit(Sheet("plain.csv"), {"pK298", "C"}), kExitBadInput,
       "unknown parameter 'C' in --fit (use pK298, A, B)\n"},
      // A fitted sheet shows A, but its initial value is still "?".
      {fit(Fitted("fitted.csv"), {"pK298"}), kExitBadInput,
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

Outcome PkFrom(const std::string& book, std::vector<std::string> values) {
  return Call(RunPkFromBook, PkFromBookRequest{book, "", false, std::move(values)}, "");
}

// The table, the exports, the report and pk --from take the fit the sheet
// shows: none before the fit or once a pK changed after it, and no u(pK)
// from a fit without degrees of freedom. They then write nothing.
TEST_F(BookCommands, ResultsNeedTheFitTheSheetShows) {
  const std::string unfitted = Sheet("unfitted.csv"), stale = Fitted("stale.csv");
  CsvSheet changed = LoadCsvSheet(stale, false);
  testing_support::Type(changed, 16, 5, "0.9");
  SaveCsvSheet(changed, stale);
  const std::string exact = Sheet("exact.csv");  // three parameters to the three points
  const std::vector<std::string> all = {"pK298", "A", "B"};
  ASSERT_EQ(Call(RunFit, FitRequest{Of(exact), false, all}).code, kExitOk);

  const std::string target = PathOf("out.txt");
  const auto run = [&](const std::string& command, const std::string& p) {
    if (command == "table") return Call(RunSheetTable, SheetTableRequest{Of(p)});
    if (command == "report") return Call(RunReport, ReportRequest{Of(p), target});
    if (command == "pk") return PkFrom(p, {"25", "1"});
    return Export(p, command == "grid" ? ExportFormat::kGrid : ExportFormat::kDataTxt, target);
  };
  const std::string notFitted = "the sheet does not show fitted parameters; run tavrix fit first\n";
  const struct {
    const std::string& path;
    const char* command;
    std::string says;
  } cases[] = {
      {unfitted, "table", notFitted},        {unfitted, "data.txt", notFitted},
      {unfitted, "report", notFitted},       {stale, "report", "run tavrix fit again"},
      {stale, "pk", "run tavrix fit again"}, {stale, "grid", "run tavrix fit again"},
      {exact, "pk", "u(pK) is not known"},   {exact, "grid", "is not known"},
  };
  for (const auto& c : cases) {
    const Outcome result = run(c.command, c.path);
    EXPECT_EQ(result.code, kExitNoResultShown) << c.path << ": " << c.command;
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(target)) << c.path << ": " << c.command;
  }
  EXPECT_EQ(Export(stale, ExportFormat::kThermoFun, "").code, kExitOk);  // needs no u
}

// Where the exports and the report go and what they say; a mistake gives
// one message and leaves every file as it was. (The formats' texts are
// checked in tests/exports and against the Python module's in
// tests/python/test_sheets.py, the page's in tests/report.)
TEST_F(BookCommands, ResultsGoToWholeFilesOrLeaveThemAsTheyWere) {
  const std::string path = Fitted("e.csv"), data = PathOf("data.txt"), csv = PathOf("grid.csv");
  const std::string json = Write("old", "nacl.json"), page = Write("old", "page.html");
  const auto report = [](BookOptions books, const std::string& to) {
    return Call(RunReport, ReportRequest{std::move(books), to});
  };
  const Outcome printed = Export(path, ExportFormat::kThermoFun, "");
  ASSERT_EQ(printed.code, kExitOk) << printed.err;
  EXPECT_EQ(Export(path, ExportFormat::kDataTxt, data).out,
            "Added to the file 'data.txt' (" + data + ")\n");
  EXPECT_EQ(Export(path, ExportFormat::kThermoFun, json).out,
            "Wrote the ThermoFun record of 1 sheet to 'nacl.json' (" + json + ")\n");
  EXPECT_EQ(Read(json), printed.out);
  EXPECT_EQ(report(Of(path), page).out,
            "Wrote the report of the fit to 'page.html' (" + page + ")\n");
  EXPECT_EQ(Read(page).rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(report(Of(path), "").code, kExitOk);  // beside the sheet
  EXPECT_EQ(Read(PathOf("e.html")).size(), Read(page).size());
  ASSERT_EQ(Export(path, ExportFormat::kGrid, csv).code, kExitOk);

  fs::permissions(json, fs::perms::owner_read);
  fs::permissions(page, fs::perms::owner_read);
  const std::string missing = PathOf("missing/data.txt"), folder = dir_.string();
  const std::map<std::string, std::string> before = {
      {json, Read(json)}, {page, Read(page)}, {csv, Read(csv)}};
  const struct {
    Outcome run;
    std::string says;  // how its one line begins
  } refused[] = {
      {Export(path, ExportFormat::kPhreeqc, json), "tavrix export: '" + json + "' is read-only\n"},
      {report(Of(path), page), "'" + page + "' is read-only; the report was not written\n"},
      {report(Of(path, path), page), ""},  // one page, of one sheet
      {Export(path, ExportFormat::kDataTxt, missing), "cannot write '" + missing + "':"},
      {Export(path, ExportFormat::kDataTxt, folder), "cannot write '" + folder + "':"},
      {Export(path, ExportFormat::kThermoFun, csv, {}, {"500"}), ""},
      {Export(path, ExportFormat::kDataTxt, csv, {"25"}), ""},
      {Export(path, ExportFormat::kGrid, csv, {"25:20:5"}), ""},
      {Export(path, ExportFormat::kGrid, csv, {}, {"-1"}), ""},
      {Export(path, ExportFormat::kPhreeqc, csv, {"0,400"}), ""},
      {Export(path, ExportFormat::kPhreeqc, csv, {"25"}), ""},
  };
  for (const auto& [run, says] : refused) {
    EXPECT_EQ(run.code, kExitBadInput) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.substr(0, says.size()), says);
  }
  for (const auto& [file, text] : before) EXPECT_EQ(Read(file), text) << file;
}

TEST_F(BookCommands, SeveralBooksAreReportedUnderTheirNames) {
  SheetContents bad = Fittable();
  bad.points[1].weight = "-2";
  const std::string good = Sheet("good.csv"), wrong = Sheet("wrong.csv", bad);
  const Outcome check = Call(RunCheck, CheckRequest{Of(good, wrong)});
  EXPECT_EQ(check.code, kExitSheetError);
  EXPECT_EQ(check.out.substr(0, good.size() + 2), good + ": ");
  EXPECT_EQ(check.err, wrong + ": Weight is negative (row=16, col=4)\n");
}

}  // namespace
}  // namespace tavrix::cli
