// Activation and focus as messages: on showing, between our windows, to and from other
// programs, and when windows are disabled or hidden.
#include <SDL.h>

#include "platform/window/window_system.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

class ActivationTest : public WindowTest {
 protected:
  // The activation and focus messages in the log, in order.
  static std::vector<Logged> Activations() {
    std::vector<Logged> found;
    for (const Logged& logged : Log()) {
      switch (logged.message) {
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
          found.push_back(logged);
          break;
        default:
          break;
      }
    }
    return found;
  }
  static LPARAM L(HWND hwnd) { return reinterpret_cast<LPARAM>(hwnd); }
  static WPARAM W(HWND hwnd) { return reinterpret_cast<WPARAM>(hwnd); }
};

TEST_F(ActivationTest, ShowingActivatesAndFocusesAtOnce) {
  HWND first = MakeTopLevel("First", 0, 0, 100, 100);
  HWND second = MakeTopLevel("Second", 200, 0, 100, 100);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);

  ShowWindow(first, SW_SHOW);
  // The program becomes active: every top-level window hears it, then the shown one.
  EXPECT_EQ(Activations(), (std::vector<Logged>{{first, WM_ACTIVATEAPP, TRUE, 0},
                                                {second, WM_ACTIVATEAPP, TRUE, 0},
                                                {first, WM_ACTIVATE, WA_ACTIVE, 0},
                                                {first, WM_SETFOCUS, 0, 0}}));
  EXPECT_EQ(GetActiveWindow(), first);
  EXPECT_EQ(GetFocus(), first);

  Log().clear();
  ShowWindow(second, SW_SHOW);
  EXPECT_EQ(Activations(), (std::vector<Logged>{{first, WM_ACTIVATE, WA_INACTIVE, L(second)},
                                                {second, WM_ACTIVATE, WA_ACTIVE, L(first)},
                                                {first, WM_KILLFOCUS, W(second), 0},
                                                {second, WM_SETFOCUS, W(first), 0}}));
  EXPECT_EQ(GetActiveWindow(), second);
  EXPECT_EQ(GetFocus(), second);

  // Nothing more comes from the X server's own focus reports.
  Log().clear();
  PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_TRUE(Activations().empty());
}

TEST_F(ActivationTest, FocusMovesToChildrenAndLeavesDisabledWindows) {
  HWND top = MakeTopLevel("FocusTop", 0, 0, 100, 100);
  HWND child = MakeChild(top, 0, 0, 10, 10);
  ShowWindow(top, SW_SHOW);
  Log().clear();
  EXPECT_EQ(SetFocus(child), top);
  EXPECT_EQ(Activations(), (std::vector<Logged>{{top, WM_KILLFOCUS, W(child), 0}, {child, WM_SETFOCUS, W(top), 0}}));
  EXPECT_EQ(GetFocus(), child);
  EXPECT_EQ(GetActiveWindow(), top);

  Log().clear();
  EnableWindow(child, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Activations(), (std::vector<Logged>{{child, WM_KILLFOCUS, 0, 0}}));
  EXPECT_EQ(SetFocus(child), nullptr);  // refused while disabled
  EXPECT_EQ(GetFocus(), nullptr);
  EnableWindow(child, TRUE);
  EXPECT_EQ(SetFocus(child), nullptr);
  EXPECT_EQ(GetFocus(), child);

  // Focus and activation go with the window that had them.
  DestroyWindow(child);
  EXPECT_EQ(GetFocus(), nullptr);
  DestroyWindow(top);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(ActivationTest, HidingTheActiveWindowDeactivatesTheProgram) {
  HWND window = MakeTopLevel("Hidden", 0, 0, 100, 100);
  ShowWindow(window, SW_SHOW);
  Log().clear();
  ShowWindow(window, SW_HIDE);
  EXPECT_EQ(Activations(), (std::vector<Logged>{{window, WM_ACTIVATE, WA_INACTIVE, 0},
                                                {window, WM_ACTIVATEAPP, FALSE, 0},
                                                {window, WM_KILLFOCUS, 0, 0}}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(ActivationTest, AnotherProgramTakingTheFocusAndGivingItBack) {
  HWND window = MakeTopLevel("Ours", 0, 0, 100, 100);
  ShowWindow(window, SW_SHOW);
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  Log().clear();
  // A window that is not ours takes the keyboard.
  SDL_Window* other = SDL_CreateWindow("NotOurs", 300, 0, 50, 50, SDL_WINDOW_SHOWN);
  ASSERT_NE(other, nullptr);
  SDL_SetWindowInputFocus(other);
  ASSERT_TRUE(PumpUntil([] { return GetActiveWindow() == nullptr; }));
  EXPECT_EQ(Activations(), (std::vector<Logged>{{window, WM_ACTIVATE, WA_INACTIVE, 0},
                                                {window, WM_ACTIVATEAPP, FALSE, 0},
                                                {window, WM_KILLFOCUS, 0, 0}}));
  Log().clear();
  SDL_SetWindowInputFocus(platform::SdlWindowOf(window));
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == window; }));
  EXPECT_EQ(Activations(), (std::vector<Logged>{{window, WM_ACTIVATEAPP, TRUE, 0},
                                                {window, WM_ACTIVATE, WA_ACTIVE, 0},
                                                {window, WM_SETFOCUS, 0, 0}}));
  SDL_DestroyWindow(other);
}

TEST_F(ActivationTest, SetActiveAndForegroundWindow) {
  HWND a = MakeTopLevel("ActiveA", 0, 0, 50, 50);
  HWND b = MakeTopLevel("ActiveB", 100, 0, 50, 50);
  ShowWindow(a, SW_SHOW);
  ShowWindow(b, SW_SHOW);
  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a);
  EXPECT_TRUE(SetForegroundWindow(b));
  EXPECT_EQ(GetActiveWindow(), b);
  EnableWindow(a, FALSE);
  EXPECT_EQ(SetActiveWindow(a), nullptr);
  EXPECT_FALSE(SetForegroundWindow(a));
  EXPECT_EQ(GetActiveWindow(), b);
  HWND child = MakeChild(b, 0, 0, 5, 5);
  EXPECT_EQ(SetActiveWindow(child), nullptr);  // only top-level windows are activated
}

}  // namespace
