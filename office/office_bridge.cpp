#include "office_bridge.h"

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrix {

using namespace uno;

namespace {

using Component = Reference<css::lang::XComponent>;

void Dispose(const Component& bridge) noexcept {
  try {
    bridge->dispose();
  } catch (...) {  // disposed already
  }
}

// The process's bridges, and how many of them are in use. Never destroyed:
// it holds no reference once the last bridge has ended.
struct Bridges {
  std::mutex mutex;
  std::vector<Component> all;
  int inUse = 0;

  static Bridges& Process() {
    static Bridges* bridges = new Bridges;
    return *bridges;
  }
  void Add(const Component& bridge) {
    const std::lock_guard<std::mutex> lock(mutex);
    all.push_back(bridge);
    ++inUse;
  }
  // The bridges to dispose now that one is no longer used.
  std::vector<Component> Ended() {
    const std::lock_guard<std::mutex> lock(mutex);
    if (--inUse > 0) return {};
    return std::move(all);
  }
  std::vector<Component> Copy() {
    const std::lock_guard<std::mutex> lock(mutex);
    return all;
  }
};

}  // namespace

OfficeBridge::OfficeBridge(const Reference<css::uno::XComponentContext>& local,
                           const std::string& pipe, std::chrono::milliseconds patience) {
  const auto connection =
      css::connection::Connector::create(local)->connect(ToOUString("pipe,name=" + pipe));
  const Reference<css::bridge::XBridge> bridge =
      css::bridge::BridgeFactory::create(local)->createBridge("", "urp", connection, nullptr);
  bridge_.set(bridge, UNO_QUERY_THROW);

  // Connecting succeeds even when the office is stopped: the first call
  // tells, and the bridge is disposed when it does not come back in time.
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
  bool gaveUp = false;
  std::thread patienceTimer([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (answered.wait_for(lock, patience, [&] { return done; })) return;
    gaveUp = true;
    lock.unlock();
    Dispose(bridge_);
  });
  const auto finish = [&] {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      done = true;
    }
    answered.notify_all();
    patienceTimer.join();
  };
  try {
    context_.set(bridge->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
  } catch (...) {
    finish();
    Dispose(bridge_);
    if (gaveUp) throw NoAnswer("LibreOffice does not answer");
    throw;
  }
  finish();
  if (gaveUp) {
    context_.clear();
    throw NoAnswer("LibreOffice does not answer");
  }
  Bridges::Process().Add(bridge_);
}

OfficeBridge::~OfficeBridge() {
  context_.clear();
  for (const Component& bridge : Bridges::Process().Ended()) Dispose(bridge);
}

void OfficeBridge::DisposeAll() noexcept {
  for (const Component& bridge : Bridges::Process().Copy()) Dispose(bridge);
}

}  // namespace tavrix
