#pragma once

#include <sys/types.h>

#include <string>

namespace tavrix {

// Ends a private office with this process, however this process ends. A
// small shell in a session of its own holds the read end of a pipe whose
// write end only this process holds: when that end closes without a word
// (this process was killed, or left without its destructors), the shell
// kills the office's process group, removes the pipe files the profile
// folder lists in its file "pipes", then the profile folder. When this
// ends normally it tells the shell that all is done, and the shell leaves.
class OfficeGuard {
 public:
  // Throws HostError when the shell cannot be started.
  OfficeGuard(pid_t officeGroup, const std::string& profileFolder);
  ~OfficeGuard();
  OfficeGuard(const OfficeGuard&) = delete;
  OfficeGuard& operator=(const OfficeGuard&) = delete;

 private:
  pid_t pid_ = 0;
  int pipe_ = -1;  // the write end
};

}  // namespace tavrix
