#pragma once

#include <sys/types.h>

#include <string>

namespace tavrix {

// Ends a private office with this process, however this process ends. A
// small shell in a session of its own reads from a socket whose other end
// only this process holds (no program this process starts inherits it):
// when that end closes without a word (this process was killed, or left
// without its destructors), the shell kills the office's process group,
// removes the pipe files the profile folder lists in its file "pipes", then
// the profile folder. When this ends normally it tells the shell that all
// is done, and the shell leaves.
class OfficeGuard {
 public:
  // Throws HostError when the shell cannot be started.
  OfficeGuard(pid_t officeGroup, const std::string& profileFolder);
  ~OfficeGuard();
  OfficeGuard(const OfficeGuard&) = delete;
  OfficeGuard& operator=(const OfficeGuard&) = delete;

 private:
  pid_t pid_ = 0;
  int socket_ = -1;  // this process's end
};

}  // namespace tavrix
