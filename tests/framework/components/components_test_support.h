#pragma once
// Shared by the component tests: a display for the tests that open windows (one Xvfb per test
// process, started the first time a test asks), a message loop run with a deadline, and a
// watchdog that ends a test process whose loop hangs instead of letting it wait for ever.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/application.h"
#include "framework/graphics.h"
#include "platform/window/window_testing.h"
#include "platform/winuser.h"
#include "tests/e2e/harness.h"

namespace components_test {

using namespace std::chrono_literals;

inline void RequireDisplay() {
  static std::unique_ptr<e2e::XServer> server = [] {
    auto s = std::make_unique<e2e::XServer>();
    s->UseInThisProcess();
    return s;
  }();
}

// Aborts the process when it is still alive at the deadline: a hung loop fails loudly.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::milliseconds Timeout)
      : FThread([this, Timeout] {
          std::unique_lock<std::mutex> lock(FMutex);
          if (!FDone.wait_for(lock, Timeout, [this] { return FStopped; })) {
            std::fprintf(stderr, "watchdog: the test did not finish in time\n");
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FStopped = true;
    }
    FDone.notify_all();
    FThread.join();
  }

 private:
  std::mutex FMutex;
  std::condition_variable FDone;
  bool FStopped = false;
  std::thread FThread;
};

// Dispatches messages until `Done` holds; false when `Timeout` passed first (a message timer
// wakes the loop then) or the quit message came.
inline bool RunLoopUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
  Watchdog watchdog(Timeout + 20s);
  static bool timedOut;
  timedOut = false;
  const UINT_PTR deadline = SetTimer(nullptr, 0, static_cast<UINT>(Timeout.count()),
                                     [](HWND, UINT, UINT_PTR, DWORD) { timedOut = true; });
  bool result = true;
  while (!Done()) {
    if (timedOut || !Application->HandleMessage()) {
      result = Done();
      break;
    }
  }
  KillTimer(nullptr, deadline);
  return result;
}

// Runs the loop for a while, for tests that check that nothing happens.
inline void RunLoopFor(std::chrono::milliseconds Time) { RunLoopUntil([] { return false; }, Time); }

// A colour as a window surface holds it (x8r8g8b8).
inline std::uint32_t SurfaceColour(TColor Color) {
  const COLORREF c = ColorToRGB(Color);
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

// Every window and timer gone, the queue empty: a fresh window system for the next test.
inline void ResetWindowSystem() { platform::window_testing::Reset(); }

}  // namespace components_test
