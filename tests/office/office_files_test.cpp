// Workbooks as files: what users do to them and what happens to them when
// a command is interrupted or the office fails.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "book.h"
#include "commands.h"
#include "office_fixture.h"
#include "office_process.h"
#include "support/commands_run.h"
#include "support/csv_dialect.h"
#include "support/data_sheet.h"
#include "support/fods.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/sheet/csv_sheet.h"
#include "uno.h"

#include <com/sun/star/frame/XStorable.hpp>

extern char** environ;

namespace tavrix {
namespace {

namespace fs = std::filesystem;
using testing_support::BuildSheet;
using testing_support::Call;
using testing_support::FitOf;
using testing_support::Fittable;
using testing_support::Fods;
using testing_support::Outcome;
using testing_support::SheetContents;

// A run of the program: its outcome and its process.
struct ProgramRun : testing_support::Outcome {
  pid_t pid = 0;
};

TEST_F(Office, CellsWithErrorValuesReadAsWhatTheyShow) {
  SheetContents contents = Fittable();
  for (int k = 0; k < 30; ++k) contents.points.push_back({"50", "1", "", "1", "0.9"});
  const MemoryGrid grid = BuildSheet(contents);
  const struct {
    std::pair<int, int> cell;
    const char* formula;
    const char* message;
  } cases[] = {
      {{17, 1}, "of:=NA()", "Invalid data format (row=17, col=1)"},  // not the end of the table
      {{15, 4}, "of:=1+&quot;x&quot;", "Invalid data format (row=15, col=4)"},  // no weight 0
  };
  for (const auto& c : cases) {
    const std::string path = Write(Fods({{"Data", grid, {{c.cell, c.formula}}}}), "errors.fods");
    auto workbook = office->Open(path, OfficeSession::Access::kReadOnly);
    const SheetRead read = ReadDataSheet(workbook->Sheet(""), {});
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->Message(), c.message);
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
  const std::string note =
      path + " [Notes]: note: skipped: no data sheet ('Complex:' is not in B2)\n";
  cli::BookOptions all{{path}};
  all.allSheets = true;

  const Outcome check = Call(cli::RunCheck, cli::CheckRequest{all});
  EXPECT_EQ(check.code, cli::kExitOk);
  EXPECT_EQ(check.err, note);
  std::istringstream lines(check.out);  // every line names its sheet
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(line.rfind(path + " [Data]: ", 0) == 0 || line.rfind(path + " [More]: ", 0) == 0)
        << line;
  }
  EXPECT_NE(check.out.find(path + " [More]: complex: NaCl"), std::string::npos) << check.out;
  cli::BookOptions named{{path}, false, "Data"};
  EXPECT_EQ(Call(cli::RunCheck, cli::CheckRequest{named}).out.rfind(path + " [Data]: ", 0), 0u);

  const Outcome summary = Call(cli::RunSummary, cli::SummaryRequest{{{path}}, true});
  EXPECT_EQ(std::count(summary.out.begin(), summary.out.end(), '\n'), 3) << summary.out;
  EXPECT_NE(summary.out.find(path + ",More,NaCl,3,"), std::string::npos) << summary.out;

  cli::FitRequest fit = FitOf(path);
  fit.books = all;
  EXPECT_EQ(Call(cli::RunFit, fit).code, cli::kExitOk);
  auto saved = office->Open(path, OfficeSession::Access::kReadOnly);
  for (const char* sheet : {"Data", "More"}) EXPECT_NE(saved->Sheet(sheet).CellText(9, 6), "");
  saved.reset();

