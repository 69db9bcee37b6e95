// The LibreOffice host against a real headless office, one for the whole
// binary; and workbooks as files: what users do to them and what happens to
// them when a command is interrupted or the office fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

#include "office_process.h"
#include "support/commands_run.h"
#include "support/data_sheet.h"
#include "support/fods.h"
#include "support/temp_folder.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/office/office_session.h"
#include "tavrix/sheet/csv_sheet.h"
#include "tavrix/sheet/memory_grid.h"
#include "uno.h"

#include <com/sun/star/frame/XStorable.hpp>

namespace tavrix {

std::unique_ptr<OfficeSession> office;  // one for all tests, started by main()

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::HasSubstr;
using testing::ThrowsMessage;
using testing_support::BuildSheet;
using testing_support::Call;
using testing_support::FitOf;
using testing_support::Fittable;
using testing_support::Fods;
using testing_support::Outcome;
using testing_support::SheetContents;
using testing_support::Type;

// Waits up to `patience` for the condition (checks once for none).
template <typename Condition>
bool Within(std::chrono::milliseconds patience, Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!condition() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  return condition();
}

class Office : public testing_support::TempFolderTest {
 protected:
  // A workbook file holding the grid's contents in its active sheet.
  std::string Workbook(const std::string& name, const MemoryGrid& grid) {
    const std::string path = PathOf(name);
    auto workbook = office->Create(path);
    OfficeSheet& sheet = workbook->Sheet("");
    for (int row = 1; row <= grid.RowCount(); ++row) {
      for (int col = 1; col <= grid.ColumnCount(row); ++col) {
        const CellContent& content = grid.At(row, col).content;
        if (!content.IsEmpty()) sheet.SetCell(row, col, content);
      }
    }
    workbook->Save();
    return path;
  }
  // Runs `work` while the tests' office is ended, and starts it anew: the
  // commands run in-process start offices of their own, and a process
  // holds one office connection at a time, as the programs do (two at once
  // sometimes cross their calls).
  static void WithoutTestOffice(const std::function<void()>& work) {
    office.reset();
    work();
    office = OfficeSession::StartPrivate();
  }
  static std::ptrdiff_t FilesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
  }
};

TEST_F(Office, CellOperationsRoundTrip) {
  auto workbook = office->Create(PathOf("cells.ods"));
  OfficeSheet& sheet = workbook->Sheet("");
  const std::tuple<int, int, CellContent, const char*> cells[] = {
      {1, 1, CellContent::Number(3.142), "3.142"},
      {1, 2, CellContent::Text("?"), "?"},
      {1, 3, CellContent::Number(1E35), "1E+35"},
      {3, 3, CellContent::Text("T, C \u00B1"), "T, C \u00B1"},
      {2, 1, CellContent::Text(""), ""},      // written over with nothing
      {9, 4, CellContent::Number(-0.5), ""},  // cleared
  };
  sheet.SetCell(2, 1, CellContent::Text("gone"));
  for (const auto& [row, col, content, shown] : cells) sheet.SetCell(row, col, content);
  sheet.ClearCells({9, 4, 9, 4});
  EXPECT_EQ(sheet.CellText(1, 1), "3.142");  // before it reached the office
  sheet.Refresh();
  for (const auto& [row, col, content, shown] : cells) EXPECT_EQ(sheet.CellText(row, col), shown);
  EXPECT_EQ(sheet.CellText(500, 50), "");
}

