// Connecting to the scripted driver: the requested format, the two refusals and the state
// each leaves, a second Connect, Disconnect, and the error text the capture window reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "video_test_support.h"

namespace {

using platform::capture::FormatBlock;
using video_test::HeaderOf;
using video_test::SpiedMessage;
using video_test::VideoFixture;

using ConnectTest = VideoFixture;

struct RequestCase {
  int width;
  int height;
  int depth;
  WORD bitCount;
  DWORD sizeImage;
};

class RequestTest : public VideoFixture, public ::testing::WithParamInterface<RequestCase> {};

// The driver's current format is 320 x 240 at 24 bits; the request is built on top of it.
TEST_P(RequestTest, AsksForTheControlsSizeAtTheDepthUnpadded) {
  const RequestCase c = GetParam();
  video->SetWidth(c.width);
  video->SetHeight(c.height);
  Connect(static_cast<std::uint8_t>(c.depth), 0);
  ASSERT_TRUE(video->Connected());

  std::vector<SpiedMessage> requests;
  std::copy_if(spy.messages.begin(), spy.messages.end(), std::back_inserter(requests),
               [](const SpiedMessage& m) { return m.msg == WM_CAP_SET_VIDEOFORMAT; });
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].wParam, 44u);
  ASSERT_EQ(requests[0].block.size(), 44u);
  EXPECT_EQ(std::vector<BYTE>(requests[0].block.begin() + 40, requests[0].block.end()), std::vector<BYTE>(4, 0));
  ASSERT_EQ(script->formatRequests.size(), 1u);
  EXPECT_EQ(script->formatRequests[0], requests[0].block);

  const BITMAPINFOHEADER h = HeaderOf(requests[0].block.data());
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, c.width);
  EXPECT_EQ(h.biHeight, c.height);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, c.bitCount);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(h.biSizeImage, c.sizeImage);
  EXPECT_EQ(h.biXPelsPerMeter, 0);
  EXPECT_EQ(h.biYPelsPerMeter, 0);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(h.biClrImportant, 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, RequestTest,
                         ::testing::Values(RequestCase{400, 300, 0, 8, 120000}, RequestCase{400, 300, 1, 16, 240000},
                                           RequestCase{400, 300, 2, 24, 360000},
                                           RequestCase{400, 300, 3, 24, 360000},
                                           RequestCase{161, 120, 2, 24, 57960}, RequestCase{160, 120, 1, 16, 38400}));

TEST_F(ConnectTest, SucceedingConnectReadsTheFormatThriceAndStartsTheTimer) {
  video->SetFps(4);
  Connect();
  // From the driver connection on: frame callback, GetFormat, the request, its re-read, RefreshFormat.
  EXPECT_EQ(spy.CaptureMessages(),
            (std::vector<UINT>{WM_CAP_SET_CALLBACK_FRAME, WM_CAP_GET_VIDEOFORMAT, WM_CAP_GET_VIDEOFORMAT,
                               WM_CAP_SET_VIDEOFORMAT, WM_CAP_GET_VIDEOFORMAT, WM_CAP_GET_VIDEOFORMAT,
                               WM_CAP_GET_VIDEOFORMAT, WM_CAP_GET_VIDEOFORMAT}));
  EXPECT_TRUE(video->Connected());
  TTimer* timer = TVideoTestAccess::Timer(*video);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 250u);
  EXPECT_EQ(video_test::TimerRecorder::Instance().started, (std::vector<UINT>{250}));
  EXPECT_NE(TVideoTestAccess::DrawDib(*video), nullptr);
  ASSERT_NE(TVideoTestAccess::Format(*video), nullptr);
  EXPECT_EQ(std::vector<BYTE>(TVideoTestAccess::Format(*video),
                              TVideoTestAccess::Format(*video) + TVideoTestAccess::FormatSize(*video)),
            script->format);
  const HWND cap = TVideoTestAccess::CapWnd(*video);
  EXPECT_TRUE(IsWindow(cap));
  EXPECT_EQ(GetParent(cap), video->Handle());
  EXPECT_FALSE(IsWindowVisible(cap));
  EXPECT_EQ(SendMessageA(cap, WM_CAP_GET_USER_DATA, 0, 0), reinterpret_cast<LRESULT>(video));
}

struct RefusalCase {
  const char* name;
  std::string refusal;
  int deviceId;
  std::string expected;  // the whole message; empty: the prefix plus the reported error text
};

