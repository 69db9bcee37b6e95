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
#include <set>
#include <sstream>
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
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseLocking" oor:op="fuse"><value>false</value></prop></item>
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
  leftover_ = Leftover(Leftover::Kind::kFolder, path_);
  fs::create_directories(fs::path(path_) / "user");
  fs::create_directories(temporaryFolder());
  std::ofstream(fs::path(path_) / "user" / "registrymodifications.xcu") << kRegistry;
}

TemporaryProfile::~TemporaryProfile() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TemporaryProfile::temporaryFolder() const {
  return (fs::path(path_) / "tmp").string();
}

namespace {

// The environment of this process, with `extra` ("NAME=value") put in.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable(*entry);
    bool replaced = false;
    for (const std::string& e : extra) {
      replaced = replaced || variable.compare(0, e.find('=') + 1, e, 0, e.find('=') + 1) == 0;
    }
    if (!replaced) environment.push_back(variable);
  }
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

pid_t Spawn(std::vector<std::string> args, std::vector<std::string> environment) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(&files, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own session, and no signal blocked that this program blocks for itself.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);

  pid_t pid = 0;
  const int result = ::posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) {
    throw HostError(std::string("could not start LibreOffice (") + TAVRIX_SOFFICE +
                    "): " + std::strerror(result));
  }
  return pid;
}

}  // namespace

namespace {

std::vector<std::string> OfficeArguments(const std::string& pipeName, const std::string& profileUrl,
                                         bool headless) {
  std::vector<std::string> args = {TAVRIX_SOFFICE, "--accept=pipe,name=" + pipeName + ";urp;",
                                   "--norestore",  "--nologo",
                                   "--nodefault",  "--nolockcheck"};
  if (headless) {
    args.emplace_back("--headless");
    args.emplace_back("--invisible");
  }
  if (!profileUrl.empty()) args.push_back("-env:UserInstallation=" + profileUrl);
  return args;
}

}  // namespace

pid_t StartHeadlessOffice(const std::string& pipeName, const TemporaryProfile& profile) {
  // Its temporary files go into the profile, and with it when it is removed.
  return Spawn(OfficeArguments(pipeName, profile.url(), true),
               EnvironmentWith({"TMPDIR=" + profile.temporaryFolder()}));
}

pid_t LaunchOffice(const std::string& pipeName, const std::string& profileUrl, bool headless) {
  return Spawn(OfficeArguments(pipeName, profileUrl, headless), EnvironmentWith({}));
}

namespace {

// The process group of a process, from its status line (the fifth field,
// after the name in parentheses).
pid_t GroupOf(const fs::path& process) {
  std::ifstream stat(process / "stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(line.substr(close + 1));
  std::string state;
  pid_t parent = 0, group = -1;
  rest >> state >> parent >> group;
  return group;
}

}  // namespace

std::vector<std::string> PipeFilesOf(pid_t group) {
  // The inodes of the sockets the group's processes hold...
  std::set<std::string> inodes;
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos || GroupOf(it->path()) != group)
      continue;
    std::error_code fdError;
    for (fs::directory_iterator fd(it->path() / "fd", fdError), last; !fdError && fd != last;
         fd.increment(fdError)) {
      const std::string target = fs::read_symlink(fd->path(), fdError).string();
      if (target.rfind("socket:[", 0) == 0) inodes.insert(target.substr(8, target.size() - 9));
    }
  }
  // ...and the pipe files among the bound ones.
  std::vector<std::string> files;
  std::ifstream unixSockets("/proc/net/unix");
  std::string line;
  std::getline(unixSockets, line);  // the heading
  while (std::getline(unixSockets, line)) {
    std::istringstream fields(line);
    std::string num, refs, protocol, flags, type, state, inode, path;
    fields >> num >> refs >> protocol >> flags >> type >> state >> inode >> path;
    if (inodes.count(inode) && path.rfind("/tmp/OSL_PIPE_", 0) == 0) files.push_back(path);
  }
  return files;
}

void EndProcess(pid_t pid, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
    if (done == pid || (done < 0 && errno == ECHILD)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // The whole session: the launcher and the office it started.
  EndProcessGroup(pid, [pid] { return PipeFilesOf(pid); });
}

}  // namespace tavrix
