#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "tavrix/sheet/leftovers.h"

namespace tavrix {

// A temporary office profile folder, removed when this ends.
class TemporaryProfile {
 public:
  TemporaryProfile();
  ~TemporaryProfile();
  TemporaryProfile(const TemporaryProfile&) = delete;
  TemporaryProfile& operator=(const TemporaryProfile&) = delete;
  const std::string& path() const { return path_; }
  std::string url() const { return "file://" + path_; }
  // Where the office keeps its temporary files.
  std::string temporaryFolder() const;

 private:
  std::string path_;
  Leftover leftover_;  // removed on an interruption too
};

// Starts soffice headless, listening on the UNO pipe, with the profile, in
// a session of its own and with no terminal (so that it never holds our
// output open). Throws HostError when it cannot be started.
pid_t StartHeadlessOffice(const std::string& pipeName, const TemporaryProfile& profile);

// Launches soffice with the pipe to accept on, and the profile when one is
// given ("" for the user's own). It may only hand the pipe to an office
// already running with that profile and end.
pid_t LaunchOffice(const std::string& pipeName, const std::string& profileUrl, bool headless);

// Starts a program in a session of its own, with standard input from
// `input` (or /dev/null for -1), output to /dev/null and no signal blocked.
// Throws HostError ("could not start WHAT: ...") when it cannot be started.
pid_t Spawn(std::vector<std::string> args, std::vector<std::string> environment, int input,
            const std::string& what);

// Waits up to `patience` for the process to end, then kills it.
void EndProcess(pid_t pid, std::chrono::milliseconds patience);

// The socket files in /tmp of the pipes that the processes of a group
// listen on: an office that is killed leaves them behind.
std::vector<std::string> PipeFilesOf(pid_t group);

}  // namespace tavrix
