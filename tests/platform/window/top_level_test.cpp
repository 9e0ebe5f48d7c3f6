// Top-level windows are SDL windows on the X server: placed and sized exactly, hidden until
// shown, borderless unless captioned; without a display none is made and the reason is told.
#include <cstdlib>
#include <regex>

#include <SDL.h>

#include "platform/window/window_system.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

class TopLevelTest : public WindowTest {};

// One value out of xwininfo's report, by its label.
int XwininfoValue(const std::string& report, const std::string& label) {
  std::smatch match;
  if (!std::regex_search(report, match, std::regex(label + ":\\s*(-?[0-9]+)"))) {
    ADD_FAILURE() << "no " << label << " in: " << report;
    return -99999;
  }
  return std::stoi(match[1]);
}

struct Placement {
  const char* title;
  int x;
  int y;
  int width;
  int height;
};

void PrintTo(const Placement& p, std::ostream* os) {
  *os << p.title << " " << p.width << "x" << p.height << "+" << p.x << "+" << p.y;
}

class PlacementTest : public TopLevelTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(PlacementTest, TheWindowIsExactlyWhereAndAsLargeAsAsked) {
  const Placement& p = GetParam();
  HWND window = MakeTopLevel(p.title, p.x, p.y, p.width, p.height);
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));

  RECT rect{};
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, p.x);
  EXPECT_EQ(rect.top, p.y);
  EXPECT_EQ(rect.right - rect.left, p.width);
  EXPECT_EQ(rect.bottom - rect.top, p.height);
  ASSERT_TRUE(GetClientRect(window, &rect));
  EXPECT_EQ(rect.right, p.width);
  EXPECT_EQ(rect.bottom, p.height);

  SDL_Window* sdl = platform::SdlWindowOf(window);
  ASSERT_NE(sdl, nullptr);
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  SDL_GetWindowPosition(sdl, &x, &y);
  SDL_GetWindowSize(sdl, &width, &height);
  EXPECT_EQ(x, p.x);
  EXPECT_EQ(y, p.y);
  EXPECT_EQ(width, p.width);
  EXPECT_EQ(height, p.height);

  const std::string report = Shell(std::string("xwininfo -name '") + p.title + "'");
  EXPECT_EQ(XwininfoValue(report, "Absolute upper-left X"), p.x);
  EXPECT_EQ(XwininfoValue(report, "Absolute upper-left Y"), p.y);
  EXPECT_EQ(XwininfoValue(report, "Width"), p.width);
  EXPECT_EQ(XwininfoValue(report, "Height"), p.height);
  EXPECT_NE(report.find("IsViewable"), std::string::npos) << report;

  const std::string id = XWindowId(p.title);
  ASSERT_FALSE(id.empty());
  const std::string geometry = Shell("xdotool getwindowgeometry " + id);
  EXPECT_NE(geometry.find("Position: " + std::to_string(p.x) + "," + std::to_string(p.y)), std::string::npos)
      << geometry;
  EXPECT_NE(geometry.find("Geometry: " + std::to_string(p.width) + "x" + std::to_string(p.height)),
            std::string::npos)
      << geometry;
}

INSTANTIATE_TEST_SUITE_P(Places, PlacementTest,
                         ::testing::Values(Placement{"PlacedA", 191, 101, 400, 300},
                                           Placement{"PlacedB", -20, 30, 320, 240},
                                           Placement{"PlacedC", 0, 0, 1, 1}));

TEST_F(TopLevelTest, MovingAndResizingReachTheXServer) {
  HWND window = MakeTopLevel("Mover", 10, 10, 100, 100);
  ShowWindow(window, SW_SHOW);
  PumpUntil([] { return false; }, std::chrono::milliseconds(50));
  Log().clear();
  ASSERT_TRUE(SetWindowPos(window, nullptr, 40, 50, 0, 0, SWP_NOSIZE));
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 320, 240, SWP_NOMOVE));
  PumpUntil([] { return false; }, std::chrono::milliseconds(150));
  const std::string report = Shell("xwininfo -name Mover");
  EXPECT_EQ(XwininfoValue(report, "Absolute upper-left X"), 40);
  EXPECT_EQ(XwininfoValue(report, "Absolute upper-left Y"), 50);
  EXPECT_EQ(XwininfoValue(report, "Width"), 320);
  EXPECT_EQ(XwininfoValue(report, "Height"), 240);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.right, 360);
  // The window heard of each change once: the server's own reports change nothing more.
  EXPECT_EQ(LogOf(WM_MOVE, window).size(), 1u);
  EXPECT_EQ(LogOf(WM_SIZE, window).size(), 1u);
}

TEST_F(TopLevelTest, CreatedHiddenAndBorderlessUnlessAskedOtherwise) {
  HWND plain = MakeTopLevel("Plain", 0, 0, 50, 50);
  HWND captioned = MakeTopLevel("Captioned", 0, 0, 50, 50, WS_OVERLAPPEDWINDOW);
  HWND visible = MakeTopLevel("VisibleAtOnce", 0, 0, 50, 50, WS_POPUP | WS_VISIBLE);
  const Uint32 plainFlags = SDL_GetWindowFlags(platform::SdlWindowOf(plain));
  EXPECT_TRUE(plainFlags & SDL_WINDOW_HIDDEN);
  EXPECT_TRUE(plainFlags & SDL_WINDOW_BORDERLESS);
  EXPECT_FALSE(SDL_GetWindowFlags(platform::SdlWindowOf(captioned)) & SDL_WINDOW_BORDERLESS);
  EXPECT_FALSE(IsWindowVisible(plain));
  EXPECT_TRUE(IsWindowVisible(visible));
  EXPECT_FALSE(SDL_GetWindowFlags(platform::SdlWindowOf(visible)) & SDL_WINDOW_HIDDEN);
  EXPECT_NE(Shell("xwininfo -name Plain").find("IsUnMapped"), std::string::npos);
  EXPECT_EQ(platform::SdlWindowOf(MakeChild(plain, 0, 0, 5, 5)), nullptr);
  EXPECT_STREQ(GetWindowSystemError(), "");
}

TEST_F(TopLevelTest, ScreenMetricsComeFromTheDisplay) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(99), 0);
}

TEST_F(TopLevelTest, WithoutADisplayNoWindowIsMadeAndTheReasonIsTold) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        const HWND window = MakeTopLevel("Nowhere", 0, 0, 10, 10);
        const std::string reason = GetWindowSystemError();
        std::fprintf(stderr, "reason: %s\n", reason.c_str());
        std::_Exit(window == nullptr && !reason.empty() && GetSystemMetrics(SM_CXSCREEN) == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "reason: .+");
}

}  // namespace
