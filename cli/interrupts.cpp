#include "interrupts.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "tavrix/sheet/leftovers.h"

namespace tavrix::cli {
namespace {

sigset_t Interrupts() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&set, signal);
  return set;
}

}  // namespace

void EndOnInterrupts() {
  // Blocked here, the signals are blocked in every thread started later too,
  // and wait for the one thread below.
  const sigset_t set = Interrupts();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set] {
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    RemoveLeftovers();
    ::_exit(128 + signal);
  }).detach();
}

}  // namespace tavrix::cli