  // A data sheet that cannot be fitted leaves the whole workbook as it was.
  const std::string failing = workbook(one);
  const std::string before = Read(failing);
  const Outcome failed = Call(cli::RunFit, fit);
  EXPECT_EQ(failed.code, cli::kExitBadInput);
  EXPECT_NE(failed.err.find("'" + path + "' is left as it was"), std::string::npos) << failed.err;
  EXPECT_EQ(Read(failing), before);
}

TEST_F(Office, APasswordProtectedWorkbookSaysSo) {
  const std::string path = PathOf("secret.ods");
  {
    auto workbook = office->Create(path);
    CopyInto(BuildSheet(Fittable()), workbook->Sheet(""));
    uno::Guarded([&] {
      const uno::Reference<uno::css::frame::XStorable> storable(workbook->Sheet("").impl().document,
                                                                uno::UNO_QUERY_THROW);
      storable->storeToURL(
          uno::FileUrl(path),
          uno::Properties({{"FilterName", uno::css::uno::Any(uno::OUString("calc8"))},
                           {"Password", uno::css::uno::Any(uno::OUString("x"))}}));
    });
  }
  const Outcome check = Call(cli::RunCheck, cli::CheckRequest{cli::BookOptions{{path}}});
  EXPECT_EQ(check.code, cli::kExitBadInput);
  EXPECT_EQ(check.err, "'" + path + "' is protected by a password; save a copy without one\n");
}

// A workbook the user may not write is refused before anything is done.
TEST_F(Office, AReadOnlyWorkbookIsRefused) {
  const std::string path = Workbook("read-only.ods", BuildSheet(Fittable()));
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  const auto before = fs::last_write_time(path);
  const Outcome refused = Call(cli::RunFit, FitOf(path));
  EXPECT_EQ(refused.code, cli::kExitBadInput);
  EXPECT_EQ(refused.err, "'" + path + "' is read-only\n");
  EXPECT_EQ(fs::last_write_time(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(Office, AnOfficeThatEndsBeforeTheSaveLeavesTheFileAsItWas) {
  const std::string path = Workbook("ended.ods", BuildSheet(Fittable()));
  const auto before = fs::last_write_time(path);
  std::string profile;
  std::vector<std::string> sockets;
  {
    auto own = OfficeSession::StartPrivate();
    profile = own->ProfileUrl().substr(7);
    sockets = PipeFilesOf(own->ProcessId());
    auto workbook = own->Open(path);
    PassOverSheet(workbook->Sheet(""), {});
    ::kill(-own->ProcessId(), SIGKILL);
    try {
      workbook->Save();
      ADD_FAILURE() << "saved without an office";
    } catch (const HostError& e) {
      EXPECT_EQ(std::string(e.what()),
                "LibreOffice ended unexpectedly while saving '" + path + "'");
    }
  }
  EXPECT_EQ(fs::last_write_time(path), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists(profile));
  ASSERT_FALSE(sockets.empty());  // the pipes it listened on, and none of them left
  for (const std::string& socket : sockets) EXPECT_FALSE(fs::exists(socket)) << socket;
}

// Waits up to `patience` for the condition.
template <typename Condition>
bool Within(std::chrono::milliseconds patience, Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!condition() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

// Starts `command` with only `environment`, its output and errors going to
// the files; with `session`, in a session of its own (to end as a whole).
pid_t Spawn(std::vector<std::string> command, std::vector<std::string> environment,
            const std::string& out, const std::string& err, bool session = false) {
  std::vector<char*> argv, envp;
  for (auto& a : command) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (session) posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  EXPECT_EQ(::posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), envp.data()), 0);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  return pid;
}

// Runs the tavrix program in `folder`, with TMPDIR there too. With `hold`,
// waits until it holds at that point, then sends it `signal`.
ProgramRun RunTavrix(const std::vector<std::string>& args, const fs::path& folder,
                     const char* hold = nullptr, int signal = 0, const char* user = nullptr) {
  std::vector<std::string> command;
  if (user)
    command = {"/usr/bin/setpriv", std::string("--reuid=") + user, "--regid=nogroup",
               "--clear-groups", "--"};
  command.push_back(TAVRIX_CLI);
  command.insert(command.end(), args.begin(), args.end());
  std::vector<std::string> environment = {"TMPDIR=" + (folder / "tmp").string(),
                                          "PATH=/usr/bin:/bin", "HOME=" + folder.string()};
  if (hold) environment.push_back(std::string("TAVRIX_TEST_HOLD=") + hold);
  fs::create_directories(folder / "tmp");
  fs::permissions(folder / "tmp", fs::perms::all);
  const std::string out = (folder / "stdout").string(), err = (folder / "stderr").string();
  const pid_t pid = Spawn(command, environment, out, err);
  const auto read = [](const std::string& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  if (hold) {
    Within(std::chrono::seconds(60),
           [&] { return read(err).find("holding at") != std::string::npos; });
    ::kill(pid, signal);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return {{code, read(out), read(err)}, pid};
}

// The processes whose command line holds each of the texts.
std::vector<pid_t> ProcessesWith(std::initializer_list<std::string> texts) {
  std::vector<pid_t> found;
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    std::ifstream in(it->path() / "cmdline");
    const std::string line(std::istreambuf_iterator<char>(in), {});
    if (std::all_of(texts.begin(), texts.end(),
                    [&](const std::string& text) { return line.find(text) != std::string::npos; }))
      found.push_back(std::atoi(it->path().filename().c_str()));
  }
  return found;
}

// Processes that run with a profile in the folder.
int OfficesIn(const fs::path& folder) {
  return static_cast<int>(ProcessesWith({"UserInstallation=file://" + folder.string()}).size());
}

// The pipe files of the offices the program of that process started.
std::vector<fs::path> PipeFilesOfRun(pid_t program) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator("/tmp")) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("OSL_PIPE_", 0) == 0 &&
        name.find("_tavrix-" + std::to_string(program) + "-") != std::string::npos) {
      files.push_back(entry.path());
    }
  }
  return files;
}

