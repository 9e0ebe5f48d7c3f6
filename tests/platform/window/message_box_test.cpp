// The message box: a window of ours on the X server with the caption as its title, modal
// over the program's other windows, answered by keys, a click or a close, while timers and
// the end of the program still get through.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <SDL.h>

#include "platform/window/window_system.h"
#include "platform/window/window_testing.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

// What the box's timer saw while the box was open.
struct WhileOpen {
  std::atomic<int> ticks{0};
  HWND owner = nullptr;
  HWND box = nullptr;
  bool ownerDisabled = false;
  RECT boxClient{};
  bool redIcon = false;
  int darkPixels = 0;
  std::function<void()> onTick;
};
WhileOpen* seen = nullptr;

void Observe(HWND, UINT, UINT_PTR, DWORD) {
  seen->ownerDisabled = !IsWindowEnabled(seen->owner);
  seen->box = GetActiveWindow();
  if (seen->box != seen->owner && GetClientRect(seen->box, &seen->boxClient)) {
    seen->redIcon = false;
    seen->darkPixels = 0;
    for (int y = 0; y < seen->boxClient.bottom; ++y) {
      for (int x = 0; x < seen->boxClient.right; ++x) {
        const std::uint32_t pixel = Pixel(seen->box, x, y);
        if (pixel == 0xCC2020) seen->redIcon = true;
        if (pixel == 0x000000) ++seen->darkPixels;
      }
    }
  }
  // Counted last: a thread that sees the count sees what was recorded before it.
  seen->ticks++;
  if (seen->onTick) seen->onTick();
}

// xdotool gives up with BadWindow when the box is gone before it sent the key's release,
// leaving the key down on the X server; the next test would find it stuck.
void ReleaseKeys() { Shell("xdotool keyup Return space Escape 2>/dev/null"); }

// Runs the loop after the box to its WM_QUIT; the exit code it carries.
int OuterLoopExitCode() {
  MSG msg{};
  BOOL result = TRUE;
  while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0) DispatchMessageA(&msg);
  return result == 0 ? static_cast<int>(msg.wParam) : -1;
}

class MessageBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    state_ = std::make_unique<WhileOpen>();
    seen = state_.get();
    owner_ = MakeTopLevel("BoxOwner", 100, 100, 400, 300);
    seen->owner = owner_;
    ShowWindow(owner_, SW_SHOW);
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    timer_ = SetTimer(nullptr, 0, 25, Observe);
  }
  void TearDown() override {
    if (presser_.joinable()) presser_.join();
    seen = nullptr;
    WindowTest::TearDown();
  }
  // Answers the box from outside, as a person would, once the timer ticked a few times.
  void AnswerWith(const std::string& caption, const std::string& xdotoolAction) {
    WhileOpen* state = seen;
    presser_ = std::thread([caption, xdotoolAction, state] {
      const std::string id = WaitForXWindow(caption);
      for (int i = 0; i < 200 && state->ticks < 4; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::string action = xdotoolAction;
      action.replace(action.find("%id"), 3, id);
      if (const auto at = action.find("%button"); at != std::string::npos) {
        // The OK button is centred at the bottom, 12 pixels above the edge and 23 high.
        const RECT client = state->boxClient;
        action.replace(at, 7, std::to_string(client.right / 2) + " " + std::to_string(client.bottom - 12 - 11));
      }
      Shell("xdotool " + action + " 2>/dev/null");
      ReleaseKeys();
    });
  }

  HWND owner_ = nullptr;
  UINT_PTR timer_ = 0;
  std::thread presser_;
  std::unique_ptr<WhileOpen> state_;
};

class AnswerTest : public MessageBoxTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(AnswerTest, TheBoxIsAnsweredAndEverythingIsAsBefore) {
  AnswerWith("Answer me", GetParam());
  Log().clear();
  EXPECT_EQ(MessageBoxA(owner_, "Something went wrong.", "Answer me", MB_OK | MB_ICONSTOP), IDOK);
  EXPECT_GE(seen->ticks, 4);  // timers went on while it was open
  EXPECT_TRUE(seen->ownerDisabled);
  EXPECT_NE(seen->box, owner_);
  EXPECT_FALSE(IsWindow(seen->box));
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetActiveWindow(), owner_);
  EXPECT_EQ(GetFocus(), owner_);
  // The owner was deactivated for the box and activated again from it.
  const auto activations = LogOf(WM_ACTIVATE, owner_);
  ASSERT_EQ(activations.size(), 2u);
  EXPECT_EQ(activations[0].wParam, WA_INACTIVE);
  EXPECT_EQ(activations[1].wParam, WA_ACTIVE);
  EXPECT_EQ(activations[1].lParam, reinterpret_cast<LPARAM>(seen->box));
  EXPECT_TRUE(LogOf(WM_ACTIVATEAPP, owner_).empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, AnswerTest,
                         ::testing::Values("key --window %id Return", "key --window %id space",
                                           "key --window %id Escape",
                                           "mousemove --window %id %button click 1"));

