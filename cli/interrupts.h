#pragma once

namespace tavrix::cli {

// From now on SIGINT (Ctrl+C), SIGTERM, SIGHUP and SIGPIPE (the reader of
// the output has gone) end the program with exit code 128 + the signal,
// after it has taken away what it leaves while it works: the private
// office's processes, its profile and temporary files, a half-saved file.
// Call first in main(), before any other thread starts, so that the
// signals reach the one thread that waits for them.
void EndOnInterrupts();

}  // namespace tavrix::cli
