// The capture window in the window tree: created by capCreateCaptureWindowA as a hidden
// child, reached only through SendMessageA, gone with its parent. A top-level parent needs
// a video driver; SDL's offscreen driver serves without a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/capture/scripted_driver.h"
#include "platform/vfw.h"

namespace {

using platform::capture::DriverScript;

struct Seen {
  std::vector<UINT> messages;  // what the spy saw, in order
  std::vector<std::pair<int, std::string>> errors;
  std::vector<LRESULT> userDataInFrame;
  bool throwInFrame = false;
};
Seen* seen = nullptr;
WNDPROC captureProc = nullptr;

LRESULT Spy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_CAP_START && message < WM_CAP_START + 100) seen->messages.push_back(message);
  return captureProc(hwnd, message, wParam, lParam);
}

LRESULT OnError(HWND, int id, LPCSTR text) {
  seen->errors.emplace_back(id, text);
  return 1;
}

LRESULT OnFrame(HWND hwnd, LPVIDEOHDR) {
  seen->userDataInFrame.push_back(SendMessageA(hwnd, WM_CAP_GET_USER_DATA, 0, 0));
  if (seen->throwInFrame) throw std::runtime_error("frame handler failed");
  return 1;
}

LRESULT ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class CaptureWindowClassTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    WNDCLASSA parentClass{};
    parentClass.lpfnWndProc = ParentProc;
    parentClass.lpszClassName = "CaptureTestParent";
    RegisterClassA(&parentClass);
  }

  CaptureWindowClassTest() {
    seen = &seen_;
    platform::capture::SetDriverFactoryForTesting(platform::capture::ScriptedDriverFactory(script_, 0));
    parent_ = CreateWindowExA(0, "CaptureTestParent", "parent", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
  }
  ~CaptureWindowClassTest() override {
    if (IsWindow(parent_)) DestroyWindow(parent_);
    platform::capture::SetDriverFactoryForTesting(nullptr);
    seen = nullptr;
  }

  // A capture window as a capture client sets one up: user data, then the callbacks.
  HWND MakeCaptureWindow() {
    HWND capture = capCreateCaptureWindowA("", WS_CHILD, 0, 0, 160, 120, parent_, 0);
    if (capture == nullptr) return nullptr;
    SendMessageA(capture, WM_CAP_SET_USER_DATA, 0, 0x4242);
    SendMessageA(capture, WM_CAP_SET_CALLBACK_ERROR, 0, reinterpret_cast<LPARAM>(OnError));
    SendMessageA(capture, WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(OnFrame));
    return capture;
  }

  std::shared_ptr<DriverScript> script_ = std::make_shared<DriverScript>();
  Seen seen_;
  HWND parent_ = nullptr;
};

TEST_F(CaptureWindowClassTest, IsAHiddenChildThatGoesWithItsParentAndLetsItsDriverGo) {
  ASSERT_NE(parent_, nullptr) << GetWindowSystemError();
  HWND capture = MakeCaptureWindow();
  ASSERT_NE(capture, nullptr);
  EXPECT_TRUE(IsWindow(capture));
  EXPECT_EQ(GetParent(capture), parent_);
  EXPECT_FALSE(IsWindowVisible(capture));
  RECT client{};
  ASSERT_TRUE(GetClientRect(capture, &client));
  EXPECT_EQ(client.right - client.left, 160);
  EXPECT_EQ(client.bottom - client.top, 120);

  ASSERT_NE(SendMessageA(capture, WM_CAP_DRIVER_CONNECT, 0, 0), 0);
  DestroyWindow(parent_);
  EXPECT_FALSE(IsWindow(capture));
  EXPECT_EQ(script_->disconnects, 1);
  // Messages to the window that went, or to 0, yield 0 and reach nothing.
  seen_.errors.clear();
  EXPECT_EQ(SendMessageA(capture, WM_CAP_GET_USER_DATA, 0, 0), 0);
  EXPECT_EQ(SendMessageA(capture, WM_CAP_DRIVER_CONNECT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(nullptr, WM_CAP_DRIVER_CONNECT, 0, 0), 0);
  EXPECT_TRUE(seen_.errors.empty());
  EXPECT_EQ(script_->connects.size(), 1u);
  // A child of a parent that went cannot be made.
  EXPECT_EQ(capCreateCaptureWindowA("", WS_CHILD, 0, 0, 160, 120, parent_, 0), nullptr);
}

TEST_F(CaptureWindowClassTest, AnswersThroughSendMessageWithCallbacksNestedInside) {
  ASSERT_NE(parent_, nullptr) << GetWindowSystemError();
  HWND capture = MakeCaptureWindow();
  ASSERT_NE(capture, nullptr);
  captureProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(capture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy)));
  ASSERT_NE(captureProc, nullptr);

  script_->frame = std::vector<BYTE>(230400, 7);
  EXPECT_NE(SendMessageA(capture, WM_CAP_DRIVER_CONNECT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(capture, WM_CAP_GET_VIDEOFORMAT, 0, 0), 40);
  EXPECT_NE(SendMessageA(capture, WM_CAP_GRAB_FRAME, 0, 0), 0);
  EXPECT_EQ(seen_.userDataInFrame, std::vector<LRESULT>{0x4242});
  EXPECT_EQ(seen_.errors, (std::vector<std::pair<int, std::string>>{{0, ""}}));
  EXPECT_EQ(seen_.messages, (std::vector<UINT>{WM_CAP_DRIVER_CONNECT, WM_CAP_GET_VIDEOFORMAT, WM_CAP_GRAB_FRAME,
                                               WM_CAP_GET_USER_DATA}));
  EXPECT_NE(SendMessageA(capture, WM_CAP_DRIVER_DISCONNECT, 0, 0), 0);
  EXPECT_EQ(script_->disconnects, 1);
}

TEST_F(CaptureWindowClassTest, AnExceptionFromTheFrameCallbackComesOutOfSendMessage) {
  ASSERT_NE(parent_, nullptr) << GetWindowSystemError();
  HWND capture = MakeCaptureWindow();
  ASSERT_NE(capture, nullptr);
  script_->frame = std::vector<BYTE>(16, 7);
  ASSERT_NE(SendMessageA(capture, WM_CAP_DRIVER_CONNECT, 0, 0), 0);
  seen_.throwInFrame = true;
  EXPECT_THROW(SendMessageA(capture, WM_CAP_GRAB_FRAME, 0, 0), std::runtime_error);
  seen_.throwInFrame = false;
  EXPECT_NE(SendMessageA(capture, WM_CAP_GRAB_FRAME, 0, 0), 0);
  EXPECT_EQ(seen_.userDataInFrame.size(), 2u);
}

TEST_F(CaptureWindowClassTest, DestroyingTheCaptureWindowDisconnectsItsDriver) {
  ASSERT_NE(parent_, nullptr) << GetWindowSystemError();
  HWND first = MakeCaptureWindow();
  HWND second = MakeCaptureWindow();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(SendMessageA(first, WM_CAP_DRIVER_CONNECT, 0, 0), 0);
  DestroyWindow(first);
  EXPECT_EQ(script_->disconnects, 1);
  EXPECT_TRUE(IsWindow(second));
  EXPECT_EQ(SendMessageA(second, WM_CAP_GET_USER_DATA, 0, 0), 0x4242);
}

}  // namespace
