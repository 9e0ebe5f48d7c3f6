// The capture window's answers to the WM_CAP_* messages, on the scripted driver and on the
// test pattern, without a window system: the CaptureWindow is driven directly.
#include <gtest/gtest.h>

#include <cstring>
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <thread>

#include "capture_env.h"
#include "capture_test_support.h"
#include "platform/capture/capture_window.h"
#include "platform/capture/scripted_driver.h"

namespace {

using capture_test::HeaderOf;
using capture_test::RequestBlock;
using platform::capture::CaptureWindow;
using platform::capture::DriverScript;
using platform::capture::FormatBlock;
using platform::capture::FrameLayout;

// What the callbacks saw. The callbacks are plain functions, so they reach it through a global.
struct Calls {
  std::vector<std::pair<int, std::string>> errors;
  std::vector<HWND> errorWindows;
  std::vector<VIDEOHDR> frames;
  std::vector<HWND> frameWindows;
  std::function<void(HWND, LPVIDEOHDR)> duringFrame;  // extra work inside the frame callback
};
Calls* calls = nullptr;

LRESULT RecordError(HWND hwnd, int id, LPCSTR text) {
  calls->errors.emplace_back(id, text);
  calls->errorWindows.push_back(hwnd);
  return 1;
}

LRESULT RecordFrame(HWND hwnd, LPVIDEOHDR header) {
  calls->frames.push_back(*header);
  calls->frameWindows.push_back(hwnd);
  if (calls->duringFrame) calls->duringFrame(hwnd, header);
  return 1;
}

class CaptureWindowTest : public ::testing::Test {
 protected:
  CaptureWindowTest() {
    calls = &calls_;
    platform::capture::SetDriverFactoryForTesting(platform::capture::ScriptedDriverFactory(script_, 0));
    Send(WM_CAP_SET_CALLBACK_ERROR, 0, reinterpret_cast<LPARAM>(RecordError));
    Send(WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(RecordFrame));
  }
  ~CaptureWindowTest() override {
    platform::capture::SetDriverFactoryForTesting(nullptr);
    calls = nullptr;
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    const auto answer = window_.Handle(message, wParam, lParam);
    EXPECT_TRUE(answer) << "message " << message << " not answered";
    return answer.value_or(0);
  }
  void Connect() {
    ASSERT_NE(Send(WM_CAP_DRIVER_CONNECT, 0), 0);
    calls_.errors.clear();
  }

