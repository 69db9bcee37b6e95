// The office's calls on a thread of their own while the window's thread
// handles its events (offscreen platform, calls that stand in for the
// office's).
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

TEST(CallThread, AnAnsweredCallGivesWhatItGaveOrThrew) {
  Connection connection;
  CallThread calls(
      milliseconds(5000), [&] { connection.abandoned = true; }, [] { return false; });
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
}

TEST(CallThread, ACallWithoutAnswerIsGivenUpWhileTheWindowGoesOn) {
  Connection connection;
  CallThread calls(
      milliseconds(400), [&] { connection.abandoned = true; }, [] { return false; });
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(20);
  bool nestedRefused = false;  // a handler that runs meanwhile and calls too
  QTimer::singleShot(100, [&] {
    try {
      calls.Run([] {});
    } catch (const HostNotAnswering&) {
    } catch (const HostError&) {
      nestedRefused = true;
    }
  });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_THROW(calls.Run([&] { connection.Hang(); }), HostNotAnswering);
  EXPECT_GE(std::chrono::steady_clock::now() - started, milliseconds(400));
  EXPECT_TRUE(connection.abandoned);
  EXPECT_GT(ticks, 5);  // the window's timers ran during the wait
  EXPECT_TRUE(nestedRefused);

  bool ran = false;  // given up for good
  EXPECT_THROW(calls.Run([&] { ran = true; }), HostNotAnswering);
  EXPECT_FALSE(ran);
}

TEST(CallThread, TheProgramsEndGivesTheCallUpAtOnce) {
  Connection connection;
  CallThread calls(
      milliseconds(30000), [&] { connection.abandoned = true; },
      [&] { return connection.leaving; });
  QTimer::singleShot(100, [&] { connection.leaving = true; });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_THROW(calls.Run([&] { connection.Hang(); }), HostNotAnswering);
  EXPECT_LT(std::chrono::steady_clock::now() - started, milliseconds(2000));
  EXPECT_TRUE(connection.abandoned);
}

}  // namespace
}  // namespace tavrix
