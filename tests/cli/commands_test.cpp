// The commands in-process: what each prints, saves or refuses, and the exit
// code of each failure. The rules behind the sheet commands are tested on
// the in-memory grid in the engine's folders.
#include "commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "book.h"
#include "support/commands_run.h"
#include "support/temp_folder.h"
#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/sheet/csv_sheet.h"
#include "tavrix/water/water.h"

namespace tavrix::cli {
namespace {

namespace fs = std::filesystem;
using testing_support::BuildSheet;
using testing_support::Call;
using testing_support::FitOf;
using testing_support::Fittable;
using testing_support::Outcome;
using testing_support::SheetContents;

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
    const char* error;
  } bad[] = {
      {{"-"}, "t P\n25 1\n100 abc\n", "tavrix water: line 3: 'abc' is not a number\n"},
      {{"-"}, "25 1\nt P\n", "tavrix water: line 2: 't' is not a number\n"},  // a header goes first
      {{"-"}, "25x 1\n", "tavrix water: line 1: '25x' is not a number\n"},    // a typo is no header
      {{"-"}, "25 1\n100\n", "tavrix water: line 2: numbers must come in pairs, got 3\n"},
      {{"-"}, "", "tavrix water: no points given\n"},
      {{"25", "1", "50"}, "", "tavrix water: numbers must come in pairs, got 3\n"},
  };
  for (const auto& c : bad) {
    const Outcome run = Water(c.values, c.input);
    EXPECT_EQ(run.code, kExitBadInput) << c.input;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.error);
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

template <typename... Paths>
BookOptions Of(const Paths&... paths) {
  return BookOptions{{paths...}};
}

Outcome Export(const std::string& path, ExportFormat format, const std::string& to,
               std::vector<std::string> t = {}, std::vector<std::string> p = {}) {
  return Call(RunExport, ExportRequest{Of(path), to, format, std::move(t), std::move(p)});
}

Outcome Report(BookOptions books, const std::string& to) {
  return Call(RunReport, ReportRequest{std::move(books), to});
}

class BookCommands : public testing_support::TempFolderTest {
 protected:
  std::string Fitted(const std::string& name) {
    const std::string path = Sheet(name);
    EXPECT_EQ(Call(RunFit, FitOf(path)).code, kExitOk);
    return path;
  }
  std::string Sheet(const std::string& name, SheetContents contents = Fittable()) {
    const std::string path = (dir_ / name).string();
    SaveCsvSheet(BuildSheet(contents), path);
    return path;
  }
};

// A file open in another office (its lock file beside it, or beside the
// file a link leads to) is not saved over: that office's next save would
// discard the fit. Commands that only read go ahead; of the others, only a
// fit and check --write save the file.
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
  const Outcome check = Call(RunCheck, CheckRequest{Of(path)});
  EXPECT_EQ(check.code, kExitOk);
  EXPECT_EQ(check.out,
            "complex: NaCl\npoints: 3 (weighted 3, weight 0 0, \"<\" 0)\n"
            "error of the initial values (E12): ?\npK(298): ?\nA(zz/a): ?\nB(zz/a): 0.00\n");
  const Outcome dry = Call(RunFit, FitRequest{Of(path), false, std::nullopt, true});
  ASSERT_EQ(dry.code, kExitOk) << dry.err;
  EXPECT_NE(dry.out.find("B(zz/a): 0 (fixed)\n"), std::string::npos) << dry.out;
  EXPECT_EQ(Read(path), before);

  EXPECT_EQ(Call(RunCheck, CheckRequest{{.books = {path}, .ignoreLock = true}, true}).code,
            kExitOk);
  const std::string written = Read(path);  // the rewritten parameter cells
  EXPECT_NE(written, before);
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).out, check.out);
  EXPECT_EQ(Call(RunFit, FitRequest{{.books = {link}, .ignoreLock = true}}).out, dry.out);
  EXPECT_NE(Read(path), written);
}