  const HWND hwnd_ = reinterpret_cast<HWND>(0x5EED);
  std::shared_ptr<DriverScript> script_ = std::make_shared<DriverScript>();
  Calls calls_;
  CaptureWindow window_{hwnd_};
};

using Errors = std::vector<std::pair<int, std::string>>;

TEST_F(CaptureWindowTest, KeepsTheUserDataAndLeavesOtherMessagesUnanswered) {
  EXPECT_EQ(Send(WM_CAP_GET_USER_DATA), 0);
  EXPECT_NE(Send(WM_CAP_SET_USER_DATA, 0, 0x12345678), 0);
  EXPECT_EQ(Send(WM_CAP_GET_USER_DATA), 0x12345678);
  EXPECT_FALSE(window_.Handle(WM_PAINT, 0, 0));
  EXPECT_FALSE(window_.Handle(WM_CAP_START + 1, 0, 0));
}

TEST_F(CaptureWindowTest, ConnectClearsTheErrorFirstAndTakesTheIndexAs16Bits) {
  EXPECT_NE(Send(WM_CAP_DRIVER_CONNECT, 0x10000), 0);
  EXPECT_EQ(calls_.errors, (Errors{{0, ""}}));
  EXPECT_EQ(calls_.errorWindows, std::vector<HWND>{hwnd_});
  EXPECT_EQ(script_->connects, std::vector<unsigned>{0});
  EXPECT_TRUE(window_.Connected());
}

TEST_F(CaptureWindowTest, ARefusedConnectionReportsItsReasonAndLeavesNoDriver) {
  struct Row {
    const char* name;
    WPARAM index;
    std::optional<std::string> refusal;  // the scripted driver's
    std::pair<int, std::string> reported;
  };
  const Row rows[] = {
      {"no driver", 1, std::nullopt, {platform::capture::kErrorNoDriver, "No capture driver at driver index 1"}},
      {"busy", 0, "Camera is busy", {platform::capture::kErrorCannotOpen, "Camera is busy"}},
      {"no text", 0, "", {platform::capture::kErrorCannotOpen, ""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    calls_.errors.clear();
    script_->connectRefusal = row.refusal;
    EXPECT_EQ(Send(WM_CAP_DRIVER_CONNECT, row.index), 0);
    EXPECT_EQ(calls_.errors, (Errors{{0, ""}, row.reported}));
    EXPECT_FALSE(window_.Connected());
    EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 0);
  }
  // Without an error callback a refusal is just the answer 0.
  Send(WM_CAP_SET_CALLBACK_ERROR, 0, 0);
  calls_.errors.clear();
  EXPECT_EQ(Send(WM_CAP_DRIVER_CONNECT, 7), 0);
  EXPECT_TRUE(calls_.errors.empty());
}

TEST_F(CaptureWindowTest, TheFormatSizeQueryAndReadNeverWritePastTheGivenSize) {
  std::vector<BYTE> block(1064, 0xAA);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT, block.size(), reinterpret_cast<LPARAM>(block.data())), 0);  // not connected
  script_->format = FormatBlock({161, 120, 8});
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 1064);

  // Too small: nothing written. The buffers are exactly wParam long, so ASan sees any overrun.
  std::vector<BYTE> small(1063, 0xAA);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT, small.size(), reinterpret_cast<LPARAM>(small.data())), 0);
  EXPECT_EQ(small, std::vector<BYTE>(1063, 0xAA));
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT, block.size(), reinterpret_cast<LPARAM>(block.data())), 1064);
  EXPECT_EQ(block, script_->format);

  // A format under 40 bytes is reported as it is.
  script_->format.assign(30, 0x11);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 30);
  std::vector<BYTE> tiny(30, 0);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT, tiny.size(), reinterpret_cast<LPARAM>(tiny.data())), 30);
  EXPECT_EQ(tiny, script_->format);
  script_->format.clear();
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT), 0);
  EXPECT_EQ(Send(WM_CAP_GET_VIDEOFORMAT, tiny.size(), reinterpret_cast<LPARAM>(tiny.data())), 0);
}

TEST_F(CaptureWindowTest, AFormatRequestHandsTheDriverExactlyWParamBytes) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  const auto request = RequestBlock(400, 300, 16);
  EXPECT_NE(Send(WM_CAP_SET_VIDEOFORMAT, 44, reinterpret_cast<LPARAM>(request.data())), 0);
  const std::vector<BYTE> first40(request.begin(), request.begin() + 40);
  EXPECT_NE(Send(WM_CAP_SET_VIDEOFORMAT, 40, reinterpret_cast<LPARAM>(first40.data())), 0);
  EXPECT_EQ(script_->formatRequests, (std::vector<std::vector<BYTE>>{request, first40}));
  EXPECT_TRUE(calls_.errors.empty());
}

TEST_F(CaptureWindowTest, ARefusedFormatRequestReportsItsReason) {
  struct Row {
    const char* name;
    bool connected;
    std::optional<std::string> refusal;
    WPARAM size;
    std::pair<int, std::string> reported;
  };
  const Row rows[] = {
      {"not connected", false, std::nullopt, 44,
       {platform::capture::kErrorNotConnected, "Video format refused: no capture driver is connected"}},
      {"refused by the driver", true, "Format not supported", 44,
       {platform::capture::kErrorFormatRefused, "Format not supported"}},
      {"empty", true, std::nullopt, 0, {platform::capture::kErrorFormatRefused, "Video format refused: the request is empty"}},
  };
  const auto request = RequestBlock(400, 300, 16);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.connected && !window_.Connected()) {
      ASSERT_NO_FATAL_FAILURE(Connect());
    }
    script_->formatRefusal = row.refusal;
    calls_.errors.clear();
    EXPECT_EQ(Send(WM_CAP_SET_VIDEOFORMAT, row.size, reinterpret_cast<LPARAM>(request.data())), 0);
    EXPECT_EQ(calls_.errors, Errors{row.reported});
  }
}