// A pass, clean or failed, reads and leaves the workbook as it does the
// memory grid, through the batched host and through one office call per
// operation alike; a failed one names the same cell. Formula cells read as
// what they show: their results, and an error value as text (not as the
// end of the table, nor as weight 0).
TEST_F(Office, PassGivesTheSameRecordAndCellsAsTheMemoryGrid) {
  const auto message = [](const SheetPassResult& pass) {
    return pass.read.error ? pass.read.error->Message() : std::string();
  };
  const struct {
    int row, col;
    const char* text;     // typed into the memory grid there
    std::string formula;  // in the workbook instead, if any (row 0: no change)
    // Errors stop the pass before its first write, in the parameters, or after 0 to 3 points.
  } edits[] = {{0, 0, "", ""},
               {18, 4, "-1", ""},
               {2, 4, "x", ""},
               {9, 2, "x", ""},
               {16, 2, "", ""},
               {2, 3, "NaCl", "of:=&quot;Na&quot;&amp;&quot;Cl&quot;"},
               {15, 5, "1", "of:=0.5+0.5"},
               {17, 1, "#N/A", "of:=NA()"},
               {15, 4, "#VALUE!", "of:=1+&quot;x&quot;"}};
  for (const auto& [row, col, text, formula] : edits) {
    SheetContents contents;
    contents.reference[0] = "1.23456";
    contents.initial[2] = "?";
    contents.points.push_back({"150", "", "0.9", "<", "0.5"});
    contents.points.push_back({"200", "2000", "", "0", "0.25"});
    MemoryGrid grid = BuildSheet(contents);
    if (row > 0) Type(grid, row, col, text);
    std::map<std::pair<int, int>, std::string> formulas;
    if (!formula.empty()) formulas[{row, col}] = formula;
    const std::string fods = Fods({{"Data", grid, formulas}});
    auto batched = office->Open(Write(fods, "batched.fods"));
    auto plain = office->Open(Write(fods, "plain.fods"));
    EXPECT_THROW(batched->Sheet("Nothing"), HostError);
    const SheetPassResult memory = PassOverSheet(grid, {});
    const SheetPassResult inOffice = PassOverSheet(batched->Sheet(""), {});
    const SheetPassResult unbatched = PassOverSheet(*plain->UnbatchedSheet(""), {});
    for (const SheetPassResult* pass : {&inOffice, &unbatched}) {
      EXPECT_EQ(message(*pass), message(memory));
      EXPECT_EQ(pass->evaluation.normal.matrix, memory.evaluation.normal.matrix);
      EXPECT_EQ(pass->evaluation.normal.rhs, memory.evaluation.normal.rhs);
      EXPECT_EQ(pass->evaluation.limits, memory.evaluation.limits);
      EXPECT_EQ(pass->read.sheet.reference.pK298, memory.read.sheet.reference.pK298);
      EXPECT_EQ(pass->read.sheet.points.size(), memory.read.sheet.points.size());
    }
    OfficeSheet& a = batched->Sheet("");
    OfficeSheet& b = plain->Sheet("");
    EXPECT_EQ(MarkedForFit(a, false), MarkedForFit(grid, false));
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(ShownParameter(a, i, false), ShownParameter(grid, i, false));
    a.Refresh();
    b.Refresh();
    for (int r = 1; r <= 20; ++r) {
      for (int c = 1; c <= 8; ++c) {
        EXPECT_EQ(a.CellText(r, c), grid.CellText(r, c)) << r << "," << c;
        EXPECT_EQ(b.CellText(r, c), grid.CellText(r, c)) << r << "," << c;
        EXPECT_EQ(a.NumberFormatAt(r, c), b.NumberFormatAt(r, c)) << r << "," << c;
        EXPECT_EQ(a.FontColorAt(r, c), b.FontColorAt(r, c)) << r << "," << c;
      }
    }
    if (row > 0) continue;  // the clean pass's formats
    EXPECT_EQ(a.NumberFormatAt(11, 6), "0.00");
    EXPECT_EQ(a.FontColorAt(17, 7), kRed);
    EXPECT_EQ(a.FontColorAt(18, 6), kBlack);
  }
}