TEST_F(MessageBoxTest, TheBoxShowsTheTextWithAStopIconAndACarriageReturnBreaksTheLine) {
  AnswerWith("Two lines", "key --window %id Return");
  ASSERT_EQ(MessageBoxA(owner_, "First line\rSecond line", "Two lines", MB_ICONSTOP), IDOK);
  EXPECT_TRUE(seen->redIcon);
  EXPECT_GT(seen->darkPixels, 50);
  const int twoLineHeight = seen->boxClient.bottom;
  presser_.join();
  state_ = std::make_unique<WhileOpen>();
  seen = state_.get();
  seen->owner = owner_;
  AnswerWith("One line", "key --window %id Return");
  ASSERT_EQ(MessageBoxA(owner_, "First line", "One line", MB_OK), IDOK);
  EXPECT_FALSE(seen->redIcon);
  EXPECT_GT(twoLineHeight, seen->boxClient.bottom);
}

TEST_F(MessageBoxTest, ClickingTheDisabledOwnerGetsNowhere) {
  seen->onTick = [this] {
    if (seen->ticks == 2) {
      SDL_Event close{};
      close.type = SDL_WINDOWEVENT;
      close.window.event = SDL_WINDOWEVENT_CLOSE;
      close.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(owner_));
      SDL_PushEvent(&close);  // the owner's close is ignored while the box is open
    }
    if (seen->ticks == 6) {
      SDL_Event close{};
      close.type = SDL_WINDOWEVENT;
      close.window.event = SDL_WINDOWEVENT_CLOSE;
      close.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(seen->box));
      SDL_PushEvent(&close);  // the box's own close answers it
    }
  };
  EXPECT_EQ(MessageBoxA(owner_, "Closed", "Close me", MB_OK), IDOK);
  EXPECT_TRUE(IsWindow(owner_));
  EXPECT_TRUE(LogOf(WM_CLOSE, owner_).empty());
}

TEST_F(MessageBoxTest, AQuitEndsTheBoxAndReachesTheOuterLoop) {
  seen->onTick = [] {
    if (seen->ticks == 3) PostQuitMessage(7);
  };
  EXPECT_EQ(MessageBoxA(owner_, "Going", "Quit inside", MB_OK), 0);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(OuterLoopExitCode(), 7);
}

TEST_F(MessageBoxTest, SigtermWhileTheBoxIsOpenEndsTheProgramWithExitCodeZero) {
  platform::InstallEndSignals();
  seen->onTick = [] {
    if (seen->ticks == 3) kill(getpid(), SIGTERM);
  };
  EXPECT_EQ(MessageBoxA(owner_, "Going", "Terminated", MB_OK), 0);
  EXPECT_EQ(OuterLoopExitCode(), 0);
}

TEST_F(MessageBoxTest, BoxesNestAndEachReturnsToTheOneBefore) {
  seen->onTick = [] {
    if (seen->ticks != 3) return;
    HWND outer = GetActiveWindow();
    std::thread presser([] {
      Shell("xdotool key --window " + WaitForXWindow("Inner") + " Return 2>/dev/null");
      ReleaseKeys();
    });
    EXPECT_EQ(MessageBoxA(outer, "inner", "Inner", MB_OK), IDOK);
    presser.join();
    EXPECT_EQ(GetActiveWindow(), outer);
    EXPECT_TRUE(IsWindowEnabled(outer));
    EXPECT_FALSE(IsWindowEnabled(seen->owner));
    PostMessageA(outer, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(MessageBoxA(owner_, "outer", "Outer", MB_OK), IDOK);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetActiveWindow(), owner_);
}

TEST_F(MessageBoxTest, WithoutAnOwnerTheBoxIsCentredOnTheScreen) {
  seen->onTick = [] {
    if (seen->ticks != 2) return;
    RECT rect{};
    GetWindowRect(GetActiveWindow(), &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, 640, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, 512, 1);
    PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(MessageBoxA(nullptr, "centre", nullptr, MB_OK), IDOK);
}

}  // namespace
