// How the program is asked to end: Alt+F4 and the window manager's close become WM_CLOSE;
// SIGTERM, SIGINT and SIGHUP become WM_QUIT with exit code 0.
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <thread>

#include <SDL.h>

#include "platform/window/window_system.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

// What SDL makes of the window manager's close request for `window`.
void PushWindowManagerClose(HWND window) {
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(window));
  SDL_PushEvent(&close);
}

class CloseTest : public WindowTest {};

TEST_F(CloseTest, AltF4ClosesTheTopLevelWindow) {
  HWND window = MakeTopLevel("AltF4Target", 50, 50, 200, 150);
  HWND child = MakeChild(window, 10, 10, 50, 50);
  ShowWindow(window, SW_SHOW);
  SetFocus(child);  // keys go to the focus; the close goes to its top-level window
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  const std::string id = XWindowId("AltF4Target");
  ASSERT_FALSE(id.empty());
  Shell("xdotool key --window " + id + " alt+F4 2>/dev/null");
  // When the window went before xdotool sent the releases, the keys stay down on the server.
  Shell("xdotool keyup alt F4 2>/dev/null");
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
  const auto keys = LogOf(WM_SYSKEYDOWN, child);
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.back().wParam, VK_F4);
  EXPECT_EQ(LogOf(WM_SYSCOMMAND, window).size(), 1u);
  EXPECT_EQ(LogOf(WM_CLOSE, window).size(), 1u);
  EXPECT_EQ(LogOf(WM_DESTROY, window).size(), 1u);
}

TEST_F(CloseTest, AWindowThatHandlesWmCloseDecidesItself) {
  HWND window = MakeTopLevel("Refuses", 0, 0, 100, 100);
  SetHandler(window, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_CLOSE) return 0;
    return std::nullopt;
  });
  ShowWindow(window, SW_SHOW);
  PushWindowManagerClose(window);
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_CLOSE, window).empty(); }));
  EXPECT_TRUE(IsWindow(window));
}

TEST_F(CloseTest, TheWindowManagersCloseComesThroughTheLoop) {
  HWND window = MakeTopLevel("WmClose", 0, 0, 100, 100);
  ShowWindow(window, SW_SHOW);
  PushWindowManagerClose(window);
  MSG msg{};
  bool seen = false;
  while (!seen && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    seen = msg.message == WM_CLOSE && msg.hwnd == window;
    DispatchMessageA(&msg);
  }
  EXPECT_TRUE(seen);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(CloseTest, ADisabledWindowIsNotClosed) {
  HWND window = MakeTopLevel("DisabledClose", 0, 0, 100, 100);
  ShowWindow(window, SW_SHOW);
  EnableWindow(window, FALSE);
  PushWindowManagerClose(window);
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_TRUE(LogOf(WM_CLOSE, window).empty());
  EXPECT_TRUE(IsWindow(window));
}

struct SignalCase {
  int signal;
  bool withWindow;
};

void PrintTo(const SignalCase& c, std::ostream* os) {
  *os << sigabbrev_np(c.signal) << (c.withWindow ? " with a window" : " without windows");
}

class EndSignalTest : public WindowTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(EndSignalTest, AnEndSignalEndsAWaitingLoopWithExitCodeZero) {
  platform::InstallEndSignals();
  if (GetParam().withWindow) {
    HWND window = MakeTopLevel("SignalWindow", 0, 0, 50, 50);
    ShowWindow(window, SW_SHOW);
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
  }
  PumpPending();
  // Sent while the loop sleeps with nothing else to wake it.
  std::thread sender([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    kill(getpid(), GetParam().signal);
  });
  MSG msg{};
  BOOL result = TRUE;
  while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0) DispatchMessageA(&msg);
  sender.join();
  EXPECT_EQ(result, FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
}

INSTANTIATE_TEST_SUITE_P(Signals, EndSignalTest,
                         ::testing::Values(SignalCase{SIGTERM, false}, SignalCase{SIGINT, false},
                                           SignalCase{SIGHUP, false}, SignalCase{SIGTERM, true},
                                           SignalCase{SIGINT, true}, SignalCase{SIGHUP, true}));

}  // namespace