TEST_F(Office, InterruptedCommandsEndTheOfficeAndLeaveNothingBehind) {
  const std::string workbook = Workbook("data.ods", BuildSheet(Fittable()));
  const std::string csv = PathOf("data.csv");
  SaveCsvSheet(BuildSheet(Fittable()), csv);
  const std::vector<std::pair<std::string, const char*>> runs = {
      {workbook, "office-start"}, {workbook, "opened"}, {workbook, "save"}, {csv, "save"}};
  for (const auto& [path, hold] : runs) {
    const auto before = fs::last_write_time(path);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      const fs::path run = dir_ / "run";
      const ProgramRun fit = RunTavrix({"fit", "--fit", "pK298,A", path}, run, hold, signal);
      EXPECT_EQ(fit.code, 128 + signal) << path << " " << hold << " " << fit.err;
      EXPECT_EQ(OfficesIn(run / "tmp"), 0) << hold;
      EXPECT_TRUE(fs::is_empty(run / "tmp")) << hold;
      EXPECT_EQ(fs::last_write_time(path), before) << hold;
      fs::remove_all(run);
      EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2) << hold;
    }
  }
}

// A command killed outright (kill -9) ends its office all the same, at once;
// when what ends it was killed too, the next command takes away the office
// and all it left.
TEST_F(Office, AKilledCommandLeavesNoOfficeBehind) {
  const std::string workbook = Workbook("data.ods", BuildSheet(Fittable()));
  const auto before = fs::last_write_time(workbook);
  for (const bool guardKilled : {false, true}) {
    const fs::path run = dir_ / "run";
    fs::create_directories(run / "tmp");
    std::thread killer;
    if (guardKilled) {  // the guard, a child of the program, before the program
      killer = std::thread([&] {
        std::vector<pid_t> guards;
        Within(std::chrono::seconds(60), [&] {
          guards = ProcessesWith({"tavrix-office-guard", (run / "tmp").string()});
          return !guards.empty();
        });
        for (const pid_t guard : guards) ::kill(guard, SIGKILL);
      });
    }
    const ProgramRun killed =
        RunTavrix({"fit", "--fit", "pK298,A", workbook}, run, "opened", SIGKILL);
    if (killer.joinable()) killer.join();
    EXPECT_EQ(killed.code, 128 + SIGKILL);
    if (!guardKilled) {
      EXPECT_TRUE(Within(std::chrono::seconds(5), [&] { return OfficesIn(run / "tmp") == 0; }));
      EXPECT_TRUE(Within(std::chrono::seconds(5), [&] { return fs::is_empty(run / "tmp"); }));
    }
    const Outcome next = RunTavrix({"check", workbook}, run);
    EXPECT_EQ(next.code, 0) << next.err;
    EXPECT_EQ(OfficesIn(run / "tmp"), 0) << guardKilled;
    EXPECT_TRUE(fs::is_empty(run / "tmp")) << guardKilled;
    EXPECT_EQ(PipeFilesOfRun(killed.pid), std::vector<fs::path>()) << guardKilled;
    EXPECT_EQ(fs::last_write_time(workbook), before);
    fs::remove_all(run);
  }
}

