// The office's calls on a thread of their own while the window's thread
// handles its events (offscreen, with calls that stand in for the office's).
#include "call_thread.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <thread>

#include "tavrix/sheet/sheet_host.h"

namespace tavrix {
namespace {

using std::chrono::milliseconds;

// A call that hangs until its connection is given up, as one into a stopped
// office does.
struct Connection {
  std::atomic<bool> abandoned{false};
  bool leaving = false;
  void Hang() const {
    while (!abandoned) std::this_thread::sleep_for(milliseconds(2));
    throw HostError("the bridge was disposed");
  }
};

// An answered call, a slow one too, gives what it gave or threw; one without
// an answer is given up when the patience is over, or at once when the
// program leaves (its patience then 30 s); a handler that runs meanwhile and
// calls too is refused, and later calls are not made at all.
TEST(CallThread, ACallIsAnsweredOrGivenUpForGoodWhileTheWindowGoesOn) {
  for (const bool leaves : {false, true}) {
    Connection connection;
    CallThread calls(
        milliseconds(leaves ? 30000 : 400), [&] { connection.abandoned = true; },
        [&] { return connection.leaving; });
    std::thread::id where;
    calls.Run([&] { where = std::this_thread::get_id(); });
    EXPECT_NE(where, std::this_thread::get_id());
    EXPECT_THROW(calls.Run([] { throw HostError("refused"); }), HostError);
    int slow = 0;
    calls.Run([&] {
      std::this_thread::sleep_for(milliseconds(100));  // longer than a quick call
      slow = 1;
    });
    EXPECT_EQ(slow, 1);
    EXPECT_FALSE(connection.abandoned);

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    bool nestedRefused = false;
    QTimer::singleShot(100, [&] {
      try {
        calls.Run([] {});
      } catch (const HostNotAnswering&) {
      } catch (const HostError&) {
        nestedRefused = true;
      }
      connection.leaving = leaves;
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(calls.Run([&] { connection.Hang(); }), HostNotAnswering);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, milliseconds(leaves ? 100 : 400)) << leaves;
    EXPECT_LT(waited, milliseconds(2000)) << leaves;
    EXPECT_TRUE(connection.abandoned) << leaves;
    EXPECT_GT(ticks, 2) << leaves;  // the window's timers ran during the wait
    EXPECT_TRUE(nestedRefused) << leaves;
    bool ran = false;
    EXPECT_THROW(calls.Run([&] { ran = true; }), HostNotAnswering);
    EXPECT_FALSE(ran) << leaves;
  }
}

}  // namespace
}  // namespace tavrix