// Why a sheet or a fit is refused is the engine's rule (tests/datasheet,
// tests/fit). The table, the exports, the report and pk --from take the fit
// the sheet shows: none before the fit or once a pK changed after it, and
// no u(pK) from a fit without degrees of freedom.
TEST_F(BookCommands, RefusalsGiveTheirExitCodeAndOneMessageAndChangeNoFile) {
  SheetContents many = Fittable(), none = Fittable(), one = Fittable();
  many.points.assign(32768, {"25", "1", "", "1", "1"});
  none.points.clear();
  one.points.resize(1);
  const std::string plain = Sheet("plain.txt"), fitted = Fitted("fitted.csv");  // .txt, .tsv:
  const std::string stale = Fitted("stale.csv"), exact = Sheet("exact.tsv");    // CSV too
  CsvSheet changed = LoadCsvSheet(stale, false);
  testing_support::Type(changed, 16, 5, "0.9");
  SaveCsvSheet(changed, stale);
  const std::vector<std::string> all = {"pK298", "A", "B"};  // to the three points
  ASSERT_EQ(Call(RunFit, FitRequest{Of(exact), false, all}).code, kExitOk);
  const std::string gone = PathOf("gone.csv"), folder = dir_.string(), target = PathOf("out.txt");
  const std::string paths[] = {Sheet("many.csv", many), Sheet("none.csv", none),
                               Sheet("one.csv", one)};
  const auto files = [&] {
    std::map<std::string, std::string> contents;
    for (const auto& file : fs::directory_iterator(dir_)) contents[file.path()] = Read(file.path());
    return contents;
  };
  const auto before = files();
  const auto fit = [](const std::string& path, std::optional<std::vector<std::string>> names = {}) {
    return Call(RunFit, FitRequest{Of(path), false, names});
  };
  const auto pk = [](const std::string& path) {
    return Call(RunPkFromBook, PkFromBookRequest{path, "", false, {"25", "1"}}, "");
  };
  const std::string notFitted = "the sheet does not show fitted parameters; run tavrix fit first\n";
  const struct {
    Outcome run;
    int code;
    std::string says;  // all it says, or a part of it without the line's end
  } cases[] = {
      {Call(RunCheck, CheckRequest{Of(plain, paths[0])}), kExitSheetError,  // two sheets: by name
       paths[0] +
           ": Unexpected error (row=32782, col=1): a data sheet holds at most 32 767 points\n"},
      {fit(gone), kExitBadInput, "'" + gone + "' does not exist\n"},
      {fit(folder), kExitBadInput, "'" + folder + "' is a folder, not a data sheet\n"},
      {fit(paths[1]), kExitBadInput,
       "nothing to fit: the sheet has no experimental points (from row 15 on)\n"},
      {fit(paths[2]), kExitBadInput,
       "cannot fit 2 parameters to 1 point; choose at most 1 with --fit (e.g. --fit pK298)\n"},
      // A fitted sheet shows A, but its initial value is still "?".
      {fit(fitted, {{"pK298"}}), kExitBadInput,
       "A(zz/a) has no initial value and cannot be held fixed; add A to --fit\n"},
      {Call(RunSheetTable, SheetTableRequest{Of(plain)}), kExitNoResultShown, notFitted},
      {Export(plain, ExportFormat::kDataTxt, target), kExitNoResultShown, notFitted},
      {Report(Of(plain), target), kExitNoResultShown, notFitted},
      {Report(Of(stale), target), kExitNoResultShown, "run tavrix fit again"},
      {pk(stale), kExitNoResultShown, "run tavrix fit again"},
      {Export(stale, ExportFormat::kGrid, target), kExitNoResultShown, "run tavrix fit again"},
      {pk(exact), kExitNoResultShown, "u(pK) is not known"},
  };
  for (const auto& [run, code, says] : cases) {
    EXPECT_EQ(run.code, code) << says;
    if (says.back() == '\n') {
      EXPECT_EQ(run.err, says);
    } else {
      EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    }
  }
  EXPECT_EQ(files(), before);
  EXPECT_EQ(cases[0].run.out.rfind(plain + ": ", 0), 0u);
  EXPECT_EQ(Export(stale, ExportFormat::kThermoFun, "").code, kExitOk);  // needs no u
}

TEST_F(BookCommands, SteamPointsAreFittedWithAWarning) {
  SheetContents contents = Fittable();
  contents.points.push_back({"25", "0.001", "", "1", "1"});
  contents.points.push_back({"300", "1", "", "1", "0.3"});
  contents.points.push_back({"705.9", "1000", "", "1", "0.2"});  // one fluid, not steam
  const std::string path = Sheet("steam.csv", contents);
  const Outcome fit = Call(RunFit, FitOf(path));
  EXPECT_EQ(fit.code, kExitOk);
  const std::string steam =
      "row 18: 25 \u00B0C at 0.001 bar is steam (saturation pressure 0.0317 bar); use 0 for "
      "saturation\n"
      "row 19: 300 \u00B0C at 1 bar is steam (saturation pressure 85.8 bar); use 0 for "
      "saturation\n";
  EXPECT_EQ(fit.err.substr(0, steam.size()), steam);  // before what the fit itself warns of
  EXPECT_EQ(Call(RunCheck, CheckRequest{Of(path)}).err, steam);
}

// The formats' texts are checked in tests/exports and against the Python
// module's in tests/python/test_sheets.py, the page's in tests/report.
TEST_F(BookCommands, ResultsGoToWholeFilesOrLeaveThemAsTheyWere) {
  const std::string path = Fitted("e.csv"), data = PathOf("data.txt"), csv = PathOf("grid.csv");
  const std::string json = Write("old", "nacl.json"), page = Write("old", "page.html");
  const Outcome printed = Export(path, ExportFormat::kThermoFun, "");
  ASSERT_EQ(printed.code, kExitOk) << printed.err;
  EXPECT_EQ(Export(path, ExportFormat::kDataTxt, data).out,
            "Added to the file 'data.txt' (" + data + ")\n");
  EXPECT_EQ(Export(path, ExportFormat::kThermoFun, json).out,
            "Wrote the ThermoFun record of 1 sheet to 'nacl.json' (" + json + ")\n");
  EXPECT_EQ(Read(json), printed.out);
  EXPECT_EQ(Report(Of(path), page).out,
            "Wrote the report of the fit to 'page.html' (" + page + ")\n");
  EXPECT_EQ(Read(page).rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(Report(Of(path), "").code, kExitOk);  // beside the sheet
  EXPECT_EQ(Read(PathOf("e.html")).size(), Read(page).size());
  ASSERT_EQ(Export(path, ExportFormat::kGrid, csv).code, kExitOk);

  for (const std::string& file : {json, page}) fs::permissions(file, fs::perms::owner_read);
  const std::string missing = PathOf("missing/data.txt");
  const std::map<std::string, std::string> before = {
      {json, Read(json)}, {page, Read(page)}, {csv, Read(csv)}};
  const struct {
    Outcome run;
    std::string says;  // how its one line begins
  } refused[] = {
      {Export(path, ExportFormat::kPhreeqc, json), "tavrix export: '" + json + "' is read-only\n"},
      {Report(Of(path), page), "'" + page + "' is read-only; the report was not written\n"},
      {Report(Of(path, path), page), ""},  // one page, of one sheet
      {Export(path, ExportFormat::kDataTxt, missing), "cannot write '" + missing + "':"},
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

}  // namespace
}  // namespace tavrix::cli