// An edit of a watched sheet reaches the program as an event of the
// office's: it raises the flag while events are delivered, and only then.
TEST_F(Office, WorkbooksAreListedActivatedAndWatched) {
  const std::string first = Workbook("first.ods", BuildSheet(SheetContents{}));
  const std::string second = Workbook("second.xlsx", BuildSheet(SheetContents{}));
  SpreadsheetApp& app = office->App();
  const int before = app.WorkbookCount();
  ASSERT_TRUE(app.OpenWorkbook(first, false));
  ASSERT_TRUE(app.OpenWorkbook(second, false));
  EXPECT_FALSE(app.OpenWorkbook(PathOf("none.ods"), false));
  EXPECT_EQ(app.WorkbookCount(), before + 2);
  EXPECT_EQ(app.ActiveWorkbookName(), "second.xlsx");
  for (int i = 1; i <= app.WorkbookCount(); ++i) {
    if (app.WorkbookName(i) == "first.ods") app.ActivateWorkbook(i);
  }
  ASSERT_EQ(app.ActiveWorkbookName(), "first.ods");
  SheetHost* sheet = app.ActiveSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(app.ActiveSheetName(), "Sheet1");
  EXPECT_EQ(app.FirstWorksheet(), sheet);
  app.WatchSheet(sheet);
  app.ClearChanged();

  auto& officeSheet = static_cast<OfficeSheet&>(*sheet);
  const auto editAndWait = [&](double value) {
    officeSheet.SetCell(15, 5, CellContent::Number(value));
    officeSheet.Flush();
    return Within(3s, [&] { return app.Changed(); });
  };
  app.SetEventDelivery(false);
  EXPECT_FALSE(editAndWait(5));
  app.SetEventDelivery(true);
  EXPECT_TRUE(editAndWait(6));
}

// Every format, names a file URL must escape or that are not UTF-8 (made
// on an older system), and a decimal comma: the fit goes into the workbook
// as numbers, which the office and the table read back. (What the program
// writes under a decimal comma reads back on the in-memory grid and in CSV
// files: tests/fit.)
TEST_F(Office, FitSavesEveryFormatSoThatTheOfficeReadsItBack) {
  const std::string usual = std::setlocale(LC_NUMERIC, nullptr);
  const std::pair<const char*, char> files[] = {{"fit.ods", '.'},     {"fit.xlsx", '.'},
                                                {"fit.xls", '.'},     {"caf\xe9.ods", '.'},
                                                {"50% #1?.ods", '.'}, {"comma.ods", ','}};
  for (const auto& [name, point] : files) {
    if (point == ',') {
      ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "needs de_DE.UTF-8";
    }
    const std::string path = Workbook(name, BuildSheet(Fittable()));
    Outcome fit, table;
    WithoutTestOffice([&] {
      fit = Call(cli::RunFit, FitOf(path));
      table = Call(cli::RunSheetTable, cli::SheetTableRequest{cli::BookOptions{{path}}});
    });
    if (point == ',') std::setlocale(LC_NUMERIC, usual.c_str());
    ASSERT_EQ(fit.code, cli::kExitOk) << name << ": " << fit.err;
    EXPECT_NE(fit.out.find(std::string("fit error (F12): 0") + point), std::string::npos)
        << name << ": " << fit.out;
    ASSERT_EQ(table.code, cli::kExitOk) << name << ": " << table.err;
    EXPECT_NE(table.out.find(std::string("25") + point + "00"), std::string::npos) << table.out;
    auto workbook = office->Open(path);
    OfficeSheet& sheet = workbook->Sheet("");
    EXPECT_NE(sheet.CellText(15, 7), "") << name;
    EXPECT_EQ(sheet.NumberFormatAt(9, 6), "0.000") << name;
  }
  EXPECT_EQ(FilesIn(dir_), std::ssize(files));  // nothing left beside them
}

// The template opens as a new workbook that passes cleanly, and stays as it
// was; one that does not open is named, not the workbook to make from it.
TEST_F(Office, TheTemplateOpensAsANewWorkbookThatPassesCleanly) {
  const auto modified = fs::last_write_time(TAVRIX_TEMPLATE_PATH);
  SpreadsheetApp& app = office->App();
  ASSERT_TRUE(app.OpenWorkbook(TAVRIX_TEMPLATE_PATH, true));
  EXPECT_NE(*app.ActiveWorkbookName(), "Tavrix.xls");  // a new document, not the template itself
  auto* sheet = static_cast<OfficeSheet*>(app.ActiveSheet());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->NumberFormatAt(11, 3), "0.00");
  const SheetPassResult pass = PassOverSheet(*sheet, {});
  ASSERT_TRUE(pass.clean()) << pass.read.error->Message();
  EXPECT_EQ(pass.read.sheet.points.size(), 0u);
  sheet->Flush();
  EXPECT_EQ(fs::last_write_time(TAVRIX_TEMPLATE_PATH), modified);

  const std::string missing = PathOf("no-template.xls"), made = PathOf("made.ods");
  EXPECT_THAT([&] { office->CreateFromTemplate(missing, made, "Data"); },
              ThrowsMessage<HostError>(
                  testing::AllOf(HasSubstr("'" + missing + "'"), testing::Not(HasSubstr(made)))));
}

