#include "office_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "tavrix/sheet/sheet_host.h"

extern char** environ;

namespace tavrix {
namespace {

namespace fs = std::filesystem;

// Documents opened by this profile leave no lock files that would keep
// other programs (or another profile) from saving them.
constexpr char kRegistry[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentOOoLockFile" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentSystemFileLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)";

}  // namespace

TemporaryProfile::TemporaryProfile() {
  std::string pattern = (fs::temp_directory_path() / "tavrix-office-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw HostError(std::string("could not create an office profile: ") + std::strerror(errno));
  }
  path_ = pattern;
  fs::create_directories(fs::path(path_) / "user");
  std::ofstream(fs::path(path_) / "user" / "registrymodifications.xcu") << kRegistry;
}

TemporaryProfile::~TemporaryProfile() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

namespace {

pid_t Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(&files, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

  pid_t pid = 0;
  const int result = ::posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    throw HostError(std::string("could not start LibreOffice (") + TAVRIX_SOFFICE +
                    "): " + std::strerror(result));
  }
  return pid;
}

}  // namespace

pid_t StartHeadlessOffice(const std::string& pipeName, const TemporaryProfile& profile) {
  return LaunchOffice(pipeName, profile.url(), true);
}

pid_t LaunchOffice(const std::string& pipeName, const std::string& profileUrl, bool headless) {
  std::vector<std::string> args = {TAVRIX_SOFFICE, "--accept=pipe,name=" + pipeName + ";urp;",
                                   "--norestore", "--nologo", "--nodefault", "--nolockcheck"};
  if (headless) {
    args.emplace_back("--headless");
    args.emplace_back("--invisible");
  }
  if (!profileUrl.empty()) args.push_back("-env:UserInstallation=" + profileUrl);
  return Spawn(std::move(args));
}

void EndProcess(pid_t pid, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
    if (done == pid || (done < 0 && errno == ECHILD)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(-pid, SIGKILL);  // the whole session: the launcher and the office it started
  ::waitpid(pid, nullptr, 0);
}

}  // namespace tavrix
