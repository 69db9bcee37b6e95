#include "tavrix/sheet/leftovers.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

namespace tavrix {
namespace {

struct Entry {
  Leftover::Kind kind;
  std::string path;
  pid_t group = 0;
  Leftover::FilesLeftWhenKilled filesLeft;
};

struct Register {
  std::mutex mutex;
  std::map<int, Entry> entries;
  int next = 1;
};

// Never destroyed, so that an interruption late in the run still finds it.
Register& TheRegister() {
  static Register* const instance = new Register;
  return *instance;
}

int Add(Entry entry) {
  Register& r = TheRegister();
  const std::lock_guard<std::mutex> lock(r.mutex);
  const int id = r.next++;
  r.entries[id] = std::move(entry);
  return id;
}

}  // namespace

void EndProcessGroup(pid_t group, const Leftover::FilesLeftWhenKilled& filesLeft) {
  const std::vector<std::string> files = filesLeft ? filesLeft() : std::vector<std::string>();
  ::kill(-group, SIGKILL);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t done = ::waitpid(group, nullptr, WNOHANG);
    if (done == group || (done < 0 && ::kill(-group, 0) != 0)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (const std::string& file : files) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
  }
}

Leftover::Leftover(Kind kind, std::string path) : id_(Add({kind, std::move(path), 0, nullptr})) {}

Leftover::Leftover(pid_t group, FilesLeftWhenKilled filesLeft)
    : id_(Add({Kind::kProcessGroup, "", group, std::move(filesLeft)})) {}

Leftover::~Leftover() {
  if (id_ == 0) return;
  Register& r = TheRegister();
  const std::lock_guard<std::mutex> lock(r.mutex);
  r.entries.erase(id_);
}

Leftover::Leftover(Leftover&& other) noexcept : id_(other.id_) {
  other.id_ = 0;
}

Leftover& Leftover::operator=(Leftover&& other) noexcept {
  if (this != &other) {
    Leftover old(std::move(*this));
    id_ = other.id_;
    other.id_ = 0;
  }
  return *this;
}

void RemoveLeftovers() {
  Register& r = TheRegister();
  const std::lock_guard<std::mutex> lock(r.mutex);
  for (const auto& [id, entry] : r.entries) {
    if (entry.kind == Leftover::Kind::kProcessGroup) EndProcessGroup(entry.group, entry.filesLeft);
  }
  for (const auto& [id, entry] : r.entries) {
    std::error_code ignored;
    if (entry.kind == Leftover::Kind::kFile) std::filesystem::remove(entry.path, ignored);
    if (entry.kind == Leftover::Kind::kFolder) std::filesystem::remove_all(entry.path, ignored);
  }
  r.entries.clear();
}

void HoldForTest(const char* name) {
  const char* hold = std::getenv("TAVRIX_TEST_HOLD");
  if (hold == nullptr || std::strcmp(hold, name) != 0) return;
  std::fprintf(stderr, "holding at %s\n", name);
  std::fflush(stderr);
  for (;;) ::pause();
}

}  // namespace tavrix