// An office of its own that dies, or stops answering (the watchdog ends it
// after the call's patience), mid-pass: the pass ends within 10 s with an
// unexpected error, the save after it fails and leaves the file as it was,
// and once the session ends nothing of that office is left.
TEST_F(Office, AnOfficeThatDiesOrStopsAnsweringFailsTheCallsAndLeavesNothing) {
  const struct {
    int signal;
    int patience;  // s
    const char* says;
  } cases[] = {{SIGKILL, 30, "LibreOffice ended unexpectedly"},
               {SIGSTOP, 2, "LibreOffice stopped answering and was ended"}};
  for (const auto& c : cases) {
    const std::string path = Workbook("broken.ods", BuildSheet(Fittable()));
    const auto before = fs::last_write_time(path);
    std::string profile;
    std::vector<std::string> sockets;
    WithoutTestOffice([&] {
      auto own = OfficeSession::StartPrivate();
      own->SetCallPatience(std::chrono::seconds(c.patience));
      profile = own->ProfileUrl().substr(7);
      sockets = PipeFilesOf(own->ProcessId());
      auto workbook = own->Open(path);
      OfficeSheet& sheet = workbook->Sheet("");
      ::kill(-own->ProcessId(), c.signal);
      const auto start = std::chrono::steady_clock::now();
      const SheetRead read = ReadDataSheet(sheet, {});
      EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
      EXPECT_EQ(read.error->Message() + ": " + read.error->detail,
                std::string("Unexpected error (row=1, col=1): ") + c.says);
      EXPECT_THAT(
          [&] { workbook->Save(); },
          ThrowsMessage<HostError>("LibreOffice ended unexpectedly while saving '" + path + "'"));
    });
    EXPECT_EQ(fs::last_write_time(path), before);
    EXPECT_EQ(FilesIn(dir_), 1);
    EXPECT_FALSE(fs::exists(profile));
    ASSERT_FALSE(sockets.empty());  // the pipes it listened on, and none of them left
    for (const std::string& socket : sockets) EXPECT_FALSE(fs::exists(socket)) << socket;
  }
}

TEST_F(Office, AllSheetsRunsEveryDataSheetOfAWorkbookInOneLoad) {
  SheetContents one = Fittable();
  one.points.resize(1);  // too few points for the two parameters it marks
  const auto workbook = [&](const SheetContents& more) {
    return Write(Fods({{"Data", BuildSheet(Fittable())}, {"Notes"}, {"More", BuildSheet(more)}}),
                 "three.fods");
  };
  const std::string path = workbook(Fittable());
  const cli::BookOptions all{.books = {path}, .allSheets = true};

  const cli::FitRequest fit{all, false, FitOf(path).fit};
  Outcome check, dataSheet, summary, fitted;
  WithoutTestOffice([&] {
    check = Call(cli::RunCheck, cli::CheckRequest{all});
    dataSheet = Call(cli::RunCheck, cli::CheckRequest{cli::BookOptions{{path}, false, "Data"}});
    summary = Call(cli::RunSummary, cli::SummaryRequest{{{path}}, true});
    fitted = Call(cli::RunFit, fit);
  });
  EXPECT_EQ(check.code, cli::kExitOk);
  EXPECT_EQ(check.err, path + " [Notes]: note: skipped: no data sheet ('Complex:' is not in B2)\n");
  // Every line names its sheet: the Data sheet's as --sheet Data gives them.
  ASSERT_EQ(dataSheet.code, cli::kExitOk) << dataSheet.err;
  const std::string& data = dataSheet.out;
  std::string more = data;
  for (auto at = more.find(" [Data]: "); at != std::string::npos; at = more.find(" [Data]: "))
    more.replace(at, 9, " [More]: ");
  EXPECT_EQ(check.out, data + more);
  EXPECT_EQ(data.rfind(path + " [Data]: complex: NaCl\n", 0), 0u) << data;

  EXPECT_EQ(std::count(summary.out.begin(), summary.out.end(), '\n'), 3) << summary.out;
  EXPECT_NE(summary.out.find(path + ",More,NaCl,3,"), std::string::npos) << summary.out;

  ASSERT_EQ(fitted.code, cli::kExitOk) << fitted.err;
  auto saved = office->Open(path, OfficeSession::Access::kReadOnly);
  for (const char* sheet : {"Data", "More"}) EXPECT_NE(saved->Sheet(sheet).CellText(9, 6), "");
  saved.reset();

  // A data sheet that cannot be fitted leaves the whole workbook as it was.
  const std::string before = Read(workbook(one));  // over the same file
  Outcome failed;
  WithoutTestOffice([&] { failed = Call(cli::RunFit, fit); });
  EXPECT_EQ(failed.code, cli::kExitBadInput);
  EXPECT_NE(failed.err.find("'" + path + "' is left as it was"), std::string::npos) << failed.err;
  EXPECT_EQ(Read(path), before);
}

