#pragma once
// Shared pieces of the window-system tests: the Xvfb they run on, a watchdog per test, a
// window class whose procedure logs every message and lets a test answer some, a loop
// that runs until a condition holds, and external X tools.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pixman.h>

#include "platform/wingdi.h"
#include "platform/winuser.h"

namespace window_test {

// A message as a window procedure received it.
struct Logged {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
bool operator==(const Logged& a, const Logged& b);
void PrintTo(const Logged& logged, std::ostream* os);

// Every message the logging windows received, in order.
std::vector<Logged>& Log();
// The logged messages of one kind (for one window, when given).
std::vector<Logged> LogOf(UINT message, HWND hwnd = nullptr);

// A window procedure a test installs for one window: returns an answer to take over the
// message, or nothing to let the default procedure have it (the message is logged first).
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;
void SetHandler(HWND hwnd, Handler handler);

// The logging class, with a background brush of this colour.
constexpr COLORREF kBackground = RGB(10, 120, 200);
const char* LoggingClass();

HWND MakeTopLevel(const char* title, int x, int y, int width, int height, DWORD style = WS_POPUP);
HWND MakeChild(HWND parent, int x, int y, int width, int height, bool visible = true);

// Runs the message loop until `done` holds or `limit` passes; true when it held. A WM_QUIT
// met on the way ends the run; its exit code is kept in QuitCode().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5));
std::optional<int> QuitCode();
// Dispatches what is there now, without waiting.
void PumpPending();

// A pixel of a top-level window's client surface, as 0x00RRGGBB.
std::uint32_t Pixel(HWND topLevel, int x, int y);

// Runs a shell command and returns what it printed.
std::string Shell(const std::string& command);
// The X window id of our window of this exact title, as text; empty when there is none.
std::string XWindowId(const std::string& title);
// The same, waiting until such a window shows (the watchdog bounds the wait).
std::string WaitForXWindow(const std::string& title);

// Stops the process when a test runs too long: a broken loop fails instead of hanging.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  struct Impl;
  Impl* impl_;
};

// The base of every test here: a watchdog, an empty log, and a fresh window system after.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  std::optional<Watchdog> watchdog_;
};

}  // namespace window_test
