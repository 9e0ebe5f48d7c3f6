// Painting: device contexts that leave visible children out, erasing and painting through
// the loop, and what reaches the screen.
#include <SDL.h>

#include "platform/window/window_system.h"
#include "window_test_support.h"

using namespace window_test;

namespace {

class PaintingTest : public WindowTest {
 protected:
  static void Fill(HWND hwnd, RECT rect, COLORREF color) {
    HDC dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  }
};

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kYellow = 0xFFFF00;
constexpr std::uint32_t kBackgroundPixel = 0x0A78C8;  // kBackground as 0xRRGGBB

struct Probe {
  int x;
  int y;
  std::uint32_t expected;
  const char* what;
};

TEST_F(PaintingTest, DrawingLeavesVisibleChildrenOutAndStaysInsideItsWindow) {
  // parent 100 x 80; child A at (10,10) 40 x 30 with grandchild A1 at (20,10) 40 x 40, which
  // reaches out of A; child B at (60,40) 20 x 20, hidden.
  HWND parent = MakeTopLevel("Clip", 0, 0, 100, 80);
  HWND a = MakeChild(parent, 10, 10, 40, 30);
  HWND a1 = MakeChild(a, 20, 10, 40, 40);
  HWND b = MakeChild(parent, 60, 40, 20, 20, false);
  Fill(a1, RECT{0, 0, 40, 40}, RGB(0, 255, 0));
  Fill(a, RECT{0, 0, 40, 30}, RGB(0, 0, 255));
  Fill(b, RECT{0, 0, 20, 20}, RGB(255, 255, 0));  // hidden: draws nothing
  Fill(parent, RECT{0, 0, 100, 80}, RGB(255, 0, 0));
  const Probe probes[] = {
      {5, 5, kRed, "parent outside its children"},
      {15, 15, kBlue, "A outside A1"},
      {35, 25, kGreen, "A1 inside A"},
      {49, 39, kGreen, "A1's last pixel inside A"},
      {55, 25, kRed, "A1 beyond A's edge belongs to the parent"},
      {30, 45, kRed, "below A"},
      {65, 45, kRed, "hidden B belongs to the parent"},
  };
  for (const Probe& probe : probes) {
    EXPECT_EQ(Pixel(parent, probe.x, probe.y), probe.expected) << probe.what;
  }
  // Once B shows, the parent's drawing leaves it out too; B's own origin is its corner.
  ShowWindow(b, SW_SHOW);
  Fill(b, RECT{0, 0, 1, 1}, RGB(255, 255, 0));
  Fill(parent, RECT{0, 0, 100, 80}, RGB(0, 0, 255));
  EXPECT_EQ(Pixel(parent, 60, 40), kYellow);
  EXPECT_EQ(Pixel(parent, 65, 45), kRed);
  EXPECT_EQ(Pixel(parent, 5, 5), kBlue);
}

TEST_F(PaintingTest, ShowingErasesWithTheClassBrushThenPaintsEveryWindow) {
  HWND parent = MakeTopLevel("Shown", 20, 20, 120, 90);
  HWND child = MakeChild(parent, 30, 20, 40, 30);
  SetHandler(child, [](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT) return std::nullopt;
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(hwnd, &paint);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    const RECT spot{0, 0, 5, 5};
    FillRect(dc, &spot, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &paint);
    return 0;
  });
  ShowWindow(parent, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_PAINT, parent).empty() && !LogOf(WM_PAINT, child).empty(); }));
  PumpPending();
  EXPECT_FALSE(LogOf(WM_ERASEBKGND, parent).empty());
  EXPECT_FALSE(LogOf(WM_ERASEBKGND, child).empty());
  // The erase comes inside the paint: from BeginPaint, before anything is drawn.
  for (HWND hwnd : {parent, child}) {
    std::vector<UINT> order;
    for (const Logged& logged : Log()) {
      if (logged.hwnd == hwnd && (logged.message == WM_PAINT || logged.message == WM_ERASEBKGND)) {
        order.push_back(logged.message);
      }
    }
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(order[1], static_cast<UINT>(WM_ERASEBKGND));
  }
  EXPECT_EQ(Pixel(parent, 5, 5), kBackgroundPixel);
  EXPECT_EQ(Pixel(parent, 30, 20), kRed);
  EXPECT_EQ(Pixel(parent, 40, 35), kBackgroundPixel);  // the child's own background
  // Everything painted is on screen: the SDL framebuffer holds the same pixels.
  SDL_Surface* frame = SDL_GetWindowSurface(platform::SdlWindowOf(parent));
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_RGB888));
  for (const Probe& probe : {Probe{5, 5, 0, ""}, Probe{30, 20, 0, ""}, Probe{40, 35, 0, ""}}) {
    const auto* row = static_cast<const std::uint8_t*>(frame->pixels) + probe.y * frame->pitch;
    EXPECT_EQ(reinterpret_cast<const std::uint32_t*>(row)[probe.x] & 0xFFFFFF, Pixel(parent, probe.x, probe.y));
  }
  // And on the X server.
  const std::string shot =
      Shell("import -window root -crop 1x1+" + std::to_string(20 + 30) + "+" + std::to_string(20 + 20) +
          " -depth 8 txt:- 2>/dev/null");
  EXPECT_NE(shot.find("#FF0000"), std::string::npos) << shot;
}