// An office that ends before it can be reached (as one did under heavy
// load) is started once more, and the command goes on.
TEST_F(Office, AStartThatFailsIsTriedOnceMore) {
  const std::string workbook = Workbook("data.ods", BuildSheet(Fittable()));
  const fs::path run = dir_ / "run";
  fs::create_directories(run / "tmp");
  std::thread killer([&] {
    std::vector<pid_t> first;
    Within(std::chrono::seconds(60), [&] {
      first = ProcessesWith({"UserInstallation=file://" + (run / "tmp").string()});
      return !first.empty();
    });
    for (const pid_t pid : first) {
      const pid_t group = ::getpgid(pid);  // the office's own session
      if (group > 1) ::kill(-group, SIGKILL);
    }
  });
  const Outcome check = RunTavrix({"check", workbook}, run);
  killer.join();
  EXPECT_EQ(check.code, 0) << check.err;
  EXPECT_EQ(OfficesIn(run / "tmp"), 0);
  EXPECT_TRUE(fs::is_empty(run / "tmp"));
}

// A private office starts as one that ran before with the installed build,
// which spares it the work of a first start and the restart that follows:
// its profile names that build (for its extensions and their check), and a
// version not below the installed one.
TEST_F(Office, APrivateProfileIsOneOfTheInstalledBuild) {
  const std::string command = std::string(TAVRIX_SOFFICE) + " -env:UserInstallation=file://" +
                              PathOf("profile") + " --version";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[200] = "";
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  ::pclose(pipe);
  ASSERT_TRUE(read);
  std::istringstream words(line);  // "LibreOffice 7.4.7.2 40(Build:2)"
  std::string name, release, build;
  words >> name >> release >> build;
  // The office compares versions by major * 10 + minor.
  const auto number = [](const std::string& version) {
    int major = 0, minor = 0;
    std::sscanf(version.c_str(), "%d.%d", &major, &minor);
    return major * 10 + minor;
  };
  ASSERT_GT(number(release), 0) << line;

  const TemporaryProfile profile;
  const fs::path user = fs::path(profile.path()) / "user";
  const std::string registry = Read((user / "registrymodifications.xcu").string());
  const std::string key = "oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>";
  const auto at = registry.find(key);
  ASSERT_NE(at, std::string::npos) << registry;
  EXPECT_GE(number(registry.substr(at + key.size())), number(release));
  EXPECT_NE(registry.find("oor:name=\"LastCompatibilityCheckID\" oor:op=\"fuse\"><value>" + build +
                          "</value>"),
            std::string::npos);
  EXPECT_EQ(Read((user / "extensions" / "buildid").string()), build);
}