TEST_F(CaptureWindowTest, TheReportedImageSizeIsTheTruePaddedOneWhateverTheRequestSaid) {
  script_->adoptAcceptedFormat = true;
  ASSERT_NO_FATAL_FAILURE(Connect());
  const auto request = RequestBlock(161, 120, 24);
  ASSERT_EQ(HeaderOf(request.data()).biSizeImage, 57960u);
  ASSERT_NE(Send(WM_CAP_SET_VIDEOFORMAT, 44, reinterpret_cast<LPARAM>(request.data())), 0);
  std::vector<BYTE> format(static_cast<std::size_t>(Send(WM_CAP_GET_VIDEOFORMAT)));
  ASSERT_EQ(format.size(), 40u);
  ASSERT_EQ(Send(WM_CAP_GET_VIDEOFORMAT, format.size(), reinterpret_cast<LPARAM>(format.data())), 40);
  EXPECT_EQ(HeaderOf(format.data()).biSizeImage, 58080u);
}

TEST_F(CaptureWindowTest, AGrabCallsTheFrameCallbackOnlyWhenAFrameCame) {
  EXPECT_EQ(Send(WM_CAP_GRAB_FRAME), 0);  // not connected
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(Send(WM_CAP_GRAB_FRAME), 0);  // connected, no frame
  EXPECT_TRUE(calls_.frames.empty());

  script_->frame = std::vector<BYTE>(230400, 0x5A);
  EXPECT_NE(Send(WM_CAP_GRAB_FRAME), 0);
  ASSERT_EQ(calls_.frames.size(), 1u);
  EXPECT_EQ(calls_.frameWindows, std::vector<HWND>{hwnd_});
  EXPECT_EQ(calls_.frames[0].lpData, script_->delivered.data());
  EXPECT_EQ(calls_.frames[0].dwBytesUsed, 230400u);
  EXPECT_EQ(calls_.frames[0].dwBufferLength, 230400u);

  script_->frame.reset();
  EXPECT_EQ(Send(WM_CAP_GRAB_FRAME), 0);
  EXPECT_EQ(calls_.frames.size(), 1u);
  EXPECT_EQ(script_->grabs, 3);
}

TEST_F(CaptureWindowTest, ErrorsOfAGrabAreReportedBeforeTheFrame) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  script_->frame = std::vector<BYTE>(16, 1);
  script_->grabErrors = {{platform::capture::kErrorSourceFailed, "Camera unplugged"}, {0, ""}};
  calls_.duringFrame = [](HWND, LPVIDEOHDR) { EXPECT_EQ(calls->errors.size(), 2u); };
  EXPECT_NE(Send(WM_CAP_GRAB_FRAME), 0);
  EXPECT_EQ(calls_.errors, (Errors{{platform::capture::kErrorSourceFailed, "Camera unplugged"}, {0, ""}}));
  EXPECT_EQ(calls_.frames.size(), 1u);
}

TEST_F(CaptureWindowTest, AnExceptionFromTheFrameCallbackLeavesTheGrabAndTheWindowStaysUsable) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  script_->frame = std::vector<BYTE>(16, 1);
  calls_.duringFrame = [](HWND, LPVIDEOHDR) { throw std::runtime_error("handler failed"); };
  EXPECT_THROW(
      {
        try {
          window_.Handle(WM_CAP_GRAB_FRAME, 0, 0);
        } catch (const std::runtime_error& error) {
          EXPECT_STREQ(error.what(), "handler failed");
          throw;
        }
      },
      std::runtime_error);
  calls_.duringFrame = nullptr;
  EXPECT_NE(Send(WM_CAP_GRAB_FRAME), 0);
  EXPECT_EQ(calls_.frames.size(), 2u);
  EXPECT_TRUE(window_.Connected());
}

TEST_F(CaptureWindowTest, InsideTheFrameCallbackQueriesWorkAndANestedGrabIsRefused) {
  script_->format = FormatBlock({4, 4, 8});
  ASSERT_NO_FATAL_FAILURE(Connect());
  Send(WM_CAP_SET_USER_DATA, 0, 77);
  script_->frame = std::vector<BYTE>(16, 1);
  std::vector<LRESULT> nested;
  calls_.duringFrame = [this, &nested](HWND, LPVIDEOHDR) {
    nested.push_back(Send(WM_CAP_GET_USER_DATA));
    nested.push_back(Send(WM_CAP_GET_VIDEOFORMAT));
    nested.push_back(Send(WM_CAP_GRAB_FRAME));
  };
  EXPECT_NE(Send(WM_CAP_GRAB_FRAME), 0);
  EXPECT_EQ(nested, (std::vector<LRESULT>{77, 1064, 0}));
  EXPECT_EQ(calls_.frames.size(), 1u);
  EXPECT_EQ(script_->grabs, 1);
}

