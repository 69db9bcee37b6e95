#include "office_guard.h"

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "office_process.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {
namespace {

// $1 the office's process group, $2 the profile folder. A killed office
// needs a moment to end; whatever is left after 5 s is removed all the same.
constexpr char kGuard[] = R"(read -r word
[ "$word" = done ] && exit 0
kill -s KILL -- "-$1" 2>/dev/null
n=0
while kill -s 0 -- "-$1" 2>/dev/null && [ $n -lt 50 ]; do sleep 0.1; n=$((n + 1)); done
if [ -f "$2/pipes" ]; then
  while read -r file; do rm -f -- "$file"; done < "$2/pipes"
fi
rm -rf -- "$2"
)";

}  // namespace

OfficeGuard::OfficeGuard(pid_t officeGroup, const std::string& profileFolder) {
  // A socket rather than a pipe: telling a guard that is gone raises no
  // SIGPIPE. Neither end is inherited by the programs this process starts.
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    throw HostError(std::string("could not watch the office: ") + std::strerror(errno));
  }
  try {
    pid_ = Spawn({"/bin/sh", "-c", kGuard, "tavrix-office-guard", std::to_string(officeGroup),
                  profileFolder},
                 {"PATH=/usr/bin:/bin"}, ends[1], "the guard of the office (/bin/sh)");
  } catch (...) {
    ::close(ends[0]);
    ::close(ends[1]);
    throw;
  }
  ::close(ends[1]);
  socket_ = ends[0];
}

OfficeGuard::~OfficeGuard() {
  constexpr char kDone[] = "done\n";
  (void)::send(socket_, kDone, sizeof kDone - 1, MSG_NOSIGNAL);
  ::close(socket_);
  ::waitpid(pid_, nullptr, 0);
}

}  // namespace tavrix