// Commands that only read open the workbook read-only: they work in a
// folder the user may not write.
TEST_F(Office, ReadingCommandsWorkInAReadOnlyFolder) {
  const fs::path folder = dir_ / "shared";
  fs::create_directories(folder);
  const std::string path = (folder / "data.ods").string();
  fs::copy_file(Workbook("data.ods", BuildSheet(Fittable())), path);
  ASSERT_EQ(Call(cli::RunFit, FitOf(path)).code, cli::kExitOk);
  fs::permissions(dir_, fs::perms::all);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  // As root every folder is writable: the commands then run as an ordinary user.
  const char* user = ::geteuid() == 0 ? "nobody" : nullptr;
  const fs::path home = dir_ / "home";
  fs::create_directories(home);
  fs::permissions(home, fs::perms::all);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", path}, {"table", path}, {"fit", "--dry-run", path}}) {
    const Outcome run = RunTavrix(args, home, nullptr, 0, user);
    EXPECT_EQ(run.code, 0) << args[0] << ": " << run.err;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// Under a decimal comma the fit goes into the workbook as numbers, which
// the table reads back. (What the program writes under a decimal comma
// reads back on the in-memory grid and in CSV files: tests/fit.)
TEST_F(Office, DecimalCommaResultsAreNumbersInTheWorkbook) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "needs the de_DE.UTF-8 locale";
  const std::string path = Workbook("comma.ods", BuildSheet(Fittable()));
  const Outcome fit = Call(cli::RunFit, FitOf(path));
  EXPECT_EQ(fit.code, cli::kExitOk) << fit.err;
  EXPECT_NE(fit.out.find("fit error (F12): 0,"), std::string::npos) << fit.out;
  const Outcome table = Call(cli::RunSheetTable, cli::SheetTableRequest{cli::BookOptions{{path}}});
  EXPECT_EQ(table.code, cli::kExitOk) << table.err;
  EXPECT_NE(table.out.find("25,00"), std::string::npos);
  auto workbook = office->Open(path, OfficeSession::Access::kReadOnly);
  EXPECT_EQ(workbook->Sheet("").NumberFormatAt(15, 6), "0.000");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

// Runs LibreOffice on its own, in a locale, with a profile and temporary
// folder in `folder`; ended when it has not finished within two minutes.
void RunOffice(const std::vector<std::string>& args, const fs::path& folder,
               const std::string& locale) {
  std::vector<std::string> command = {
      TAVRIX_SOFFICE, "--headless", "--norestore",
      "-env:UserInstallation=file://" + (folder / "profile").string()};
  command.insert(command.end(), args.begin(), args.end());
  fs::create_directories(folder / "tmp");
  const pid_t pid = Spawn(command,
                          {"LC_ALL=" + locale, "HOME=" + folder.string(),
                           "TMPDIR=" + (folder / "tmp").string(), "PATH=/usr/bin:/bin"},
                          "/dev/null", "/dev/null", true);
  EndProcess(pid, std::chrono::minutes(2));
}

// A CSV the program fitted goes through Calc in a German locale, opened and
// saved with the CSV options Calc has there (';' between fields, '"' around
// texts, Windows-1252, German numbers): the program reads what Calc wrote
// in its dialect, and the fit is still shown.
TEST_F(Office, AFittedCsvKeepsItsFitThroughAGermanCalc) {
  const std::string path = PathOf("german.csv");
  const CsvDialect german{';', true, CsvDialect::Encoding::kWindows1252};
  SaveCsvSheet(CsvSheet(BuildSheet(Fittable()), german), path);
  const Outcome fit = Call(cli::RunFit, FitOf(path));
  ASSERT_EQ(fit.code, cli::kExitOk) << fit.err;

  const std::string options = "59,34,1,1,,1031";  // ';', '"', Windows-1252, line 1, de-DE
  const fs::path calc = dir_ / "calc";
  RunOffice({"--infilter=CSV:" + options, "--convert-to",
             "csv:Text - txt - csv (StarCalc):" + options, "--outdir", calc.string(), path},
            dir_ / "office", "de_DE.UTF-8");
  const std::string saved = (calc / "german.csv").string();
  ASSERT_TRUE(fs::exists(saved)) << "Calc wrote no CSV";
  EXPECT_NE(Read(saved), Read(path)) << "a file Calc did not write again";

  EXPECT_EQ(LoadCsvSheet(saved, false).dialect(),
            (CsvDialect{';', true, CsvDialect::Encoding::kWindows1252, false, "\n"}));
  const auto table = [](const std::string& file) {
    return Call(cli::RunSheetTable, cli::SheetTableRequest{cli::BookOptions{{file}}});
  };
  const Outcome shown = table(saved);
  EXPECT_EQ(shown.code, cli::kExitOk) << shown.err;
  EXPECT_EQ(shown.out, table(path).out);
}

}  // namespace
}  // namespace tavrix
