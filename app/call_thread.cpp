#include "call_thread.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include "tavrix/sheet/sheet_host.h"

namespace tavrix {
namespace {

// Most calls are answered within this: the window's thread then handles no
// events meanwhile.
constexpr auto kQuickCall = std::chrono::milliseconds(5);
// How often a long wait looks at the patience and at the program's end.
constexpr int kTickMs = 50;

}  // namespace

CallThread::CallThread(std::chrono::milliseconds patience, std::function<void()> abandon,
                       std::function<bool()> leaving)
    : patience_(patience),
      abandon_(std::move(abandon)),
      leaving_(std::move(leaving)),
      worker_([this] { Work(); }) {}

CallThread::~CallThread() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void CallThread::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || task_ != nullptr; });
    if (task_ == nullptr) return;
    const std::function<void()>& task = *task_;
    lock.unlock();
    std::exception_ptr error;
    try {
      task();
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    task_ = nullptr;
    error_ = error;
    done_ = true;
    finished_.notify_all();
    if (loop_) QMetaObject::invokeMethod(loop_, &QEventLoop::quit, Qt::QueuedConnection);
  }
}

bool CallThread::Done() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}

void CallThread::Abandon() {
  abandon_();
  // A connection given up fails its call at once; the call must be back
  // before what it refers to goes.
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [this] { return done_; });
}

void CallThread::Run(const std::function<void()>& call) {
  if (gaveUp_) throw HostNotAnswering("LibreOffice does not answer");
  if (waiting_) throw HostError("LibreOffice is still busy with the previous request");
  struct Waiting {
    bool& flag;
    explicit Waiting(bool& f) : flag(f) { flag = true; }
    ~Waiting() { flag = false; }
  } waiting(waiting_);

  std::unique_lock<std::mutex> lock(mutex_);
  task_ = &call;
  done_ = false;
  error_ = nullptr;
  wake_.notify_all();
  if (!finished_.wait_for(lock, kQuickCall, [this] { return done_; })) {
    QEventLoop loop;
    loop_ = &loop;
    lock.unlock();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(kTickMs);
    const auto deadline = std::chrono::steady_clock::now() + patience_;
    while (!Done()) {
      const bool leaving = leaving_();
      if (leaving || std::chrono::steady_clock::now() > deadline) {
        {
          const std::lock_guard<std::mutex> guard(mutex_);
          loop_ = nullptr;
        }
        gaveUp_ = true;
        Abandon();
        throw HostNotAnswering(leaving ? "Tavrix is closing" : "LibreOffice does not answer");
      }
      loop.exec();
    }
    lock.lock();
    loop_ = nullptr;
  }
  if (error_) std::rethrow_exception(error_);
}

}  // namespace tavrix
