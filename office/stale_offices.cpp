#include "stale_offices.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

namespace tavrix {
namespace {

namespace fs = std::filesystem;

constexpr char kPrefix[] = "tavrix-office-";

// The fields of a process's status line after its name, from the state
// on (the name, in parentheses, may hold blanks).
std::vector<std::string> StatusFields(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos) return {};
  std::istringstream rest(line.substr(close + 1));
  std::vector<std::string> fields;
  for (std::string field; rest >> field;) fields.push_back(field);
  return fields;
}

// When the process started (in clock ticks since boot), or "" when none
// of that id runs.
std::string StartTimeOf(pid_t pid) {
  const std::vector<std::string> fields = StatusFields(pid);
  if (fields.size() < 20 || fields[0] == "Z") return "";
  return fields[19];
}

struct Owner {
  pid_t pid;
  std::string started;
};

std::optional<Owner> OwnerOf(const fs::path& folder) {
  std::ifstream file(folder / "owner");
  Owner owner{0, ""};
  if (!(file >> owner.pid >> owner.started)) return std::nullopt;
  return owner;
}

bool Runs(const Owner& owner) {
  return StartTimeOf(owner.pid) == owner.started;
}

// The processes started with the folder as their office profile.
std::vector<pid_t> ProcessesOf(const fs::path& folder) {
  const std::string argument = "-env:UserInstallation=file://" + folder.string() + '\0';
  std::vector<pid_t> found;
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream file(it->path() / "cmdline");
    const std::string line(std::istreambuf_iterator<char>(file), {});
    if (line.find(argument) != std::string::npos) found.push_back(std::stoi(name));
  }
  return found;
}

void EndProcesses(const std::vector<pid_t>& processes) {
  for (const pid_t pid : processes) ::kill(pid, SIGKILL);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (const pid_t pid : processes) {
    while (!StartTimeOf(pid).empty() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}

void Remove(const fs::path& folder) {
  EndProcesses(ProcessesOf(folder));
  std::ifstream pipes(folder / "pipes");
  std::error_code ignored;
  for (std::string file; std::getline(pipes, file);) fs::remove(file, ignored);
  fs::remove_all(folder, ignored);
}

bool IsStale(const fs::path& folder) {
  struct stat status {};
  if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      status.st_uid != ::geteuid()) {
    return false;
  }
  if (const std::optional<Owner> owner = OwnerOf(folder)) return !Runs(*owner);
  const auto age =
      std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(status.st_mtime);
  return age > std::chrono::minutes(1) && ProcessesOf(folder).empty();
}

}  // namespace

void RecordOwner(const std::string& profileFolder) {
  // Whole or not at all for a start that reads it meanwhile.
  const fs::path owner = fs::path(profileFolder) / "owner";
  const pid_t self = ::getpid();
  std::ofstream(owner.string() + ".new") << self << " " << StartTimeOf(self) << "\n";
  std::error_code ignored;
  fs::rename(owner.string() + ".new", owner, ignored);
}

void RecordPipes(const std::string& profileFolder, const std::vector<std::string>& files) {
  std::ofstream out(fs::path(profileFolder) / "pipes");
  for (const std::string& file : files) out << file << "\n";
}

void RemoveStaleOffices() {
  std::error_code error;
  const fs::path temporary = fs::temp_directory_path(error);
  if (error) return;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(temporary, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().rfind(kPrefix, 0) == 0 && IsStale(it->path())) {
      stale.push_back(it->path());
    }
  }
  for (const fs::path& folder : stale) Remove(folder);
}

}  // namespace tavrix