TEST_F(PaintingTest, InvalidateAndUpdateWindowPaintTheAskedArea) {
  HWND window = MakeTopLevel("Update", 0, 0, 80, 60);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_PAINT, window).empty(); }));
  PumpPending();
  RECT painted{};
  BOOL erase = TRUE;
  SetHandler(window, [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != WM_PAINT) return std::nullopt;
    PAINTSTRUCT paint{};
    BeginPaint(hwnd, &paint);
    painted = paint.rcPaint;
    erase = paint.fErase;
    EndPaint(hwnd, &paint);
    return 0;
  });
  Log().clear();
  const RECT area{10, 20, 30, 25};
  ASSERT_TRUE(InvalidateRect(window, &area, FALSE));
  ASSERT_TRUE(UpdateWindow(window));
  EXPECT_EQ(LogOf(WM_PAINT, window).size(), 1u);
  EXPECT_TRUE(LogOf(WM_ERASEBKGND, window).empty());
  EXPECT_EQ(painted.left, 10);
  EXPECT_EQ(painted.top, 20);
  EXPECT_EQ(painted.right, 30);
  EXPECT_EQ(painted.bottom, 25);
  EXPECT_FALSE(erase);
  // Validated: nothing more to paint.
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(PaintingTest, APaintThatDrawsNothingIsNotRepeatedForever) {
  HWND window = MakeTopLevel("LazyPaint", 0, 0, 40, 40);
  SetHandler(window, [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_PAINT) return 0;  // neither BeginPaint nor DefWindowProcA
    return std::nullopt;
  });
  ShowWindow(window, SW_SHOW);
  PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_LE(LogOf(WM_PAINT, window).size(), 10u);
}

TEST_F(PaintingTest, HiddenWindowsAreNotPainted) {
  HWND window = MakeTopLevel("HiddenPaint", 0, 0, 40, 40);
  InvalidateRect(window, nullptr, TRUE);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(PaintingTest, ExposureRepaintsWithTheBackground) {
  HWND window = MakeTopLevel("Exposed", 0, 0, 60, 40);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_PAINT, window).empty(); }));
  PumpPending();
  Fill(window, RECT{0, 0, 60, 40}, RGB(255, 0, 0));
  ASSERT_EQ(Pixel(window, 30, 20), kRed);
  Log().clear();
  SDL_Event exposed{};
  exposed.type = SDL_WINDOWEVENT;
  exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
  exposed.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(window));
  SDL_PushEvent(&exposed);
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_PAINT, window).empty(); }));
  EXPECT_FALSE(LogOf(WM_ERASEBKGND, window).empty());
  EXPECT_EQ(Pixel(window, 30, 20), kBackgroundPixel);
}

TEST_F(PaintingTest, ResizingKeepsWhatFitsAndPaintsTheNewPart) {
  HWND window = MakeTopLevel("Resized", 0, 0, 40, 30);
  ShowWindow(window, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_PAINT, window).empty(); }));
  PumpPending();
  Fill(window, RECT{0, 0, 40, 30}, RGB(255, 0, 0));
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 80, 50, SWP_NOMOVE));
  // The surface has the new size and still holds what fits; the new part awaits painting.
  EXPECT_EQ(Pixel(window, 39, 29), kRed);
  MSG msg{};
  EXPECT_TRUE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  Log().clear();
  ASSERT_TRUE(PumpUntil([&] { return !LogOf(WM_PAINT, window).empty(); }));
  PumpPending();
  EXPECT_EQ(Pixel(window, 79, 49), kBackgroundPixel);
  EXPECT_EQ(Pixel(window, 45, 10), kBackgroundPixel);
}

}  // namespace