struct ProgramRun : Outcome {
  pid_t pid = 0;
};

// Runs `tavrix ARGS` (no quotes in them) in `folder`, with TMPDIR there
// too, both open to all, with `user`'s rights when given. With `hold`,
// waits until it holds at that point, then sends it `signal`.
ProgramRun RunTavrix(const std::string& args, const fs::path& folder, const char* hold = nullptr,
                     int signal = 0, const std::string& user = "") {
  const std::string f = folder.string();
  fs::create_directories(folder / "tmp");
  fs::permissions(folder, fs::perms::all);
  fs::permissions(folder / "tmp", fs::perms::all);
  const std::string command =
      "echo $$; exec env -i TMPDIR=" + f + "/tmp PATH=/usr/bin:/bin HOME=" + f +
      (hold ? std::string(" TAVRIX_TEST_HOLD=") + hold : "") +
      (user.empty() ? "" : " setpriv --reuid=" + user + " --regid=nogroup --clear-groups --") +
      " " TAVRIX_CLI " " + args + " >" + f + "/stdout 2>" + f + "/stderr";
  FILE* shell = ::popen(command.c_str(), "r");  // the shell becomes the program
  ProgramRun run;
  EXPECT_EQ(std::fscanf(shell, "%d", &run.pid), 1);
  if (hold) {
    Within(60s,
           [&] { return Office::Read(f + "/stderr").find("holding at") != std::string::npos; });
    ::kill(run.pid, signal);
  }
  const int status = ::pclose(shell);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = Office::Read(f + "/stdout");
  run.err = Office::Read(f + "/stderr");
  return run;
}

// The processes whose command line holds each of the texts.
std::vector<pid_t> ProcessesWith(const std::vector<std::string>& texts) {
  std::vector<pid_t> found;
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    const std::string line = Office::Read(it->path() / "cmdline");
    if (std::all_of(texts.begin(), texts.end(),
                    [&](const std::string& text) { return line.find(text) != std::string::npos; }))
      found.push_back(std::atoi(it->path().filename().c_str()));
  }
  return found;
}

// A thread that kills, once they run, the processes whose command line
// holds each of the texts (with `group`, their process groups).
std::thread KillWhenSeen(const std::vector<std::string>& texts, bool group) {
  return std::thread([texts, group] {
    std::vector<pid_t> found;
    Within(60s, [&] { return !(found = ProcessesWith(texts)).empty(); });
    for (const pid_t pid : found) {
      const pid_t target = group ? -::getpgid(pid) : pid;
      if (target > 1 || target < -1) ::kill(target, SIGKILL);
    }
  });
}

