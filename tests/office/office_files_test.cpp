// Workbooks as files: what users do to them and what happens to them when
// a command is interrupted or the office fails.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "office_fixture.h"
#include "tavrix/sheet/csv_sheet.h"
#include "uno.h"

#include <com/sun/star/frame/XStorable.hpp>

namespace tavrix {
namespace {

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

// A run of the program: its outcome and its process.
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
    Within(std::chrono::seconds(60),
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
    Within(std::chrono::seconds(60), [&] { return !(found = ProcessesWith(texts)).empty(); });
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
