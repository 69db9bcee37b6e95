#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class QEventLoop;

namespace tavrix {

// Carries out calls (the office's) on a thread of its own while the window's
// thread waits for them handling its events: repaints, the window manager's
// close and pings, timers and signals go on (the program's handlers ignore
// clicks and keys meanwhile, as they do while another handler runs). A call
// that hangs thus never freezes the window.
class CallThread {
 public:
  // `abandon` makes the call in progress fail at once (it gives the
  // connection up); `leaving` tells that the program is closing.
  CallThread(std::chrono::milliseconds patience, std::function<void()> abandon,
             std::function<bool()> leaving);
  ~CallThread();
  CallThread(const CallThread&) = delete;
  CallThread& operator=(const CallThread&) = delete;

  // Returns when the call is done, throwing what it threw. When it is not
  // done within the patience, or the program is leaving, the connection is
  // abandoned and HostNotAnswering thrown, now and for every later call. A
  // call made while another one waits (from an event handled meanwhile)
  // fails with HostError at once.
  void Run(const std::function<void()>& call);

 private:
  void Work();
  bool Done();
  // Abandons the call in progress and waits for it to come back.
  void Abandon();

  std::chrono::milliseconds patience_;
  std::function<void()> abandon_;
  std::function<bool()> leaving_;
  bool waiting_ = false;  // a call waits (window thread only)
  bool gaveUp_ = false;   // a call got no answer (window thread only)

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  const std::function<void()>* task_ = nullptr;
  bool done_ = true;
  bool stop_ = false;
  std::exception_ptr error_;
  QEventLoop* loop_ = nullptr;  // where the window's thread waits
  std::thread worker_;
};

}  // namespace tavrix