// However a command ends (interrupted; killed outright, its office then
// ended all the same within 5 s; killed with what ends its office) no
// office of it runs on and nothing of it is left, at the latest after the
// next command; the workbook or CSV file is as it was. An office that ends
// before it can be reached (as one did under heavy load) is started once
// more, and the command goes on.
TEST_F(Office, InterruptedOrKilledCommandsLeaveNothingBehind) {
  const std::string workbook = Workbook("data.ods", BuildSheet(Fittable()));
  const std::string csv = PathOf("data.csv");
  SaveCsvSheet(BuildSheet(Fittable()), csv);
  const fs::path run = dir_ / "run";
  const std::string tmp = (run / "tmp").string();
  // Killed at once besides the program: its office guard, or the first office (as a whole).
  const std::vector<std::string> guard = {"tavrix-office-guard", tmp},
                                 office = {"UserInstallation=file://" + tmp};
  const auto nothingLeft = [&] { return ProcessesWith(office).empty() && fs::is_empty(tmp); };
  struct Ending {
    const char* command;
    std::string path;
    const char* hold;
    int signal;
    std::vector<std::string> alsoKilled = {};
  };
  std::vector<Ending> endings;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    for (const char* hold : {"office-start", "opened", "save"})
      endings.push_back({"fit --fit pK298,A", workbook, hold, signal});
    endings.push_back({"fit --fit pK298,A", csv, "save", signal});
  }
  endings.push_back({"fit --fit pK298,A", workbook, "opened", SIGKILL});
  endings.push_back({"fit --fit pK298,A", workbook, "opened", SIGKILL, guard});
  endings.push_back({"check", workbook, nullptr, 0, office});
  for (const auto& e : endings) {
    const auto before = fs::last_write_time(e.path);
    std::thread killer;
    if (!e.alsoKilled.empty()) killer = KillWhenSeen(e.alsoKilled, e.alsoKilled == office);
    const ProgramRun ended = RunTavrix(e.command + (" " + e.path), run, e.hold, e.signal);
    if (killer.joinable()) killer.join();
    const std::string what = e.path + " " + (e.hold ? e.hold : "") + " " + std::to_string(e.signal);
    EXPECT_EQ(ended.code, e.signal ? 128 + e.signal : 0) << what << ": " << ended.err;
    if (e.alsoKilled != guard) {
      const auto patience = std::chrono::seconds(e.signal == SIGKILL ? 5 : 0);
      EXPECT_TRUE(Within(patience, nothingLeft)) << what;
    }
    if (e.signal == SIGKILL) {
      const Outcome next = RunTavrix("check " + workbook, run);
      EXPECT_EQ(next.code, 0) << next.err;
      EXPECT_TRUE(nothingLeft()) << what;
      for (const auto& entry : fs::directory_iterator("/tmp")) {  // the pipes of its offices
        const std::string name = entry.path().filename().string();
        EXPECT_FALSE(name.rfind("OSL_PIPE_", 0) == 0 &&
                     name.find("_tavrix-" + std::to_string(ended.pid) + "-") != std::string::npos)
            << name;
      }
    }
    EXPECT_EQ(fs::last_write_time(e.path), before) << what;
    fs::remove_all(run);
    EXPECT_EQ(FilesIn(dir_), 2) << what;
  }
}

// A pipe held by something that never answers (as a stopped office holds
// it) is gone round on a pipe of this process's; an office that cannot start
// is given up and what was launched for it ended (the patience, passed on
// by the desktop, is timed there: Desktop.StartUpGivesUpOnAnOfficeThatCannotStart).
TEST_F(Office, AttachOrStartGoesRoundAHeldPipeAndGivesUpAnOfficeThatCannotStart) {
  static int n = 0;  // a pipe for each run: the tests' office goes on taking an earlier one's
  const std::string pipe = "tavrix-held-" + std::to_string(::getpid()) + "-" + std::to_string(++n);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string file = "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_" + pipe;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", file.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  const OfficeSession::Launch broken{"file:///dev/null/profile", true, 4s};
  EXPECT_THROW(OfficeSession::AttachOrStart(pipe, broken, true), HostError);
  EXPECT_TRUE(Within(1s, [&] { return ProcessesWith({"name=" + pipe}).empty(); }));
  // One launched with the tests' office's profile hands the pipe over to it.
  const auto session = OfficeSession::AttachOrStart(pipe, {office->ProfileUrl(), true}, true);
  EXPECT_EQ(session->App().WorkbookCount(), office->App().WorkbookCount());
  ::close(listener);
  fs::remove(file);
}