TEST_F(CaptureWindowTest, DisconnectAndDestructionLetTheDriverGo) {
  EXPECT_EQ(Send(WM_CAP_DRIVER_DISCONNECT), 0);
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_NE(Send(WM_CAP_DRIVER_DISCONNECT), 0);
  EXPECT_EQ(script_->disconnects, 1);
  EXPECT_EQ(Send(WM_CAP_GRAB_FRAME), 0);

  // Connecting again while connected lets the first driver go first.
  ASSERT_NO_FATAL_FAILURE(Connect());
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(script_->disconnects, 2);
  window_.Destroyed();
  EXPECT_EQ(script_->disconnects, 3);
  EXPECT_FALSE(window_.Connected());
}

// Real GStreamer sources through the capture window.
class CaptureWindowOnGStreamer : public ::testing::Test {
 protected:
  CaptureWindowOnGStreamer() { calls = &calls_; }
  ~CaptureWindowOnGStreamer() override { calls = nullptr; }

  void Connect(const std::string& drivers) {
    variable_.emplace(drivers);
    window_.Handle(WM_CAP_SET_CALLBACK_ERROR, 0, reinterpret_cast<LPARAM>(RecordError));
    window_.Handle(WM_CAP_SET_CALLBACK_FRAME, 0, reinterpret_cast<LPARAM>(RecordFrame));
    ASSERT_NE(window_.Handle(WM_CAP_DRIVER_CONNECT, 0, 0).value_or(0), 0) << calls_.errors.back().second;
    calls_.errors.clear();
  }
  // Grabs every few milliseconds, as a grab timer would, until `done` holds or 10 s pass.
  bool GrabUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      window_.Handle(WM_CAP_GRAB_FRAME, 0, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  Calls calls_;
  std::optional<capture_test::ScopedDriverVariable> variable_;
  CaptureWindow window_{reinterpret_cast<HWND>(0x7E57)};
};

// A disconnect from inside the frame callback must not pull the frame from under the
// callback (ASan watches the reads).
TEST_F(CaptureWindowOnGStreamer, TheFrameStaysReadableWhenTheCallbackDisconnects) {
  ASSERT_NO_FATAL_FAILURE(Connect("test"));
  unsigned long sum = 0;
  calls_.duringFrame = [this, &sum](HWND, LPVIDEOHDR header) {
    window_.Handle(WM_CAP_DRIVER_DISCONNECT, 0, 0);
    for (DWORD i = 0; i < header->dwBytesUsed; ++i) sum += header->lpData[i];
  };
  ASSERT_TRUE(GrabUntil([this] { return !calls_.frames.empty(); }));
  EXPECT_EQ(calls_.frames[0].dwBytesUsed, 230400u);
  EXPECT_GT(sum, 0u);
  EXPECT_FALSE(window_.Connected());
}

TEST_F(CaptureWindowOnGStreamer, ASourceThatEndsIsReportedAndFramesResumeOnTheirOwn) {
  ASSERT_NO_FATAL_FAILURE(Connect("gst:videotestsrc num-buffers=5 is-live=true"));
  ASSERT_TRUE(GrabUntil([this] { return !calls_.errors.empty(); }));
  EXPECT_EQ(calls_.errors[0],
            (std::pair<int, std::string>{platform::capture::kErrorSourceEnded,
                                         "GStreamer source 'videotestsrc num-buffers=5 is-live=true' ended"}));
  const std::size_t framesBefore = calls_.frames.size();
  EXPECT_GE(framesBefore, 1u);
  ASSERT_TRUE(GrabUntil([&] { return calls_.frames.size() > framesBefore; }));
  EXPECT_EQ(calls_.errors, (Errors{calls_.errors[0], {0, ""}}));
}

}  // namespace
