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

#include "stale_offices.h"
#include "tavrix/sheet/sheet_host.h"

extern char** environ;

namespace tavrix {
namespace {

namespace fs = std::filesystem;

// The build of the installed office, as its version file names it
// ("40(Build:2)"); "" when it cannot be read.
std::string InstalledBuild() {
  std::ifstream file(TAVRIX_LO_VERSIONRC);
  constexpr char kKey[] = "buildid=";
  for (std::string line; std::getline(file, line);) {
    if (line.rfind(kKey, 0) == 0) return line.substr(sizeof kKey - 1);
  }
  return "";
}

// The settings of a private profile. Documents opened with it leave no lock
// files that would keep other programs (or another profile) from saving
// them. The rest spares the office the work of a first start, which it
// would do for every new profile: the profile is set up already (no copies
// of the installation's presets), was last used by a version above any
// release (no self-test of the graphics output after an upgrade; the
// installed version is in a 2 MB registry file whose reading would cost a
// command more than it gains) and has checked the extensions of this build.
std::string Registry(const std::string& build) {
  const auto item = [](const char* path, const char* name, const std::string& value) {
    return std::string("<item oor:path=\"") + path + "\"><prop oor:name=\"" + name +
           "\" oor:op=\"fuse\"><value>" + value + "</value></prop></item>\n";
  };
  constexpr char kMisc[] = "/org.openoffice.Office.Common/Misc";
  constexpr char kSetup[] = "/org.openoffice.Setup/Office";
  std::string registry =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
      "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
  registry += item(kMisc, "UseLocking", "false") + item(kMisc, "UseDocumentOOoLockFile", "false") +
              item(kMisc, "UseDocumentSystemFileLocking", "false");
  registry += item(kMisc, "FirstRun", "false") + item(kSetup, "ooSetupInstCompleted", "true") +
              item("/org.openoffice.Setup/Product", "ooSetupLastVersion", "999.9");
  if (!build.empty()) registry += item(kSetup, "LastCompatibilityCheckID", build);
  return registry + "</oor:items>\n";
}

}  // namespace

TemporaryProfile::TemporaryProfile() {
  std::string pattern = (fs::temp_directory_path() / "tavrix-office-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw HostError(std::string("could not create an office profile: ") + std::strerror(errno));
  }
  path_ = pattern;
  leftover_ = Leftover(Leftover::Kind::kFolder, path_);
  RecordOwner(path_);
  const fs::path user = fs::path(path_) / "user";
  fs::create_directories(user / "extensions");
  fs::create_directories(temporaryFolder());
  static const std::string build = InstalledBuild();
  std::ofstream(user / "registrymodifications.xcu") << Registry(build);
  // The extensions of this build are known to the profile: else the office
  // takes it for a profile of another build, registers the extensions anew
  // and starts itself once more.
  if (!build.empty()) std::ofstream(user / "extensions" / "buildid") << build;
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

}  // namespace

pid_t Spawn(std::vector<std::string> args, std::vector<std::string> environment, int input,
            const std::string& what) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  if (input >= 0) posix_spawn_file_actions_adddup2(&files, input, 0);
  for (int fd = input >= 0 ? 1 : 0; fd <= 2; ++fd) {
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
  if (result != 0) throw HostError("could not start " + what + ": " + std::strerror(result));
  return pid;
}

namespace {

constexpr char kOffice[] = "LibreOffice (" TAVRIX_SOFFICE ")";

std::vector<std::string> OfficeArguments(const std::string& program, const std::string& pipeName,
                                         const std::string& profileUrl, bool headless) {
  std::vector<std::string> args = {program,       "--accept=pipe,name=" + pipeName + ";urp;",
                                   "--norestore", "--nologo",
                                   "--nodefault", "--nolockcheck"};
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
  std::vector<std::string> environment = {"TMPDIR=" + profile.temporaryFolder()};
  std::string program = TAVRIX_SOFFICE;
  if (::access(TAVRIX_OOSPLASH, X_OK) == 0) {
    // Started without the launcher script, whose own work (it runs several
    // programs) would be paid by every command; its one setting goes along.
    // Only the office's own programs are on its path: at its first load it
    // looks for GnuPG to check document signatures, which runs five programs
    // one after the other (0.1-0.4 s here, the more the busier the machine),
    // and an office that reads and writes cells checks no signatures.
    program = TAVRIX_OOSPLASH;
    environment.push_back("SAL_ENABLE_FILE_LOCKING=1");
    environment.push_back("PATH=" + fs::path(TAVRIX_OOSPLASH).parent_path().string());
  }
  std::vector<std::string> args = OfficeArguments(program, pipeName, profile.url(), true);
  args.emplace_back("-env:SecureUserConfig=false");  // no backup of a throw-away profile at its end
  return Spawn(args, EnvironmentWith(environment), -1, kOffice);
}

pid_t LaunchOffice(const std::string& pipeName, const std::string& profileUrl, bool headless) {
  return Spawn(OfficeArguments(TAVRIX_SOFFICE, pipeName, profileUrl, headless), EnvironmentWith({}),
               -1, kOffice);
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