// A private office starts as one that ran before with the installed build,
// which spares it the work of a first start and the restart that follows:
// its profile names that build (for its extensions and their check), and a
// version not below the installed one.
TEST_F(Office, APrivateProfileIsOneOfTheInstalledBuild) {
  const std::string command = std::string(TAVRIX_SOFFICE) + " -env:UserInstallation=file://" +
                              PathOf("profile") + " --version";
  FILE* pipe = ::popen(command.c_str(), "r");
  char line[200] = "";
  const bool read = pipe && std::fgets(line, sizeof line, pipe) != nullptr;
  if (pipe) ::pclose(pipe);
  ASSERT_TRUE(read);
  // "LibreOffice 7.4.7.2 40(Build:2)"; the office compares versions by
  // major * 10 + minor.
  int major = 0, minor = 0, lastMajor = 0, lastMinor = 0;
  char build[100] = "";
  ASSERT_EQ(std::sscanf(line, "%*s %d.%d.%*s %99s", &major, &minor, build), 3) << line;
  const TemporaryProfile profile;
  const fs::path user = fs::path(profile.path()) / "user";
  const std::string registry = Read((user / "registrymodifications.xcu").string());
  const std::string key = "oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>";
  const auto at = registry.find(key);
  ASSERT_NE(at, std::string::npos) << registry;
  std::sscanf(registry.c_str() + at + key.size(), "%d.%d", &lastMajor, &lastMinor);
  EXPECT_GE(lastMajor * 10 + lastMinor, major * 10 + minor);
  EXPECT_NE(registry.find("oor:name=\"LastCompatibilityCheckID\" oor:op=\"fuse\"><value>" +
                          std::string(build) + "</value>"),
            std::string::npos);
  EXPECT_EQ(Read((user / "extensions" / "buildid").string()), build);
}

// A workbook with a password, or one the user may not write, is refused
// before anything is done; the commands that only read open the latter
// read-only, and work in a folder the user may not write.
TEST_F(Office, ProtectedAndReadOnlyWorkbooksAreRefusedButRead) {
  const std::string secret = PathOf("secret.ods");
  {
    auto workbook = office->Create(secret);  // refused when opened, whatever it holds
    uno::Guarded([&] {
      const uno::Reference<uno::css::frame::XStorable> storable(workbook->Sheet("").impl().document,
                                                                uno::UNO_QUERY_THROW);
      storable->storeToURL(
          uno::FileUrl(secret),
          uno::Properties({{"FilterName", uno::css::uno::Any(uno::OUString("calc8"))},
                           {"Password", uno::css::uno::Any(uno::OUString("x"))}}));
    });
  }
  const fs::path folder = dir_ / "shared";
  fs::create_directories(folder);
  const std::string path = Workbook("shared/data.ods", BuildSheet(Fittable()));
  Outcome fitted;
  WithoutTestOffice([&] { fitted = Call(cli::RunFit, FitOf(path)); });
  ASSERT_EQ(fitted.code, cli::kExitOk) << fitted.err;
  fs::permissions(dir_, fs::perms::all);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const auto before = fs::last_write_time(path);
  WithoutTestOffice([&] {
    for (const auto& [file, says] :
         {std::pair{secret, " is protected by a password; save a copy without one\n"},
          {path, " is read-only\n"}}) {
      const Outcome refused = Call(cli::RunFit, FitOf(file));
      EXPECT_EQ(refused.code, cli::kExitBadInput);
      EXPECT_EQ(refused.err, "'" + file + "'" + says);
    }
  });
  // As root every folder is writable: the commands then run as an ordinary user.
  const std::string user = ::geteuid() == 0 ? "nobody" : "";
  for (const char* command : {"check ", "table ", "fit --dry-run "}) {
    const Outcome run = RunTavrix(command + path, dir_ / "home", nullptr, 0, user);
    EXPECT_EQ(run.code, 0) << command << run.err;
  }
  EXPECT_EQ(fs::last_write_time(path), before);
  EXPECT_EQ(FilesIn(folder), 1);
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);  // as the programs do: a dead office's connection says so
  testing::InitGoogleTest(&argc, argv);
  tavrix::office = tavrix::OfficeSession::StartPrivate();
  const int result = RUN_ALL_TESTS();
  tavrix::office.reset();
  return result;
}
