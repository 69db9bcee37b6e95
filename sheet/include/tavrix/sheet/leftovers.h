#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace tavrix {

// What the program leaves on disk or running while it works: temporary
// files and folders, and the process groups of offices it started. Each
// is registered while it exists, so that a run that is interrupted (a
// signal) can take away what it made before it ends. The register is
// shared by the whole process and safe to use from any thread.
class Leftover {
 public:
  enum class Kind { kFile, kFolder, kProcessGroup };

  // Files that a process group leaves behind when it is killed, found while
  // it still runs.
  using FilesLeftWhenKilled = std::function<std::vector<std::string>()>;

  Leftover() = default;
  // Registers a file or folder path.
  Leftover(Kind kind, std::string path);
  // Registers a process group.
  Leftover(pid_t group, FilesLeftWhenKilled filesLeft);
  ~Leftover();  // unregisters; what it names is left as it is
  Leftover(Leftover&& other) noexcept;
  Leftover& operator=(Leftover&& other) noexcept;
  Leftover(const Leftover&) = delete;
  Leftover& operator=(const Leftover&) = delete;

 private:
  int id_ = 0;
};

// Ends every registered process group (and waits for it), then removes
// every registered file and folder. For the end of an interrupted run.
void RemoveLeftovers();

// Kills a process group and waits up to 5 s for its leader, a child of
// this process, to end; then removes the files it leaves.
void EndProcessGroup(pid_t group, const Leftover::FilesLeftWhenKilled& filesLeft);

// A point where a test can interrupt the program: when the environment
// variable TAVRIX_TEST_HOLD names this point, says "holding at NAME" on
// standard error and waits there until the process is ended.
void HoldForTest(const char* name);

}  // namespace tavrix