class DriverRefusalTest : public VideoFixture, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DriverRefusalTest, NamesTheDeviceAndTheDriversTextAndLeavesAWindowWithoutDriver) {
  const RefusalCase c = GetParam();
  script->connectRefusal = c.refusal;
  try {
    Connect(1, c.deviceId);
    FAIL() << "no exception";
  } catch (const EVideoError& e) {
    if (!c.expected.empty()) {
      EXPECT_EQ(e.Message(), c.expected);
    } else {
      const std::string prefix = "Can't connect to DeviceId: " + std::to_string(c.deviceId) + "\r";
      ASSERT_EQ(e.Message().substr(0, prefix.size()), prefix);
      EXPECT_FALSE(e.Message().substr(prefix.size()).empty());
      EXPECT_EQ(e.Message().substr(prefix.size()), TVideoTestAccess::ErrorText(*video));
    }
  }
  EXPECT_FALSE(video->Connected());
  const HWND cap = TVideoTestAccess::CapWnd(*video);
  EXPECT_TRUE(IsWindow(cap));
  EXPECT_EQ(GetParent(cap), video->Handle());
  EXPECT_EQ(SendMessageA(cap, WM_CAP_GET_USER_DATA, 0, 0), reinterpret_cast<LRESULT>(video));
  EXPECT_EQ(TVideoTestAccess::Format(*video), nullptr);
  EXPECT_EQ(TVideoTestAccess::DrawDib(*video), nullptr);
  EXPECT_FALSE(TVideoTestAccess::Timer(*video)->Enabled());
  EXPECT_TRUE(script->formatRequests.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DriverRefusalTest,
    ::testing::Values(RefusalCase{"text", "The camera is busy", 0, "Can't connect to DeviceId: 0\rThe camera is busy"},
                      RefusalCase{"empty", "", 0, std::string("Can't connect to DeviceId: 0\r")},
                      RefusalCase{"nodriver", "", 3, ""}, RefusalCase{"negative", "", -1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

class FormatRefusalTest : public VideoFixture, public ::testing::WithParamInterface<std::string> {};

TEST_P(FormatRefusalTest, RaisesTheTextAloneAndLeavesADriverWithoutFormat) {
  script->formatRefusal = GetParam();
  video->SetFps(5);
  try {
    Connect(1, 0);
    FAIL() << "no exception";
  } catch (const EVideoError& e) {
    EXPECT_EQ(e.Message(), GetParam());
  }
  EXPECT_FALSE(video->Connected());
  EXPECT_EQ(script->connects, (std::vector<unsigned>{0}));
  EXPECT_EQ(script->disconnects, 0);
  EXPECT_EQ(script->formatRequests.size(), 1u);
  EXPECT_NE(TVideoTestAccess::DrawDib(*video), nullptr);
  ASSERT_NE(TVideoTestAccess::Format(*video), nullptr);
  EXPECT_EQ(std::vector<BYTE>(TVideoTestAccess::Format(*video),
                              TVideoTestAccess::Format(*video) + TVideoTestAccess::FormatSize(*video)),
            script->format);
  EXPECT_FALSE(TVideoTestAccess::Timer(*video)->Enabled());
  EXPECT_EQ(TVideoTestAccess::Timer(*video)->Interval(), 200u);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormatRefusalTest, ::testing::Values("Video format refused: 7 bits", ""));

TEST_F(ConnectTest, FpsZeroMakesConnectFailWithDivisionByZero) {
  EXPECT_THROW(video->SetFps(0), EDivByZero);
  EXPECT_THROW(Connect(), EDivByZero);
  EXPECT_FALSE(video->Connected());
}

TEST_F(ConnectTest, SecondConnectCreatesASecondCaptureWindow) {
  script->connectRefusal = "busy";
  EXPECT_THROW(Connect(), EVideoError);
  const HWND first = TVideoTestAccess::CapWnd(*video);
  script->connectRefusal.reset();
  Connect();
  const HWND second = TVideoTestAccess::CapWnd(*video);
  EXPECT_TRUE(video->Connected());
  EXPECT_NE(first, second);
  EXPECT_TRUE(IsWindow(first));
  EXPECT_TRUE(IsWindow(second));
  EXPECT_EQ(GetParent(first), video->Handle());
  EXPECT_EQ(GetParent(second), video->Handle());
  EXPECT_FALSE(IsWindowVisible(first));
}

TEST_F(ConnectTest, DisconnectLetsTheDriverGoAndKeepsFormatAndTimer) {
  Connect();
  const std::vector<BYTE> format(TVideoTestAccess::Format(*video),
                                 TVideoTestAccess::Format(*video) + TVideoTestAccess::FormatSize(*video));
  video->Disconnect();
  EXPECT_FALSE(video->Connected());
  EXPECT_EQ(script->disconnects, 1);
  ASSERT_NE(TVideoTestAccess::Format(*video), nullptr);
  EXPECT_EQ(std::vector<BYTE>(TVideoTestAccess::Format(*video),
                              TVideoTestAccess::Format(*video) + TVideoTestAccess::FormatSize(*video)),
            format);
  EXPECT_TRUE(TVideoTestAccess::Timer(*video)->Enabled());
  EXPECT_TRUE(IsWindow(TVideoTestAccess::CapWnd(*video)));
}

TEST_F(ConnectTest, ErrorCallbackReplacesClearsAndCutsTheText) {
  Connect();
  const HWND cap = TVideoTestAccess::CapWnd(*video);
  struct Step {
    int id;
    std::string text;
    std::string kept;
  };
  const std::string longText(400, 'x');
  for (const Step& s : {Step{4, "a long first text", "a long first text"}, Step{4, "short", "short"},
                        Step{0, "ignored", ""}, Step{5, longText, std::string(263, 'x')}, Step{0, "", ""}}) {
    EXPECT_EQ(TVideoTestAccess::ErrorCallback(cap, s.id, s.text.c_str()), 1);
    EXPECT_EQ(std::string(TVideoTestAccess::ErrorText(*video)), s.kept) << "id " << s.id << " text " << s.text;
  }
}

TEST_F(ConnectTest, ShortReportedFormatIsReadWithoutOverrun) {
  script->format.resize(12);  // a header cut short
  Connect();
  ASSERT_NE(TVideoTestAccess::Format(*video), nullptr);
  EXPECT_GE(TVideoTestAccess::FormatSize(*video), 40u);
  BITMAPINFOHEADER header{};
  EXPECT_TRUE(TVideoTestAccess::GetFormat(*video, header));
  EXPECT_EQ(std::memcmp(&header, script->format.data(), 12), 0);
}

}  // namespace
